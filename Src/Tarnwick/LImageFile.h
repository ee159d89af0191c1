// The engine's facade for one document: reads it lazily from a port, owns the loaded layered image and
// hands out composite tiles.
//
// Nothing is read at construction. The first question about the geometry reads the document's header;
// the first request for the image (or a tile) reads the rest. Whatever the format code throws reaches
// the caller as a TWException (Exceptions.h). The file never unloads: the image lives until the file is
// destroyed, together with the read stream and, when the file created it, the format object.
#pragma once

#include <memory>

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class CImage;
class CImageResource;
class LFilePort;
class LProgressScope;
class SReadStream;

namespace Tarnwick {
class LFileFormat;
}

class LImageFile : public LAllocatedObject {
public:
    // The image resource holding the global light angle in its first 4 bytes.
    static constexpr int16 kGlobalAngleResourceID = 1037;

    // A document on inPort (not owned; it must outlive the file) in the format of inFormatType, whose
    // format object the file creates and owns. A type other than 0 throws TWException code 27.
    LImageFile(LFilePort* inPort, int32 inFormatType);
    // The same with a format object the caller owns and keeps alive.
    LImageFile(LFilePort* inPort, Tarnwick::LFileFormat* inFormat);
    // A new empty image of the given size (for writing), no port.
    LImageFile(int32 inWidth, int32 inHeight, int32 inFormatType);
    LImageFile(int32 inWidth, int32 inHeight, Tarnwick::LFileFormat* inFormat);
    ~LImageFile();
    LImageFile(const LImageFile&) = delete;
    LImageFile& operator=(const LImageFile&) = delete;

    // The document's size; reads the header first if needed (0 without a port).
    int32 GetWidth();
    int32 GetHeight();
    // Reads the whole document into the image unless that has been done (nothing without a port).
    void LoadImage(LProgressScope* inProgress);
    // Loads, then merges an image of two or more layers into one; both report through inProgress. A
    // plain stack may be merged while it is decoded, without holding all of its layers at once.
    void LoadAndFlatten(LProgressScope* inProgress);
    // The image (null before loading, or when there is no document to load).
    CImage* GetImage() const;
    // Loads, then fills outBuffer (inRect's width x height pixels, rows packed) with the composite of
    // inRect; with inMatte the colours are matted over white.
    void GetCompositeTile(const GRect& inRect, NativeQuad* outBuffer, bool inMatte);
    // Writes the image (when there is one) to inPort through inFormat's writer.
    void Write(LFilePort* inPort, Tarnwick::LFileFormat* inFormat, LProgressScope* inProgress,
               void* inReserved);

    // Forwarded to the format object.
    CImageResource* GetResource(int16 inID);
    bool ReadResource(int16 inID, void* outDestination, int32 inCount);
    void WriteResource(int16 inID, const void* inSource, int32 inCount);
    int32 GetResourceLength(int16 inID);
    void GetResolution(uint32& outHorizontal, uint32& outVertical);
    void SetResolution(uint32 inHorizontal, uint32 inVertical);

    Tarnwick::LFileFormat* GetFormat() const { return mFormat; }

    // Per pixel of alpha a, each colour c becomes 255 - Mul8(255 - c, a): transparent pixels turn white,
    // opaque ones keep their colour. Alpha is kept.
    static void MatteOverWhite(NativeQuad* ioPixels, uint32 inCount);

private:
    struct Contents;
    void ReadHeaderIfNeeded();
    void LoadIfNeeded(LProgressScope* inProgress);
    void ReadGlobalAngle();

    std::unique_ptr<Contents> mContents;
    LFilePort* mPort = nullptr;  // not owned
    bool mOwnsFormat = false;
    Tarnwick::LFileFormat* mFormat = nullptr;
    int32 mWidth = 0;
    int32 mHeight = 0;
};
