// A file port over a platform file handle.
//
// The port does not own its handle: destroying it leaves the handle open, unless the port is part of a
// MergerTempFile, which closes the handle itself. Every transfer is a seek to the absolute position
// followed by one read or write, so two users of one port must not interleave. Nothing is reported or
// thrown: failures show only in the returned counts.
#pragma once

#include "API/LFilePort.h"
#include "API/Platform/Platform.h"
#include "Src/Pellin/Isol/Allocator.h"

class HostFilePort : public LFilePort, public LAllocatedObject {
public:
    // inOwnFlag: 0 for the host's own file, 1 for a file the module created (see LFilePort).
    explicit HostFilePort(Platform::FileHandle inHandle, int32 inOwnFlag = 0);
    ~HostFilePort() override;

    // Moves the file position to inLength; the file's length changes only once something is written
    // at or past that position.
    void SetLength(uint32 inLength) override;
    // The file's length in bytes (at most 0xFFFFFFFF); the file position is left where it was.
    uint32 GetLength() override;
    // Return the number of bytes transferred; 0 for a negative count, a failed seek or at the end of
    // the file. Bytes of the destination past the returned count are left untouched.
    int32 ReadAt(uint32 inPosition, int32 inCount, void* outDestination) override;
    int32 WriteAt(uint32 inPosition, int32 inCount, const void* inSource) override;
    void Flush() override;

    Platform::FileHandle Handle() const { return mHandle; }
    bool IsOpen() const { return mHandle != Platform::kInvalidFile; }

protected:
    // For the owning subclass, which closes the handle before this part is destroyed.
    void ForgetHandle() { mHandle = Platform::kInvalidFile; }

private:
    Platform::FileHandle mHandle;
};
