#include "Src/Orvane/Src/Format/LayerSectionWriter.h"

#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "Src/PowerPellin/LProgressScope.h"

namespace {

// Global mask information: colour space u16 0; four components u16 256, 0, 0, 0; opacity u16 50; kind
// u8 128; a zero filler byte.
constexpr uint32 kGlobalMaskBytes = 14;

uint32 RoundUpToEven(uint64 inValue) {
    LASSERT(inValue < (uint64(1) << 32));
    return uint32((inValue + 1) & ~uint64(1));
}

}  // namespace

LayerSectionWriter::LayerSectionWriter(const CImage& inImage) {
    const int32 count = inImage.GetLayerCount();
    for (int32 i = 0; i < count; ++i) {
        const CLayer* layer = inImage.GetLayerWithPosition(i);
        if (layer != nullptr && layer->GetLayerType() == eIndexedLayer) {
            mEmpty = true;
            return;
        }
    }
    mRecords.reserve(size_t(count));
    for (int32 i = 0; i < count; ++i) {
        const CLayer* layer = inImage.GetLayerWithPosition(i);
        if (layer == nullptr) {
            LREPORT("Bad layer count in building layer records");
            continue;
        }
        const LayerKind kind = layer->GetLayerType();
        if (kind != eRGBLayer && kind != eAdjustmentLayer) continue;
        mRecords.push_back(std::make_unique<LayerRecordWriter>(*layer));
        if (layer->HasLayerMask()) mAnyLayerMask = true;
    }
}

uint32 LayerSectionWriter::LayerInfoLength() const {
    uint64 length = 2;
    for (const auto& record : mRecords) length += uint64(record->RecordSize()) + record->ChannelDataSize();
    return RoundUpToEven(length);
}

uint32 LayerSectionWriter::GlobalMaskLength() const {
    return mAnyLayerMask ? kGlobalMaskBytes : 0;
}

uint32 LayerSectionWriter::SectionLength() const {
    if (mEmpty) return 0;
    return RoundUpToEven(uint64(LayerInfoLength()) + 4 + GlobalMaskLength() + 4);
}

// Section: u32 length; u32 layer-information length; i16 record count; the record headers; every
// record's channel data; a zero byte when the layer information came out odd; the global mask info.
void LayerSectionWriter::Write(SWriteStream& inStream, LProgressScope* inProgress) const {
    inStream.WriteU32(SectionLength());
    if (mEmpty) return;
    const uint32 sectionStart = inStream.GetPosition();
    inStream.WriteU32(LayerInfoLength());
    inStream.WriteI16(int16(mRecords.size()));
    for (const auto& record : mRecords) record->WriteHeader(inStream);
    const size_t count = mRecords.size();
    for (size_t i = 0; i < count; ++i) {
        mRecords[i]->WriteChannelData(inStream);
        if (inProgress != nullptr) inProgress->SetPortionComplete(double(i + 1) / double(count));
    }
    if ((inStream.GetPosition() - sectionStart) % 2 != 0) inStream.WriteU8(0);
    WriteGlobalMaskInfo(inStream);
}

void LayerSectionWriter::WriteGlobalMaskInfo(SWriteStream& inStream) const {
    const uint32 length = GlobalMaskLength();
    inStream.WriteU32(length);
    if (length == 0) return;
    inStream.WriteU16(0);
    inStream.WriteU16(256);
    inStream.WriteU16(0);
    inStream.WriteU16(0);
    inStream.WriteU16(0);
    inStream.WriteU16(50);
    inStream.WriteU8(128);
    inStream.WriteU8(0);
}
