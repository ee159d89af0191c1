#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"

#include <algorithm>

#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/TileWalker.h"
#include "Src/PowerPellin/LScratchBuffer.h"

namespace {

constexpr int32 kQuadBytes = int32(sizeof(NativeQuad));

// Byte offset of a channel inside a quad; an unknown index is reported and taken as alpha.
int32 ComponentOffset(int32 inChannel) {
    NativeQuad probe{};
    return int32(GetChannelPtr(&probe, inChannel) - reinterpret_cast<uint8*>(&probe));
}

uint8* Bytes(NativeQuad* inPtr) {
    return reinterpret_cast<uint8*>(inPtr);
}
const uint8* Bytes(const NativeQuad* inPtr) {
    return reinterpret_cast<const uint8*>(inPtr);
}

}  // namespace

void CNativeQuadTileBuffer::GetTile(const GRect& inRect, NativeQuad* outPtr, int32 inRowBytes,
                                    PaddingMode inPaddingMode, const NativeQuad* inPaddingValue) const {
    ReadBytes(inRect, Bytes(outPtr), inRowBytes, kQuadBytes, 0, kQuadBytes, inPaddingMode, inPaddingValue);
}

void CNativeQuadTileBuffer::GetTile(const GRect& inRect, NativeQuad* outPtr, int32 inRowBytes,
                                    int32 outPtrColBytes, PaddingMode inPaddingMode,
                                    const NativeQuad* inPaddingValue) const {
    LASSERT(outPtrColBytes == sizeof(NativeQuad));
    GetTile(inRect, outPtr, inRowBytes, inPaddingMode, inPaddingValue);
}

void CNativeQuadTileBuffer::SetTile(const GRect& inRect, const NativeQuad* inPtr, int32 inRowBytes) {
    WriteBytes(inRect, Bytes(inPtr), inRowBytes, kQuadBytes, 0, kQuadBytes);
}

void CNativeQuadTileBuffer::SetTile(const GRect& inRect, const NativeQuad* inPtr, int32 inRowBytes,
                                    int32 inPtrColBytes) {
    LASSERT(inPtrColBytes == sizeof(NativeQuad));
    SetTile(inRect, inPtr, inRowBytes);
}

void CNativeQuadTileBuffer::GetChannel(const GRect& inRect, int32 inChannel, uint8* outPtr, int32 inRowBytes,
                                       int32 inColBytes, PaddingMode inPaddingMode,
                                       const NativeQuad* inPaddingValue) const {
    ReadBytes(inRect, outPtr, inRowBytes, inColBytes, ComponentOffset(inChannel), 1, inPaddingMode,
              inPaddingValue);
}

void CNativeQuadTileBuffer::SetChannel(const GRect& inRect, int32 inChannel, const uint8* inPtr,
                                       int32 inRowBytes, int32 inColBytes) {
    WriteBytes(inRect, inPtr, inRowBytes, inColBytes, ComponentOffset(inChannel), 1);
}

void CNativeQuadTileBuffer::SetChannels(const GRect& inRect, const uint8* const inChannels[4],
                                        int32 inRowBytes, int32 inSplit, const uint8* const inLower[4]) {
    const uint8* bytes[4];
    const uint8* lower[4] = {};
    for (int32 c = 0; c < 4; ++c) {
        bytes[ComponentOffset(c)] = inChannels[c];
        if (inLower != nullptr) lower[ComponentOffset(c)] = inLower[c];
    }
    WriteBytePlanes(inRect, bytes, inRowBytes, inSplit, inLower != nullptr ? lower : nullptr);
}

void CNativeQuadTileBuffer::CopyFromChannel(const CChannel& inChannel, const GRect& inSrcRect,
                                            const GRect& inDestRect) {
    const GRect srcBounds = inChannel.GetBounds();
    LCHECK_AS(srcBounds.Contains(inSrcRect), "srcBounds.Contains (inSrcRect)");
    LASSERT((inDestRect.Width() == inSrcRect.Width()) && (inDestRect.Height() == inSrcRect.Height()));
    ExpandFromChannel(inChannel, nullptr, inSrcRect, inDestRect);
}

void CNativeQuadTileBuffer::CopyFromIndexedChannel(const CChannel& inChannel, const NativeQuad* inColorTable,
                                                   const GRect& inSrcRect, const GRect& inDestRect) {
    const GRect srcBounds = inChannel.GetBounds();
    LCHECK_AS(srcBounds.Contains(inSrcRect), "srcBounds.Contains (inSrcRect)");
    LASSERT((inDestRect.Width() == inSrcRect.Width()) && (inDestRect.Height() == inSrcRect.Height()));
    if (!LCHECK(inColorTable != 0)) return;
    ExpandFromChannel(inChannel, inColorTable, inSrcRect, inDestRect);
}

