// A straightforward model of effect drawing for the comparison tests: every mask value is computed on
// its own from direct weighted sums over the whole canvas (no running sums, no strips, no scratch
// buffers), following the arithmetic rules one by one, and blended pixel by pixel.
#pragma once

#include <vector>

#include "Src/Orvane/Src/Effects/LayerFXRep.h"
#include "Src/Orvane/Src/Image/CLayer.h"

namespace EffectsTest {

// A canvas-sized buffer of pixels, row after row.
struct Canvas {
    GRect area;
    std::vector<NativeQuad> pixels;
    NativeQuad& At(int32 inX, int32 inY) {
        return pixels[size_t(inY - area.top) * size_t(area.Width()) + size_t(inX - area.left)];
    }
};

// Draws what the effects of inLayer would draw: the outer group into ioOuter, the inner group into
// ioInner, in the image whose global angle is inGlobalAngle.
void ReferenceEffects(const LayerFXParameters& inParameters, const CLayer& inLayer, bool inUseLayerMask,
                      int32 inGlobalAngle, Canvas& ioOuter, Canvas& ioInner);

}  // namespace EffectsTest
