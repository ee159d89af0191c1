// The base of the document codecs.
//
// A codec is bound to one document: the framework hands it a read stream (not owned; it must outlive
// every read) and calls ReadHeader, which fills in the geometry, and then ReadImage. Writing takes the
// image and an open write stream. Failures are thrown; a refused document is abandoned by the caller.
#pragma once

#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class CImage;
class LProgressScope;
class SReadStream;
class SWriteStream;

class CFileFormat : public LAllocatedObject {
public:
    CFileFormat() = default;
    virtual ~CFileFormat();
    CFileFormat(const CFileFormat&) = delete;
    CFileFormat& operator=(const CFileFormat&) = delete;

    // Reads the document's leading sections from the read stream; afterwards GetRows, GetColumns and
    // GetDepth describe the document.
    virtual void ReadHeader() = 0;
    // Fills inImage (owned by the caller, sized from the header) from the rest of the document.
    virtual void ReadImage(CImage* inImage, LProgressScope* inProgress) = 0;
    virtual void WriteImage(CImage* inImage, SWriteStream* inStream, LProgressScope* inProgress) = 0;
    // Animation frames inside the document: no format of this module stores them; the base reports so.
    virtual void WriteFrames(CImage* inImage, SWriteStream* inStream, LProgressScope* inProgress,
                             void* inReserved);

    // Whether ReadImage may flatten the layers as it decodes them, when it can do so without holding
    // them all: the image then holds the one merged layer FlattenImage would make. Off by default.
    void SetMergeWhileReading(bool inMerge) { mMergeWhileReading = inMerge; }
    SReadStream* GetReadStream() const { return mReadStream; }
    void SetReadStream(SReadStream* inStream) { mReadStream = inStream; }

    uint32 GetChannelCount() const { return mChannelCount; }
    uint32 GetDepth() const { return mDepth; }
    uint32 GetRows() const { return mRows; }
    uint32 GetColumns() const { return mColumns; }

protected:
    SReadStream* mReadStream = nullptr;  // not owned
    uint32 mChannelCount = 0;
    uint32 mDepth = 0;
    uint32 mRows = 0;
    uint32 mColumns = 0;
    bool mMergeWhileReading = false;
};
