#include "Src/PowerPellin/LListener.h"

#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/PowerPellin/LBroadcaster.h"

namespace {
LWord AsWord(const LBroadcaster* inBroadcaster) {
    return reinterpret_cast<LWord>(inBroadcaster);
}
}  // namespace

LListener::~LListener() {
    while (!mBroadcasters.Empty()) {
        const LWord entry = mBroadcasters.First();
        try {
            ThrowIfNil(reinterpret_cast<LBroadcaster*>(entry))->RemoveListener(this);
        } catch (...) {
            LREPORT("LListener::~LListener - exception thrown by RemoveListener");
        }
        mBroadcasters.Remove(entry);  // in case the broadcaster could not unlink us
    }
}

bool LListener::HasBroadcaster(const LBroadcaster* inBroadcaster) const {
    return inBroadcaster != nullptr && mBroadcasters.Contains(AsWord(inBroadcaster));
}

void LListener::AddBroadcaster(LBroadcaster* inBroadcaster) {
    if (!mBroadcasters.Contains(AsWord(inBroadcaster))) mBroadcasters.Append(AsWord(inBroadcaster));
}

void LListener::RemoveBroadcaster(LBroadcaster* inBroadcaster) {
    mBroadcasters.Remove(AsWord(inBroadcaster));
}
