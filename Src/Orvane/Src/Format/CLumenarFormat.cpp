// CLumenarFormat: construction and the leading sections (header, colour-mode data, image resources).
#include "Src/Orvane/Src/Format/CLumenarFormat.h"

#include "Src/Orvane/Src/Format/CImageResourceMgr.h"
#include "Src/Orvane/Src/Format/LumenarRefusals.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"

namespace {
constexpr uint32 kColorTableBytes = 768;  // 256 red, then 256 green, then 256 blue
constexpr uint32 kSmallestResourceSection = 12;
}  // namespace

CLumenarFormat::CLumenarFormat(CImageResourceMgr* inResourceManager) : mRsrcMgr(inResourceManager) {}

CLumenarFormat::~CLumenarFormat() = default;

// Header (26 bytes): signature, version (u16), reserved (u32 + u16), channel count (u16), rows (u32),
// columns (u32), depth (u16), colour mode (u16). The signature is judged before the version is read.
void CLumenarFormat::ReadHeader() {
    SReadStream& stream = *ThrowIfNil(mReadStream);
    const uint32 signature = stream.ReadFourCharCode();
    if (signature == FourCC("ZQM2") || signature == FourCC("ZQM1"))
        LTHROW_MESSAGE(LumenarRefusal::kNoMultidisk);
    if (signature != kSignature) LTHROW_MESSAGE(LumenarRefusal::kBadLumenarType);

    mVersion = stream.ReadU16();
    if (mVersion != 1 && mVersion != 2) LTHROW_MESSAGE(LumenarRefusal::kBadLumenarType);
    if (mVersion == 2) LTHROW_MESSAGE(LumenarRefusal::kObsoleteLumenar);

    mReserved1 = stream.ReadU32();
    mReserved2 = stream.ReadU16();
    const uint16 channels = stream.ReadU16();
    if (channels == 0) LTHROW_MESSAGE(LumenarRefusal::kUnknownFormat);
    mChannelCount = channels;

    const uint32 rows = stream.ReadU32();
    const uint32 columns = stream.ReadU32();
    if (rows == 0 || rows > kMaxDimension || columns == 0 || columns > kMaxDimension)
        LTHROW_MESSAGE(LumenarRefusal::kUnknownFormat);
    mRows = rows;
    mColumns = columns;

    mDepth = stream.ReadU16();
    const uint32 mode = stream.ReadU16();
    CheckColorMode(mode);
    mColorMode = mode;

    ReadColorModeData();
    ReadImageResources();
}

// The refused modes are tested in a fixed order: out of range first, then bitmap, Lab, CMYK, duotone and
// multichannel. Modes 5 and 6 have no name and read like RGB.
void CLumenarFormat::CheckColorMode(uint32 inMode) const {
    if (inMode > kModeLab) LTHROW_MESSAGE(LumenarRefusal::kBadColorMode);
    if (inMode == kModeBitmap) LTHROW_MESSAGE(LumenarRefusal::kNoBitmaps);
    if (inMode == kModeLab) LTHROW_MESSAGE(LumenarRefusal::kNoLab);
    if (inMode == kModeCMYK) LTHROW_MESSAGE(LumenarRefusal::kNoCMYK);
    if (inMode == kModeDuotone) LTHROW_MESSAGE(LumenarRefusal::kNoDuotone);
    if (inMode == kModeMultichannel) LTHROW_MESSAGE(LumenarRefusal::kNoMultichannel);
}

void CLumenarFormat::ReadColorModeData() {
    SReadStream& stream = *mReadStream;
    const uint32 length = stream.ReadU32();
    if (mColorMode != kModeIndexed) {
        stream.Skip(length);
        return;
    }
    if (length != kColorTableBytes) LTHROW_MESSAGE(LumenarRefusal::kUnknownFormat);
    mColorTable = NativeQuadCLUTRef::Create();
    uint8 planes[kColorTableBytes];
    stream.ReadBytes(int32(kColorTableBytes), planes);
    for (int32 i = 0; i < 256; ++i)
        mColorTable->SetColor(i, MakeNativeQuad(planes[i], planes[256 + i], planes[512 + i], 255));
    mColorTable->SetEntryCount(256);
}

void CLumenarFormat::ReadImageResources() {
    SReadStream& stream = *mReadStream;
    const uint32 length = stream.ReadU32();
    if (length == 0) return;
    if (length < kSmallestResourceSection) LTHROW_MESSAGE(LumenarRefusal::kBadLumenarType);
    if (!LCHECK(mRsrcMgr)) {
        stream.Skip(length);
        return;
    }
    mRsrcMgr->Read(length, stream, nullptr);
}

uint64 CLumenarFormat::RowBytes(int64 inWidth) const {
    if (inWidth <= 0) return 0;
    return (uint64(inWidth) * mDepth + 7) / 8;
}
