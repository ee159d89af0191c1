// One packed row: the first two bytes give the row's length, the rest are the packets. The row is
// decoded into a buffer of exactly its length, and by the decoder that writes past what it produces,
// which must agree; the input is then packed and must decode back unchanged.
#include <algorithm>
#include <vector>

#include "Src/Orvane/Src/Format/PackBits.h"
#include "fuzz/FuzzSupport.h"

int FuzzPackBitsRow(const uint8_t* inData, size_t inSize) {
    if (inSize < 2) return 0;
    const uint32 rowBytes = uint32(inData[0]) << 8 | inData[1];
    const uint8_t* packed = inData + 2;
    const uint32 packedSize = uint32(inSize - 2);
    std::vector<uint8> row(rowBytes);
    const PackBits::DecodeResult result = PackBits::DecodeRow(packed, packedSize, row.data(), rowBytes);
    FuzzCheck(result.consumed <= packedSize && result.produced <= rowBytes, "decoded beyond the buffers");
    std::vector<uint8> roomy(packed, packed + packedSize), slack(rowBytes + PackBits::kDecodeSlack);
    roomy.resize(packedSize + PackBits::kDecodeSlack);
    const PackBits::DecodeResult fast =
        PackBits::DecodeRowWithSlack(roomy.data(), packedSize, slack.data(), rowBytes);
    FuzzCheck(fast.consumed == result.consumed && fast.produced == result.produced &&
                  std::equal(row.begin(), row.begin() + result.produced, slack.begin()),
              "the decoders disagree");

    std::vector<uint8> repacked(PackBits::MaxPackedSize(packedSize));
    const uint32 size = PackBits::PackRow(packed, packedSize, repacked.data());
    FuzzCheck(size == PackBits::PackedRowSize(packed, packedSize), "packed size differs from its estimate");
    std::vector<uint8> unpacked(packedSize);
    const PackBits::DecodeResult back =
        PackBits::DecodeRow(repacked.data(), size, unpacked.data(), packedSize);
    FuzzCheck(back.consumed == size && back.produced == packedSize, "a packed row does not decode whole");
    FuzzCheck(std::vector<uint8>(packed, packed + packedSize) == unpacked,
              "a packed row decodes differently");
    return 0;
}
