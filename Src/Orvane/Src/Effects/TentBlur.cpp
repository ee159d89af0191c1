#include "Src/Orvane/Src/Effects/TentBlur.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32 kMinRadius = 2;
constexpr int32 kMaxRadius = 50;
constexpr int64 kMaxHorizontal = 65280;  // 255.0 in 8.8

// Running tent sums along one line. With S(i) the weighted sum around element i and D(i) = S(i + 1) -
// S(i) = (the r elements after i) - (i and the r - 1 before it), each step costs one update:
// D(i + 1) = D(i) + x[i + 1 + r] - 2 x[i + 1] + x[i + 1 - r]. The line holds r margin elements on
// each side of the outputs; element (r + i) of the line lies under output i. `At(j)` reads element j.
template <typename Line, typename Emit>
void TentLine(const Line& At, int32 inCount, int32 r, Emit&& inEmit) {
    int64 sum = 0;
    int64 difference = 0;
    for (int32 k = -(r - 1); k <= r - 1; ++k) sum += int64(r - std::abs(k)) * At(r + k);
    for (int32 j = 1; j <= r; ++j) difference += At(r + j);
    for (int32 j = -(r - 1); j <= 0; ++j) difference -= At(r + j);
    for (int32 i = 0; i < inCount; ++i) {
        inEmit(i, sum);
        if (i + 1 == inCount) break;
        sum += difference;
        const int32 c = r + i + 1;
        difference += int64(At(c + r)) - 2 * int64(At(c)) + int64(At(c - r));
    }
}

}  // namespace

int32 TentBlur::RadiusOf(Fixed inBlur) {
    return int32(std::clamp<int64>((int64(inBlur) + 65534) >> 16, kMinRadius, kMaxRadius));
}

TentBlur::TentBlur(Fixed inBlur, Fixed inIntensity, bool inInvert)
    : mRadius(RadiusOf(inBlur)), mInvert(inInvert), mGain(65536 + inIntensity / 100) {
    const double area = double(mRadius) * double(mRadius);
    if (mInvert)
        mFactor = std::llround(1048576.0 / area);
    else
        mFactor = std::llround(double(mGain) / 65536.0 / area * 1048576.0);
}

uint64 TentBlur::WorkBytes(int32 inWidth, int32 inHeight, int32 inRadius) {
    return uint64(inWidth) * uint64(inHeight + 2 * inRadius) * sizeof(uint16);
}

// Plain: min(255, ((sum >> 8) c + 2^19) >> 20). Inverted: q = (sum >> 8) c is the blurred coverage in
// 8.20; full coverage gives 0, otherwise its complement w = 0xFFFFFF - (q >> 4) (16.16-ish, 255.99
// for none) is scaled by the gain and rounded back to 8 bits.
uint8 TentBlur::Finish(int64 inSum) const {
    const int64 q = (inSum >> 8) * mFactor;
    if (!mInvert) return uint8(std::min<int64>(255, (q + (int64(1) << 19)) >> 20));
    if (q >= int64(255) << 20) return 0;
    const int64 w = 0xFFFFFF - (q >> 4);
    const int64 p = w * mGain / 65536;
    return uint8(std::min<int64>(255, (p + 32768) >> 16));
}

void TentBlur::Run(const uint8* inSource, int32 inSourceRowBytes, int32 inWidth, int32 inHeight, void* ioWork,
                   uint8* outMask, int32 inMaskRowBytes) const {
    const int32 r = mRadius;
    const int64 area = int64(r) * r;
    auto* horizontal = static_cast<uint16*>(ioWork);
    const int32 rows = inHeight + 2 * r;

    // Horizontal pass: h = min(sum x 256 / r^2, 255.0), an 8.8 value per output column and source row.
    for (int32 y = 0; y < rows; ++y) {
        const uint8* line = inSource + int64(y) * inSourceRowBytes;
        uint16* out = horizontal + int64(y) * inWidth;
        TentLine(
            [line](int32 j) { return line[j]; }, inWidth, r,
            [out, area](int32 i, int64 sum) { out[i] = uint16(std::min(sum * 256 / area, kMaxHorizontal)); });
    }
    // Vertical pass, column by column over the 8.8 rows.
    for (int32 x = 0; x < inWidth; ++x) {
        const uint16* column = horizontal + x;
        uint8* out = outMask + x;
        TentLine([column, inWidth](int32 j) { return column[int64(j) * inWidth]; }, inHeight, r,
                 [this, out, inMaskRowBytes](int32 i, int64 sum) {
                     out[int64(i) * inMaskRowBytes] = Finish(sum);
                 });
    }
}
