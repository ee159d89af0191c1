#include "Src/PowerPellin/LBroadcaster.h"

#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/PowerPellin/LListener.h"

namespace {
LListener* AsListener(LWord inWord) {
    return reinterpret_cast<LListener*>(inWord);
}
LWord AsWord(const LListener* inListener) {
    return reinterpret_cast<LWord>(inListener);
}
}  // namespace

LBroadcaster::~LBroadcaster() {
    BroadcastSafeMessage(kBroadcasterDied, this);
    for (int32 i = 0; i < mListeners.Count(); ++i)
        if (LListener* listener = AsListener(mListeners.Get(i))) listener->RemoveBroadcaster(this);
}

void LBroadcaster::AddListener(LListener* inListener) {
    ThrowIfNil(inListener);
    if (HasListener(inListener)) return;
    mListeners.Append(AsWord(inListener));
    inListener->AddBroadcaster(this);
}

void LBroadcaster::RemoveListener(LListener* inListener) {
    ThrowIfNil(inListener);
    inListener->RemoveBroadcaster(this);
    const int32 index = mListeners.Find(AsWord(inListener));
    if (index < 0) return;
    // While a broadcast walks the array, only blank the entry so that indices stay put.
    if (mBroadcastDepth > 0) {
        mListeners.Set(index, 0);
        mHasRemovedEntries = true;
    } else {
        mListeners.Delete(index, 1);
    }
}

bool LBroadcaster::HasListener(const LListener* inListener) const {
    return inListener != nullptr && mListeners.Contains(AsWord(inListener));
}

int32 LBroadcaster::ListenerCount() const {
    int32 live = 0;
    for (int32 i = 0; i < mListeners.Count(); ++i) live += mListeners.Get(i) != 0 ? 1 : 0;
    return live;
}

template <typename CallOne>
void LBroadcaster::Broadcast(CallOne&& inCallOne) {
    if (!mIsBroadcasting) return;
    // Compacts blanked entries when the outermost broadcast ends, however it ends.
    struct DepthGuard {
        LBroadcaster& self;
        explicit DepthGuard(LBroadcaster& inSelf) : self(inSelf) { ++self.mBroadcastDepth; }
        ~DepthGuard() {
            if (--self.mBroadcastDepth == 0 && self.mHasRemovedEntries) {
                self.mListeners.RemoveAll(0);
                self.mHasRemovedEntries = false;
            }
        }
    } guard(*this);
    for (int32 i = 0; i < mListeners.Count(); ++i) {
        LListener* listener = AsListener(mListeners.Get(i));
        if (listener != nullptr && listener->IsListening()) inCallOne(listener);
    }
}

void LBroadcaster::BroadcastMessage(int32 inMessage, void* ioParam) {
    Broadcast([&](LListener* inListener) { inListener->ListenToMessage(inMessage, ioParam); });
}

void LBroadcaster::BroadcastSafeMessage(int32 inMessage, void* ioParam) {
    Broadcast([&](LListener* inListener) {
        try {
            inListener->ListenToMessage(inMessage, ioParam);
        } catch (...) {
            LREPORT("Exception caught by LBroadcaster::BroadcastSafeMessage");
        }
    });
}
