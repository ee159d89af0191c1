// Format objects: what the document facade (LImageFile) knows about a document format beyond its codec.
//
// A format object owns its codec (a CFileFormat) and offers image resources, the resolution and writing.
// The base answers as a format without resources would; LLumenarFormat is the one concrete format.
// Format objects are neither copyable nor assignable.
#pragma once

#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class CFileFormat;
class CImage;
class CImageResource;
class LProgressScope;
class SWriteStream;

namespace Tarnwick {

// 72.0 in 16.16 fixed point: the resolution of a document that stores none.
inline constexpr uint32 kDefaultResolution = 0x00480000;

class LFileFormat : public LAllocatedObject {
public:
    LFileFormat() = default;
    // Deletes the codec.
    virtual ~LFileFormat();
    LFileFormat(const LFileFormat&) = delete;
    LFileFormat& operator=(const LFileFormat&) = delete;

    // Replaces the data of resource inID by inCount bytes from inSource; the base keeps no resources.
    virtual void WriteResource(int16 inID, const void* inSource, int32 inCount);
    // The resource with that id, or null.
    virtual CImageResource* GetResource(int16 inID);
    // Copies the first inCount bytes of the resource; false when it does not exist.
    virtual bool ReadResource(int16 inID, void* outDestination, int32 inCount);
    // The resource's byte length, or -1 when it does not exist.
    virtual int32 GetResourceLength(int16 inID);
    // Resolution in 16.16 fixed point, horizontal and vertical.
    virtual void SetResolution(uint32 inHorizontal, uint32 inVertical);
    virtual void GetResolution(uint32& outHorizontal, uint32& outVertical);
    // Writes the image through the codec; inReserved is not used by any format.
    virtual void WriteImage(CImage* inImage, SWriteStream* inStream, LProgressScope* inProgress,
                            void* inReserved);
    // Animation frames: no format writes them; does nothing.
    virtual void WriteFrames(CImage* inImage, SWriteStream* inStream, LProgressScope* inProgress,
                             void* inReserved);

    // The byte order of every stream opened for this format (0: big-endian).
    int32 GetByteOrder() const { return mByteOrder; }
    CFileFormat* GetCodec() const { return mCodec; }

protected:
    int32 mByteOrder = 0;
    CFileFormat* mCodec = nullptr;  // owned
};

// The format object of a format type: type 0 is the Lumenar format. Any other type throws a TWException
// with code 27 (reported first as "Debug Message: About to Throw").
LFileFormat* CreateFileFormat(int32 inFormatType);

}  // namespace Tarnwick
