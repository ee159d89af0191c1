// A random-access byte store addressed by absolute positions.
//
// Ports carry no current position of their own for their users: every read and write names its absolute
// position. Ports report nothing and throw nothing unless a derived port says otherwise; failures show
// only in the returned counts.
#pragma once

#include "API/Platform/FixedWidthTypes.h"

class LFilePort {
public:
    // inOwnFlag: 1 for ports over files or buffers the module creates itself, 0 for the host's file.
    explicit LFilePort(int32 inOwnFlag) : mOwnFlag(inOwnFlag) {}
    virtual ~LFilePort() = default;
    LFilePort(const LFilePort&) = delete;
    LFilePort& operator=(const LFilePort&) = delete;

    virtual void SetLength(uint32 inLength) = 0;
    virtual uint32 GetLength() = 0;
    // Reads inCount bytes starting at inPosition; returns the number of bytes read.
    virtual int32 ReadAt(uint32 inPosition, int32 inCount, void* outDestination) = 0;
    // Writes inCount bytes starting at inPosition; returns the number of bytes written.
    virtual int32 WriteAt(uint32 inPosition, int32 inCount, const void* inSource) = 0;
    virtual void Flush() {}
    virtual uint32 GetMaxTransfer() { return kMaxTransfer; }

    int32 OwnFlag() const { return mOwnFlag; }

    static constexpr uint32 kMaxTransfer = 0x1000000;

private:
    int32 mOwnFlag;
};
