#include "Src/Tarnwick/LImageFile.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Src/Orvane/Src/Compositing/CImageComposite.h"

#include "Src/Orvane/Src/Format/CFileFormat.h"
#include "Src/Orvane/Src/Format/CImageResource.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/PixelMath.h"
#include "Src/Orvane/Src/Storage/VMBufferPort.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "Src/Tarnwick/LFileFormat.h"

namespace {
constexpr uint32 kStreamBufferSize = 4096;
}  // namespace

struct LImageFile::Contents {
    std::unique_ptr<SReadStream> stream;
    std::unique_ptr<CImage> image;
};

LImageFile::LImageFile(LFilePort* inPort, int32 inFormatType)
    : mContents(std::make_unique<Contents>()),
      mPort(inPort),
      mOwnsFormat(true),
      mFormat(Tarnwick::CreateFileFormat(inFormatType)) {}

LImageFile::LImageFile(LFilePort* inPort, Tarnwick::LFileFormat* inFormat)
    : mContents(std::make_unique<Contents>()), mPort(inPort), mFormat(inFormat) {}

LImageFile::LImageFile(int32 inWidth, int32 inHeight, int32 inFormatType)
    : mContents(std::make_unique<Contents>()),
      mOwnsFormat(true),
      mFormat(Tarnwick::CreateFileFormat(inFormatType)),
      mWidth(inWidth),
      mHeight(inHeight) {
    mContents->image = std::make_unique<CImage>(inWidth, inHeight);
}

LImageFile::LImageFile(int32 inWidth, int32 inHeight, Tarnwick::LFileFormat* inFormat)
    : mContents(std::make_unique<Contents>()), mFormat(inFormat), mWidth(inWidth), mHeight(inHeight) {
    mContents->image = std::make_unique<CImage>(inWidth, inHeight);
}

// The image goes before the stream, and both before the format object. A codec the file does not own
// outlives it and must not keep pointing at the stream.
LImageFile::~LImageFile() {
    CFileFormat* codec = mFormat != nullptr ? mFormat->GetCodec() : nullptr;
    if (codec != nullptr && codec->GetReadStream() == mContents->stream.get()) codec->SetReadStream(nullptr);
    mContents.reset();
    if (mOwnsFormat) delete mFormat;
}

int32 LImageFile::GetWidth() {
    TranslateToTWException([this] { ReadHeaderIfNeeded(); });
    return mWidth;
}

int32 LImageFile::GetHeight() {
    TranslateToTWException([this] { ReadHeaderIfNeeded(); });
    return mHeight;
}

void LImageFile::LoadImage(LProgressScope* inProgress) {
    TranslateToTWException([this, inProgress] { LoadIfNeeded(inProgress); });
}

void LImageFile::LoadAndFlatten(LProgressScope* inProgress) {
    TranslateToTWException([this, inProgress] {
        // The codec may merge a plain stack while it decodes it, without holding every layer; a load that
        // fails leaves it as reading whole, for any later load.
        CFileFormat* codec = mFormat != nullptr ? mFormat->GetCodec() : nullptr;
        if (codec != nullptr) codec->SetMergeWhileReading(true);
        try {
            LoadIfNeeded(inProgress);
        } catch (...) {
            if (codec != nullptr) codec->SetMergeWhileReading(false);
            throw;
        }
        if (codec != nullptr) codec->SetMergeWhileReading(false);
        CImage* image = mContents->image.get();
        if (image != nullptr && image->GetLayerCount() >= 2) FlattenImage(*image, inProgress);
    });
}

CImage* LImageFile::GetImage() const {
    return mContents->image.get();
}

void LImageFile::GetCompositeTile(const GRect& inRect, NativeQuad* outBuffer, bool inMatte) {
    TranslateToTWException([&] {
        {
            LProgressScope loadProgress;
            LoadIfNeeded(&loadProgress);
        }
        CImage* image = ThrowIfNil(mContents->image.get());
        const GRect rect = inRect;
        ::GetCompositeTile(*image, rect, outBuffer, rect.Width() * 4);
        if (inMatte) MatteOverWhite(outBuffer, uint32(rect.Width()) * uint32(rect.Height()));
    });
}

void LImageFile::Write(LFilePort* inPort, Tarnwick::LFileFormat* inFormat, LProgressScope* inProgress,
                       void* inReserved) {
    TranslateToTWException([&] {
        CImage* image = mContents->image.get();
        if (image == nullptr) return;
        Tarnwick::LFileFormat* format = ThrowIfNil(inFormat);
        SWriteStream stream(inPort, format->GetByteOrder(), kStreamBufferSize, 0);
        format->WriteImage(image, &stream, inProgress, inReserved);
        stream.Flush(true);
    });
}

CImageResource* LImageFile::GetResource(int16 inID) {
    return TranslateToTWException([&] { return ThrowIfNil(mFormat)->GetResource(inID); });
}

bool LImageFile::ReadResource(int16 inID, void* outDestination, int32 inCount) {
    return TranslateToTWException(
        [&] { return ThrowIfNil(mFormat)->ReadResource(inID, outDestination, inCount); });
}

void LImageFile::WriteResource(int16 inID, const void* inSource, int32 inCount) {
    TranslateToTWException([&] { ThrowIfNil(mFormat)->WriteResource(inID, inSource, inCount); });
}

