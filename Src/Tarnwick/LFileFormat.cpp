#include "Src/Tarnwick/LFileFormat.h"

#include "Src/Orvane/Src/Format/CFileFormat.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Tarnwick/LLumenarFormat.h"

namespace Tarnwick {

namespace {
constexpr int32 kUnknownFormatTypeCode = 27;
}  // namespace

LFileFormat::~LFileFormat() {
    delete mCodec;
}

void LFileFormat::WriteResource(int16, const void*, int32) {}

CImageResource* LFileFormat::GetResource(int16) {
    return nullptr;
}

bool LFileFormat::ReadResource(int16, void*, int32) {
    return false;
}

int32 LFileFormat::GetResourceLength(int16) {
    return -1;
}

void LFileFormat::SetResolution(uint32, uint32) {}

void LFileFormat::GetResolution(uint32& outHorizontal, uint32& outVertical) {
    outHorizontal = kDefaultResolution;
    outVertical = kDefaultResolution;
}

void LFileFormat::WriteImage(CImage* inImage, SWriteStream* inStream, LProgressScope* inProgress, void*) {
    ThrowIfNil(mCodec)->WriteImage(inImage, inStream, inProgress);
}

void LFileFormat::WriteFrames(CImage*, SWriteStream*, LProgressScope*, void*) {}

LFileFormat* CreateFileFormat(int32 inFormatType) {
    if (inFormatType != 0) LTHROW_TW(kUnknownFormatTypeCode);
    return new LLumenarFormat();
}

}  // namespace Tarnwick