// The source is read piece by piece into the red byte of the quads of a scratch buffer (pieces as wide
// as fit, then as many rows as fit), each quad is expanded in place — grey: green = blue = red, alpha
// 255; indexed: the table entry of the red byte — and the piece is written at the destination offset.
void CNativeQuadTileBuffer::ExpandFromChannel(const CChannel& inChannel, const NativeQuad* inColorTable,
                                              const GRect& inSrcRect, const GRect& inDestRect) {
    const GRect source = ClipCopySource(inSrcRect, inDestRect, inChannel.GetBounds());
    if (source.Empty()) return;
    const int64 dx = int64(inDestRect.left) - inSrcRect.left;
    const int64 dy = int64(inDestRect.top) - inSrcRect.top;
    LScratchBuffer scratch;
    const int32 capacity = int32(scratch.Size() / sizeof(NativeQuad));
    const int32 pieceWidth = std::min(source.Width(), capacity);
    const int32 pieceHeight = std::min(source.Height(), capacity / pieceWidth);
    NativeQuad* quads = static_cast<NativeQuad*>(scratch.Ptr());
    const int32 redOffset = ComponentOffset(kRedChannel);
    for (TileWalker walker(pieceWidth, pieceHeight, source); walker.Valid(); walker.Next()) {
        const GRect& piece = walker.Tile();
        const int32 rowBytes = piece.Width() * kQuadBytes;
        inChannel.GetTile(piece, Bytes(quads) + redOffset, rowBytes, kQuadBytes, kPadNone, nullptr);
        const int32 count = piece.Width() * piece.Height();
        if (inColorTable != nullptr) {
            for (int32 i = 0; i < count; ++i) quads[i] = inColorTable[quads[i].red];
        } else {
            for (int32 i = 0; i < count; ++i) {
                NativeQuad& quad = quads[i];
                quad.green = quad.red;
                quad.blue = quad.red;
                quad.alpha = 255;
            }
        }
        SetTile(GRect(int32(piece.left + dx), int32(piece.top + dy), int32(piece.right + dx),
                      int32(piece.bottom + dy)),
                quads, rowBytes);
    }
}

bool CNativeQuadTileBuffer::IsConstant() const {
    LREPORT("SPAM - CNativeQuadTileBuffer::IsConstant is not implemented yet. OK to continue");
    return false;
}

bool CNativeQuadTileBuffer::IsChannelConstant(const GRect& inRect, int32 inChannel, uint8* outValue) const {
    return IsByteConstant(inRect, ComponentOffset(inChannel), outValue);
}

GRect CNativeQuadTileBuffer::FindNonTransparentBounds() const {
    return BoundsOfBytesNotEqual(ComponentOffset(kAlphaChannel), 0);
}

namespace {

bool VisitWriting(void* inProcessor, const GRect& inPart, uint8* inPtr, int32 inRowBytes) {
    return static_cast<CNQTileProcessor*>(inProcessor)
        ->Process(inPart, reinterpret_cast<NativeQuad*>(inPtr), inRowBytes);
}

bool VisitReading(void* inProcessor, const GRect& inPart, uint8* inPtr, int32 inRowBytes) {
    return static_cast<CNQConstTileProcessor*>(inProcessor)
        ->Process(inPart, reinterpret_cast<const NativeQuad*>(inPtr), inRowBytes);
}

constexpr const char* kOutOfBoundsText =
    "CNativeQuadTileBuffer::ForEachPixelInArea - inArea is out of bounds. OK to continue but clipping will "
    "occur";

}  // namespace

void CNativeQuadTileBuffer::ForEachPixelInArea(const GRect& inArea, CNQTileProcessor& inProcessor,
                                               LProgressScope* inProgress) {
    WalkArea(inArea, true, VisitWriting, &inProcessor, inProgress, kOutOfBoundsText,
             inProcessor.OverwritesParts());
}

void CNativeQuadTileBuffer::ForEachPixelInArea(const GRect& inArea, CNQConstTileProcessor& inProcessor,
                                               LProgressScope* inProgress) const {
    WalkArea(inArea, false, VisitReading, &inProcessor, inProgress, kOutOfBoundsText);
}
