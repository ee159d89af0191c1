#include "Src/Orvane/Src/Effects/ApplyOneEffect.h"

#include <algorithm>

#include "Src/Orvane/Src/Effects/EffectGeometry.h"
#include "Src/Orvane/Src/Effects/EffectSource.h"
#include "Src/Orvane/Src/Effects/TentBlur.h"
#include "Src/Orvane/Src/Image/PixelMath.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/PowerPellin/LScratchBuffer.h"

namespace {

constexpr int32 kMaxBlurColumns = 1024;

uint64 Aligned(uint64 inBytes) {
    return (inBytes + 7) & ~uint64(7);
}

}  // namespace

void ApplyOneEffect(const EffectSource& inSource, uint8 inLayerOpacity, const EffectTarget& inTarget,
                    const OneEffect& inEffect) {
    const uint8 opacity = Mul8(inEffect.mOpacity, inLayerOpacity);
    if (opacity == 0) return;
    if (inSource.IsAdjustment() && !inSource.LayerMaskRequested())
        LREPORT("ApplyOneEffect: use layer mask should be true");

    // Outside the coverage a plain mask is 0 and draws nothing, so its area starts from the coverage.
    const GRect base = inEffect.mInvert ? inSource.Area() : inSource.CoverageBounds();
    const GRect area =
        GrowByBlur(GRect(base).Offset(inEffect.mOffset), inEffect.mBlur).Intersection(inTarget.mArea);
    if (area.Empty()) return;

    const bool blurred = inEffect.mBlur > 0;
    const TentBlur blur(inEffect.mBlur, inEffect.mIntensity, inEffect.mInvert);
    const int32 margin = blurred ? blur.Radius() : 0;
    const int32 stripWidth = std::min(area.Width(), kEffectStripColumns);
    const int32 stripHeight = std::min(area.Height(), kEffectStripRows);
    const int32 columnsToDo = stripWidth + 2 * margin;
    if (blurred && !(columnsToDo <= kMaxBlurColumns)) {
        LREPORT("Warning: !(columnsToDo <= 1024)");
        LTHROW_MESSAGE("Warning: !(columnsToDo <= 1024)");
    }

    // hPass: the source plane, then the blur's 8.8 rows. vPass: the mask, then the colour tile.
    const uint64 planeBytes = Aligned(uint64(columnsToDo) * uint64(stripHeight + 2 * margin));
    const uint64 workBytes = blurred ? TentBlur::WorkBytes(stripWidth, stripHeight, margin) : 0;
    const uint64 maskBytes = Aligned(uint64(stripWidth) * uint64(stripHeight));
    LScratchBuffer hPass(uint32(planeBytes + workBytes));
    if (hPass.Ptr() == nullptr) {
        LREPORT("ApplyOneEffect: Bad hPass buffer");
        return;
    }
    LScratchBuffer vPass(uint32(maskBytes + uint64(stripWidth) * uint64(stripHeight) * sizeof(NativeQuad)));
    if (vPass.Ptr() == nullptr) {
        LREPORT("ApplyOneEffect: Bad vPass buffer");
        return;
    }
    auto* plane = static_cast<uint8*>(hPass.Ptr());
    void* work = plane + planeBytes;
    auto* mask = static_cast<uint8*>(vPass.Ptr());
    auto* tile = reinterpret_cast<NativeQuad*>(mask + maskBytes);

    ForEachEffectStrip(area, kEffectStripColumns, [&](const GRect& inStrip) {
        const GRect from = GRect(inStrip).OffsetNegative(inEffect.mOffset).Inset(-margin, -margin);
        inSource.Read(from, plane, from.Width());
        const int32 width = inStrip.Width();
        if (blurred) {
            blur.Run(plane, from.Width(), width, inStrip.Height(), work, mask, width);
        } else {
            const int64 count = int64(width) * inStrip.Height();
            for (int64 i = 0; i < count; ++i) mask[i] = inEffect.mInvert ? uint8(255 - plane[i]) : plane[i];
        }
        BlendColorIntoCompositeTile(inEffect.mColor, inStrip, mask, width, inTarget, inEffect.mBlendMode,
                                    opacity, tile);
    });
}