int32 LImageFile::GetResourceLength(int16 inID) {
    return TranslateToTWException([&] { return ThrowIfNil(mFormat)->GetResourceLength(inID); });
}

void LImageFile::GetResolution(uint32& outHorizontal, uint32& outVertical) {
    TranslateToTWException([&] { ThrowIfNil(mFormat)->GetResolution(outHorizontal, outVertical); });
}

void LImageFile::SetResolution(uint32 inHorizontal, uint32 inVertical) {
    TranslateToTWException([&] { ThrowIfNil(mFormat)->SetResolution(inHorizontal, inVertical); });
}

void LImageFile::ReadHeaderIfNeeded() {
    if (mPort == nullptr || mContents->stream != nullptr) return;
    CFileFormat* codec = ThrowIfNil(ThrowIfNil(mFormat)->GetCodec());
    mContents->stream = std::make_unique<SReadStream>(mPort, mFormat->GetByteOrder(), kStreamBufferSize, 0);
    codec->SetReadStream(mContents->stream.get());
    codec->ReadHeader();
    mWidth = int32(codec->GetColumns());
    mHeight = int32(codec->GetRows());
}

void LImageFile::LoadIfNeeded(LProgressScope* inProgress) {
    if (mPort == nullptr || mContents->image != nullptr) return;
    ReadHeaderIfNeeded();
    mContents->image = std::make_unique<CImage>(mWidth, mHeight);
    mFormat->GetCodec()->ReadImage(mContents->image.get(), inProgress);
    ReadGlobalAngle();
}

// Resource 1037 holds the angle as a big-endian u32 in its first 4 bytes; without it the image keeps
// its default.
void LImageFile::ReadGlobalAngle() {
    CImageResource* resource = mFormat->GetResource(kGlobalAngleResourceID);
    if (resource == nullptr || resource->DataSize() < 4) return;
    std::unique_ptr<VMBufferPort> port = resource->MakePort();
    SReadStream stream(port.get(), mFormat->GetByteOrder(), kStreamBufferSize, 0);
    mContents->image->SetGlobalAngle(int32(stream.ReadU32()));
}

// Four pixels at a time on 16-bit lanes: t = (255 - c) * a, Mul8 as the high half of (t + 128) * 257,
// the alpha lanes kept; the scalar loop takes what is left.
void LImageFile::MatteOverWhite(NativeQuad* ioPixels, uint32 inCount) {
    uint32 i = 0;
#if defined(__SSE2__)
    const __m128i full = _mm_set1_epi16(255);
    const __m128i half = _mm_set1_epi16(128);
    const __m128i scale = _mm_set1_epi16(257);
    const __m128i alphaLanes = _mm_set1_epi64x(int64(0xFFFF000000000000ull));
    const __m128i zero = _mm_setzero_si128();
    auto matte = [&](__m128i inQuads) {  // two pixels on 16-bit lanes: blue, green, red, alpha
        const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(inQuads, 0xFF), 0xFF);
        const __m128i product = _mm_add_epi16(_mm_mullo_epi16(_mm_sub_epi16(full, inQuads), alpha), half);
        const __m128i matted = _mm_sub_epi16(full, _mm_mulhi_epu16(product, scale));
        return _mm_or_si128(_mm_and_si128(alphaLanes, inQuads), _mm_andnot_si128(alphaLanes, matted));
    };
    // Opaque pixels keep their colour (Mul8(x, 255) = x): four of them are left as they are, and so are
    // sixteen, tested at once, as most of a flattened image is opaque.
    const __m128i opaque = _mm_set1_epi32(int32(0xFF000000u));
    const auto allOpaque = [&](__m128i inQuads) {
        return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(inQuads, opaque), opaque)) == 0xFFFF;
    };
    const auto matteFour = [&](__m128i* ioAt) {
        const __m128i quads = _mm_loadu_si128(ioAt);
        if (allOpaque(quads)) return;
        _mm_storeu_si128(ioAt, _mm_packus_epi16(matte(_mm_unpacklo_epi8(quads, zero)),
                                                matte(_mm_unpackhi_epi8(quads, zero))));
    };
    for (; i + 16 <= inCount; i += 16) {
        __m128i* at = reinterpret_cast<__m128i*>(ioPixels + i);
        if (allOpaque(_mm_and_si128(_mm_and_si128(_mm_loadu_si128(at), _mm_loadu_si128(at + 1)),
                                    _mm_and_si128(_mm_loadu_si128(at + 2), _mm_loadu_si128(at + 3)))))
            continue;
        for (int32 k = 0; k < 4; ++k) matteFour(at + k);
    }
    for (; i + 4 <= inCount; i += 4) matteFour(reinterpret_cast<__m128i*>(ioPixels + i));
#endif
    for (; i < inCount; ++i) {
        NativeQuad& pixel = ioPixels[i];
        const uint32 alpha = pixel.alpha;
        pixel.red = uint8(255 - Mul8(255u - pixel.red, alpha));
        pixel.green = uint8(255 - Mul8(255u - pixel.green, alpha));
        pixel.blue = uint8(255 - Mul8(255u - pixel.blue, alpha));
    }
}
