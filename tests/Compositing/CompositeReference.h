// A straightforward composite for tests, written from the layer step list: clip groups worked out from
// the clipping values alone, every blend through the per-pixel reference kernels, every pixel by itself.
// Decisions the pipeline takes for a whole sub-tile (skipping layers whose bounds miss it or whose pixels
// are all transparent there) are taken over the same sub-tiles. Effects are not modelled.
#pragma once

#include <vector>

#include "Src/Orvane/Src/Image/CImage.h"

namespace CompositeReference {

// The composite of inRect, row after row.
std::vector<NativeQuad> Composite(CImage& inImage, const GRect& inRect);

}  // namespace CompositeReference
