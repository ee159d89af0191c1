#include "Src/Orvane/Src/Compositing/StGetCompositeTile.h"
#include "Src/Orvane/Src/Compositing/CImageComposite.h"

#include "Src/Orvane/Src/Compositing/Checkerboard.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Pellin/Isol/Exceptions.h"

bool StGetCompositeTileNoCheckerboard::Process(const GRect& inTileRect, NativeQuad* inTilePtr,
                                               int32 inRowBytes) {
    ThrowIfNil(mImage);
    GetCompositeTile(*mImage, inTileRect, inTilePtr, inRowBytes);
    return true;
}

bool StGetCompositeTileWithCheckerboard::Process(const GRect& inTileRect, NativeQuad* inTilePtr,
                                                 int32 inRowBytes) {
    ThrowIfNil(mImage);
    GetCompositeTile(*mImage, inTileRect, inTilePtr, inRowBytes);
    ApplyCheckerboard(inTileRect, inTilePtr, inRowBytes, mColorA, mColorB, mSquareSize);
    return true;
}
