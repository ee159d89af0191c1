#include "Src/Orvane/Src/Format/StreamBounds.h"

#include <algorithm>

#include "Src/Pellin/Isol/SReadStream.h"

namespace StreamBounds {

uint64 BytesLeft(const SReadStream& inStream) {
    const uint64 length = inStream.FileLength();
    const uint64 position = inStream.GetPosition();
    return position < length ? length - position : 0;
}

// The stream's own seek only takes positions inside the file. A position at or past the end is reached
// from the last byte with a skip, which the stream accepts without reading; a read there comes back
// unfilled and the one after it fails.
void MoveTo(SReadStream& inStream, uint64 inPosition) {
    const uint32 length = inStream.FileLength();
    // The stream tells how much of the file is left as a signed 32-bit difference, so a position more
    // than 2^31 - 1 beyond the end would look like one before it (and the stream would hand out what its
    // buffer still held instead of failing): such positions are taken as 2^31 - 1 beyond the end.
    const uint64 target =
        std::min<uint64>(inPosition, std::min<uint64>(0xFFFFFFFFu, uint64(length) + 0x7FFFFFFFu));
    if (target < length) {
        inStream.SetPosition(uint32(target));
        return;
    }
    if (length == 0) return;  // an empty file: every read fails wherever the stream stands
    inStream.SetPosition(length - 1);
    inStream.Skip(uint32(target - (length - 1)));
}

// Whole chunks while they lie inside the file, then one entry per read, as entry-by-entry reading would.
void ReadLineCountTable(SReadStream& inStream, uint64 inEntries, std::vector<uint16>& outLineCounts) {
    outLineCounts.clear();
    outLineCounts.reserve(size_t(std::min<uint64>(inEntries, BytesLeft(inStream) / 2 + 1)));
    uint8 bytes[8192];
    for (uint64 done = 0; done < inEntries;) {
        const uint32 chunk = uint32(std::min<uint64>(inEntries - done, sizeof bytes / 2));
        if (uint64(chunk) * 2 > BytesLeft(inStream)) {
            outLineCounts.push_back(inStream.ReadU16());
            ++done;
            continue;
        }
        inStream.ReadBytes(int32(chunk * 2), bytes);
        for (uint32 i = 0; i < chunk; ++i)
            outLineCounts.push_back(uint16((bytes[2 * i] << 8) | bytes[2 * i + 1]));
        done += chunk;
    }
}

}  // namespace StreamBounds
