// One layer record with its extra data and tagged blocks, read from the start of the input. The
// adjustment and effects blocks it locates are then read as the document reader would.
#include <memory>

#include "Src/Orvane/Src/Adjustments/AdjustmentLayerFactory.h"
#include "Src/Orvane/Src/Format/LayerRecord.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "fuzz/FuzzSupport.h"

int FuzzLayerRecord(const uint8_t* inData, size_t inSize) {
    FuzzSession session;
    try {
        FuzzInputPort port(inData, inSize);
        SReadStream stream(&port, 0, 4096, 0);
        LayerRecord record;
        record.Read(stream);
        FuzzCheck(record.mChannels.size() == record.mChannelCount, "channel entries and count differ");
        if (record.mHasAdjustment) {
            AdjustmentLayerSettings settings;
            std::unique_ptr<CAdjustmentLayer> layer(CreateAdjustmentLayer(settings, record.mAdjustmentType,
                                                                          stream, record.mAdjustmentPosition,
                                                                          record.mAdjustmentLength));
        }
    } catch (const BaseException&) {
    }
    return 0;
}
