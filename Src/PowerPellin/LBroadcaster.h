// The announcing side of change announcements.
//
// A broadcaster sends (message, parameter) pairs to its listeners in the order they were added, while
// its broadcasting flag is set and only to listeners whose listening flag is set. Listeners may be
// added or removed during a broadcast: a removed listener is not called again, an added one is called
// in the same broadcast. On destruction the broadcaster announces kBroadcasterDied with itself as the
// parameter, then unlinks its listeners.
#pragma once

#include "Src/Pellin/Isol/SListX.h"

class LListener;

class LBroadcaster {
public:
    static constexpr int32 kBroadcasterDied = 202;

    LBroadcaster() = default;
    virtual ~LBroadcaster();
    LBroadcaster(const LBroadcaster&) = delete;
    LBroadcaster& operator=(const LBroadcaster&) = delete;

    // Links a listener once (adding it again does nothing). Throws NilPointerException for null.
    void AddListener(LListener* inListener);
    // Unlinks a listener. Throws NilPointerException for null.
    void RemoveListener(LListener* inListener);
    bool HasListener(const LListener* inListener) const;
    int32 ListenerCount() const;

    // Exceptions thrown by a listener escape (the remaining listeners are not called).
    void BroadcastMessage(int32 inMessage, void* ioParam);
    // Exceptions thrown by a listener are reported and the next listener is called.
    void BroadcastSafeMessage(int32 inMessage, void* ioParam);

    bool IsBroadcasting() const { return mIsBroadcasting; }
    void StartBroadcasting() { mIsBroadcasting = true; }
    void StopBroadcasting() { mIsBroadcasting = false; }

    // Clears the broadcasting flag for its lifetime and restores the previous value afterwards.
    class StSuspendBroadcasting {
    public:
        explicit StSuspendBroadcasting(LBroadcaster& inBroadcaster)
            : mBroadcaster(inBroadcaster), mWasBroadcasting(inBroadcaster.mIsBroadcasting) {
            inBroadcaster.mIsBroadcasting = false;
        }
        ~StSuspendBroadcasting() { mBroadcaster.mIsBroadcasting = mWasBroadcasting; }
        StSuspendBroadcasting(const StSuspendBroadcasting&) = delete;
        StSuspendBroadcasting& operator=(const StSuspendBroadcasting&) = delete;

    private:
        LBroadcaster& mBroadcaster;
        bool mWasBroadcasting;
    };

private:
    template <typename CallOne>
    void Broadcast(CallOne&& inCallOne);

    SListX mListeners;  // LListener pointers; null marks a listener removed during a broadcast
    bool mIsBroadcasting = true;
    int32 mBroadcastDepth = 0;
    bool mHasRemovedEntries = false;
};
