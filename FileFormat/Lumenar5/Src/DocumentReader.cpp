#include "FileFormat/Lumenar5/Src/DocumentReader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Tarnwick/LibraryStartup.h"

namespace {

// The default format type: the Lumenar format.
constexpr int32 kDefaultFormatType = 0;

}  // namespace

DocumentReader::SpillFile::SpillFile() {
    // The scratch file's create and open calls report nothing; a file that did not open fails the read
    // here, before the library starts.
    if (!mFile.IsOpen()) LTHROW(MiscDiskException);
    LibraryStart(&mFile);
}

// Stopping the library destroys the singletons.
DocumentReader::SpillFile::~SpillFile() {
    LibraryStopInDestructor();
}

DocumentReader::DocumentReader(Platform::FileHandle inHostFile)
    : mHostPort(inHostFile), mImageFile(&mHostPort, kDefaultFormatType) {
    const int32 width = mImageFile.GetWidth();
    const int32 height = mImageFile.GetHeight();
    // The codec admits only sizes from 1 up; anything else would make an empty or endless walk.
    if (width < 1 || height < 1) LTHROW(OutOfImageBounds);
    const int32 tileWidth = TileWidthFor(width, mScratchBuffer.Size());
    const int32 tileHeight = TileHeightFor(height, tileWidth, mScratchBuffer.Size());
    mWalker.Reset(tileWidth, tileHeight, GRect(0, 0, width, height));
    mBuffer = static_cast<NativeQuad*>(mScratchBuffer.Ptr());
    // The reports name the conditions in the reader's own words.
    LCHECK_AS(mScratchBuffer.Ptr() != nullptr, "mScratchBuffer.GetBuffer() != nil");
    LCHECK_AS(int64(mScratchBuffer.Size()) >= int64(tileWidth) * tileHeight * int64(sizeof(NativeQuad)),
              "mScratchBuffer.GetSize() >= (int32) ((tileWidth * tileHeight) * sizeof(NativeQuad))");
}

// Members go in reverse order: buffer, progress, document, host port, and last the scratch file, whose
// holder stops the library before the file is closed and deleted.
DocumentReader::~DocumentReader() = default;

int32 DocumentReader::TileWidthFor(int32 inWidth, uint32 inBufferSize) {
    return int32(std::min<int64>(inWidth, inBufferSize / sizeof(NativeQuad)));
}

int32 DocumentReader::TileHeightFor(int32 inHeight, int32 inTileWidth, uint32 inBufferSize) {
    if (inTileWidth < 1) return 0;
    return int32(std::min<int64>(inHeight, inBufferSize / (uint64(inTileWidth) * sizeof(NativeQuad))));
}

bool DocumentReader::NextTile(TileRequest& outRequest) {
    try {
        if (!mStarted) {
            LoadAndFlatten();
            mTile = mWalker.Tile();
            mStarted = true;
        }
        if (!mWalker.Valid()) return false;
        mImageFile.GetCompositeTile(mTile, mBuffer, true);
        FillRequest(outRequest);
        mWalker.Next();
        mTile = mWalker.Tile();
        return true;
    } catch (...) {
        EndWalk();
        throw;
    }
}

void DocumentReader::LoadAndFlatten() {
    mImageFile.LoadAndFlatten(&mProgress);
}

void DocumentReader::FillRequest(TileRequest& outRequest) const {
    outRequest.data = mBuffer;
    outRequest.top = mTile.top;
    outRequest.left = mTile.left;
    outRequest.bottom = mTile.bottom;
    outRequest.right = mTile.right;
    outRequest.firstPlane = 0;
    outRequest.planeLimit = int16(kPlaneCount);
    outRequest.columnStep = int16(sizeof(NativeQuad));
    outRequest.rowStep = mTile.Width() * int32(sizeof(NativeQuad));
    outRequest.planeStep = 1;
    std::copy(std::begin(kPlaneMap), std::end(kPlaneMap), outRequest.planeMap);
}

// A failed tile ends the delivery: an image that failed to load stays half-read, so no later call may
// composite it.
void DocumentReader::EndWalk() {
    mStarted = true;
    while (mWalker.Valid()) mWalker.Next();
    mTile = mWalker.Tile();
}

namespace {

uint32 ReadMark(const PluginState& inState) {
    uint32 mark;
    std::memcpy(&mark, inState.readerStorage + kReaderMarkOffset, sizeof mark);
    return mark;
}

void WriteMark(PluginState& ioState, uint32 inMark) {
    std::memcpy(ioState.readerStorage + kReaderMarkOffset, &inMark, sizeof inMark);
}

}  // namespace

DocumentReader& DocumentReader::BuildIn(PluginState& ioState, Platform::FileHandle inHostFile) {
    // A reader left open by a host that skipped ReadFinish is closed first: its scratch file and its
    // library start would otherwise never be released.
    DestroyIn(ioState);
    DocumentReader* reader = new (ioState.readerStorage) DocumentReader(inHostFile);
    WriteMark(ioState, kReaderMark);
    return *reader;
}

DocumentReader* DocumentReader::FindIn(PluginState& ioState) {
    if (ReadMark(ioState) != kReaderMark) return nullptr;
    return std::launder(reinterpret_cast<DocumentReader*>(ioState.readerStorage));
}

void DocumentReader::DestroyIn(PluginState& ioState) {
    DocumentReader* reader = FindIn(ioState);
    if (reader == nullptr) return;
    WriteMark(ioState, 0);
    reader->~DocumentReader();
}
