// GetEntireCompositeChannel: one component of the whole composite as a channel.
#include <algorithm>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "Src/PowerPellin/LScratchBuffer.h"

// The canvas is walked in pieces that fit the scratch buffer: width min(canvas width, size / 4), height
// min(canvas height, size / (width * 4)); each piece is composited and the chosen byte of every quad is
// stored into the channel.
void GetEntireCompositeChannel(CImage& ioImage, CChannel& outChannel, int32 inKind,
                               LProgressScope* inProgress) {
    const int32 width = ioImage.GetWidth();
    const int32 height = ioImage.GetHeight();
    outChannel = CChannel(ioImage.GetImageRect(), 0);
    int32 component = inKind;
    if (inKind == kCompositeLayerMask) {
        LREPORT("Layer mask is invalid for CImage::GetEntireCompositeChannel");
        component = kCompositeAlpha;
    }
    if (component < kCompositeRed || component > kCompositeAlpha) component = kCompositeAlpha;
    LScratchBuffer sourceBuffer;
    const int32 size = int32(sourceBuffer.Size());
    const int32 mTileWidth = std::max(1, std::min(width, size / 4));
    const int32 mTileHeight = std::max(1, std::min(height, size / (mTileWidth * 4)));
    LCHECK_AS(size >= (int32)((mTileWidth * mTileHeight) * sizeof(NativeQuad)),
              "sourceBuffer.GetSize() >= (int32) ((mTileWidth * mTileHeight) * sizeof(NativeQuad))");
    auto* quads = static_cast<NativeQuad*>(sourceBuffer.Ptr());
    const int32 rowBytes = mTileWidth * int32(sizeof(NativeQuad));
    const int32 pieceCount =
        ((width + mTileWidth - 1) / mTileWidth) * ((height + mTileHeight - 1) / mTileHeight);
    int32 done = 0;
    for (int32 top = 0; top < height; top += mTileHeight) {
        for (int32 left = 0; left < width; left += mTileWidth) {
            const GRect piece(left, top, std::min(width, left + mTileWidth),
                              std::min(height, top + mTileHeight));
            GetCompositeTile(ioImage, piece, quads, rowBytes);
            const uint8* first = GetChannelPtr(quads, component);
            outChannel.SetTile(piece, first, rowBytes, int32(sizeof(NativeQuad)));
            if (inProgress != nullptr) inProgress->SetPortionComplete(double(++done) / pieceCount);
        }
    }
}
