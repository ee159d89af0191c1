// The receiving side of change announcements.
//
// A listener is linked to the broadcasters it listens to; links are symmetric and each side unlinks
// itself from the other when destroyed, so neither keeps a dangling link.
#pragma once

#include "Src/Pellin/Isol/SListX.h"

class LBroadcaster;

class LListener {
public:
    LListener() = default;
    // Unlinks from every broadcaster; failures are reported, not thrown.
    virtual ~LListener();
    LListener(const LListener&) = delete;
    LListener& operator=(const LListener&) = delete;

    // Called by a broadcaster for each message while this listener is listening.
    virtual void ListenToMessage(int32 inMessage, void* ioParam) = 0;

    bool IsListening() const { return mIsListening; }
    void StartListening() { mIsListening = true; }
    void StopListening() { mIsListening = false; }
    bool HasBroadcaster(const LBroadcaster* inBroadcaster) const;
    int32 BroadcasterCount() const { return mBroadcasters.Count(); }

private:
    friend class LBroadcaster;
    // Link bookkeeping, done by the broadcaster as it adds and removes this listener.
    void AddBroadcaster(LBroadcaster* inBroadcaster);
    void RemoveBroadcaster(LBroadcaster* inBroadcaster);

    SListX mBroadcasters;
    bool mIsListening = true;
};
