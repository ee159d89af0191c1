// The merged image data of a document being written: the composite of every layer over opaque white,
// then the image's extra channels, all packed.
//
// The image given is changed: it receives a white background layer at the bottom. Callers hand it a
// copy of the image they write.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

class CImage;
class LProgressScope;
class SWriteStream;

class MergedImageWriter {
public:
    // inColourCount is 3 (red, green, blue) or 1 (an indexed document: for each pixel the index of the
    // colour table entry nearest to the composite; the table is that of the bottom layer, which must be
    // an indexed layer).
    MergedImageWriter(CImage& ioImage, uint32 inColourCount);

    // Writes the compression code 1, every channel's line counts, then every channel's packed rows.
    void Write(SWriteStream& inStream, LProgressScope* inProgress);

private:
    CImage& mImage;
    uint32 mColourCount;
};
