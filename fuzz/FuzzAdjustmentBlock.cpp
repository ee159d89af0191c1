// Every adjustment reader: the first byte picks the type, the rest is the block's data. A layer that was
// built adjusts a row of pixels, writes its data, and that data, read under the type the layer is
// written as (a hue/saturation block answers by its version), must build a layer that writes the same.
#include <memory>
#include <vector>

#include "Src/Orvane/Src/Adjustments/AdjustmentLayerFactory.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "fuzz/FuzzSupport.h"

namespace {

std::vector<uint8> WrittenData(const CAdjustmentLayer& inLayer) {
    std::vector<uint8> bytes = FuzzWritten([&](SWriteStream& stream) { inLayer.WriteData(stream, 0); });
    bytes.resize(inLayer.GetDataLength());
    return bytes;
}

}  // namespace

int FuzzAdjustmentBlock(const uint8_t* inData, size_t inSize) {
    if (inSize < 2) return 0;
    FuzzSession session;
    const uint32 type = inData[0] % kAdjustmentTypeCount;
    FuzzInputPort port(inData, inSize);
    SReadStream stream(&port, 0, 4096, 0);
    AdjustmentLayerSettings settings;
    std::unique_ptr<CAdjustmentLayer> layer;
    try {
        layer.reset(CreateAdjustmentLayer(settings, type, stream, 1, uint32(inSize - 1)));
    } catch (const BaseException&) {
        return 0;
    }
    if (layer == nullptr) return 0;
    std::vector<NativeQuad> row(256);
    for (int32 i = 0; i < 256; ++i) row[size_t(i)] = MakeNativeQuad(i, 255 - i, (i * 7) & 255, i);
    int32 rowBytes = 256 * 4;
    layer->AdjustTile(GRect(0, 0, 256, 1), row.data(), rowBytes, row.data(), rowBytes);

    const std::vector<uint8> written = WrittenData(*layer);
    FuzzInputPort again(written.data(), written.size());
    SReadStream rereadStream(&again, 0, 4096, 0);
    std::unique_ptr<CAdjustmentLayer> reread(
        CreateAdjustmentLayer(settings, layer->GetAdjustmentType(), rereadStream, 0, uint32(written.size())));
    FuzzCheck(reread != nullptr, "written adjustment data is refused");
    // A hue/saturation block of version 2 keeps its colorize hue only within -360..540: a stored hue
    // gets 360 added when negative and loses 360 when written above 180, so other values drift with
    // every round trip, as the block's arithmetic says.
    if (layer->GetAdjustmentType() != kHueSaturation2Adjustment)
        FuzzCheck(WrittenData(*reread) == written, "written adjustment data reads differently");
    return 0;
}
