#include "Src/Orvane/Src/Format/StreamBounds.h"

#include <algorithm>

#include "Src/Orvane/Src/Format/LumenarRefusals.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"

namespace StreamBounds {

uint64 BytesLeft(const SReadStream& inStream) {
    const uint64 length = inStream.FileLength();
    const uint64 position = inStream.GetPosition();
    return position < length ? length - position : 0;
}

void RequireBytes(const SReadStream& inStream, uint64 inCount) {
    if (inCount > BytesLeft(inStream)) LTHROW_MESSAGE(LumenarRefusal::kUnknownFormat);
}

// The stream's own seek only takes positions inside the file. A position at or past the end is reached
// from the last byte with a skip, which the stream accepts without reading; the first read there then
// runs past the end and fails.
void MoveTo(SReadStream& inStream, uint64 inPosition) {
    const uint64 target = std::min<uint64>(inPosition, 0xFFFFFFFFu);
    const uint32 length = inStream.FileLength();
    if (target < length) {
        inStream.SetPosition(uint32(target));
        return;
    }
    if (length == 0) return;  // an empty file: every read fails wherever the stream stands
    inStream.SetPosition(length - 1);
    inStream.Skip(uint32(target - (length - 1)));
}

}  // namespace StreamBounds
