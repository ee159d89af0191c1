#include "Src/Orvane/Src/Image/CChannel.h"

#include "Src/Pellin/Isol/Report.h"

void CChannel::GetTile(const GRect& inRect, uint8* outPtr, int32 inRowBytes, PaddingMode inPaddingMode,
                       const uint8* inPaddingValue) const {
    ReadBytes(inRect, outPtr, inRowBytes, 1, 0, 1, inPaddingMode, inPaddingValue);
}

void CChannel::GetTile(const GRect& inRect, uint8* outPtr, int32 inRowBytes, int32 inColBytes,
                       PaddingMode inPaddingMode, const uint8* inPaddingValue) const {
    ReadBytes(inRect, outPtr, inRowBytes, inColBytes, 0, 1, inPaddingMode, inPaddingValue);
}

void CChannel::SetTile(const GRect& inRect, const uint8* inPtr, int32 inRowBytes, int32 inColBytes) {
    WriteBytes(inRect, inPtr, inRowBytes, inColBytes, 0, 1);
}

bool CChannel::IsConstant() const {
    LREPORT("CChannel::IsConstant is unimplemented");
    return false;
}

GRect CChannel::FindBoundsNotEqualTo(uint8 inValue) const {
    return BoundsOfBytesNotEqual(0, inValue);
}

namespace {

bool VisitWriting(void* inProcessor, const GRect& inPart, uint8* inPtr, int32 inRowBytes) {
    return static_cast<CChannelTileProcessor*>(inProcessor)->Process(inPart, inPtr, inRowBytes);
}

bool VisitReading(void* inProcessor, const GRect& inPart, uint8* inPtr, int32 inRowBytes) {
    return static_cast<CChannelConstTileProcessor*>(inProcessor)->Process(inPart, inPtr, inRowBytes);
}

constexpr const char* kOutOfBoundsText =
    "CChannel::ForEachPixelInArea - inArea is out of bounds. OK to continue but clipping will occur";

}  // namespace

void CChannel::ForEachPixelInArea(const GRect& inArea, CChannelTileProcessor& inProcessor,
                                  LProgressScope* inProgress) {
    WalkArea(inArea, true, VisitWriting, &inProcessor, inProgress, kOutOfBoundsText);
}

void CChannel::ForEachPixelInArea(const GRect& inArea, CChannelConstTileProcessor& inProcessor,
                                  LProgressScope* inProgress) const {
    WalkArea(inArea, false, VisitReading, &inProcessor, inProgress, kOutOfBoundsText);
}
