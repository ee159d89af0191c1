// The state of one read operation: from the host's open document to flat tiles.
//
// ReadStart builds the reader in place inside the persistent block and ReadFinish destroys it there; it
// is never copied or moved. Construction creates the scratch file "LRMerger.tmp" in the current
// directory, starts the engine library with it as the spill file, and reads the document's header.
// The image is loaded (and, with two or more layers, flattened) on the first NextTile, then handed out
// one tile of the walk per call. Only one reader may exist at a time in a process: the spill file, the
// library start count and the scratch file's name are process-wide.
#pragma once

#include <cstddef>

#include "API/HostFilePort.h"
#include "API/MergerTempFile.h"
#include "FileFormat/Lumenar5/Src/PluginState.h"
#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/TileWalker.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "Src/PowerPellin/LScratchBuffer.h"
#include "Src/Tarnwick/LImageFile.h"

// What the reader fills for one tile; ReadContinue copies it into the host's record.
struct TileRequest {
    void* data = nullptr;  // the reader's scratch buffer: NativeQuad pixels, rows packed
    int32 top = 0;
    int32 left = 0;
    int32 bottom = 0;
    int32 right = 0;
    int16 firstPlane = 0;
    int16 planeLimit = 0;
    int16 columnStep = 0;
    int32 rowStep = 0;
    int32 planeStep = 0;
    int16 planeMap[4] = {};  // byte offset of planes red, green, blue, alpha inside a pixel
};

class DocumentReader {
public:
    // Byte offsets of the planes inside a NativeQuad (blue, green, red, alpha in memory).
    static constexpr int16 kPlaneMap[4] = {2, 1, 0, 3};
    static constexpr int32 kPlaneCount = 4;

    // Opens the document on inHostFile (not owned: the module never closes it) and reads its header.
    // Throws when the scratch file cannot be opened or the document is refused; the members built so far
    // are destroyed on the way out, so the library is stopped and the scratch file deleted again.
    explicit DocumentReader(Platform::FileHandle inHostFile);
    // Frees the buffer, ends the progress, closes the document, then stops the library and deletes the
    // scratch file. A failure while stopping the library escapes after everything is released.
    ~DocumentReader();
    DocumentReader(const DocumentReader&) = delete;
    DocumentReader& operator=(const DocumentReader&) = delete;

    int32 GetWidth() const { return mWalker.Bounds().Width(); }
    int32 GetHeight() const { return mWalker.Bounds().Height(); }
    int32 GetTileWidth() const { return mWalker.TileWidth(); }
    int32 GetTileHeight() const { return mWalker.TileHeight(); }
    // The loaded image (null until the first NextTile has loaded it).
    CImage* GetImage() const { return mImageFile.GetImage(); }

    // Fills outRequest with the next tile of the walk and returns true; false once the walk is over.
    // The first call loads the image and flattens one of two or more layers. Whatever the engine throws
    // escapes, and the walk is over: later calls return false. The tile's pixels stay valid until the
    // next call or the reader's destruction.
    bool NextTile(TileRequest& outRequest);

    // Builds a reader in the block's storage; throws as the constructor does, leaving no reader.
    static DocumentReader& BuildIn(PluginState& ioState, Platform::FileHandle inHostFile);
    // The reader built in the block's storage, or null when there is none.
    static DocumentReader* FindIn(PluginState& ioState);
    // Destroys the block's reader in place (nothing when there is none); the storage stays the block's.
    // Whatever the destruction throws escapes, and the reader is gone all the same.
    static void DestroyIn(PluginState& ioState);

    // Tile sizes for an image inWidth x inHeight (both at least 1) and a buffer of inBufferSize bytes:
    // the widest tile the buffer holds a row of, then as many such rows as it holds.
    static int32 TileWidthFor(int32 inWidth, uint32 inBufferSize);
    static int32 TileHeightFor(int32 inHeight, int32 inTileWidth, uint32 inBufferSize);

private:
    // The scratch file for the life of the read, and the library started over it.
    class SpillFile {
    public:
        SpillFile();
        ~SpillFile();
        SpillFile(const SpillFile&) = delete;
        SpillFile& operator=(const SpillFile&) = delete;

    private:
        MergerTempFile mFile;
    };

    void LoadAndFlatten();
    void FillRequest(TileRequest& outRequest) const;
    void EndWalk();

    SpillFile mScratchFile;
    HostFilePort mHostPort;
    LImageFile mImageFile;
    LProgressScope mProgress;
    LScratchBuffer mScratchBuffer;
    TileWalker mWalker;
    GRect mTile;
    NativeQuad* mBuffer = nullptr;
    bool mStarted = false;
};

// The last word of the block's storage tells whether a reader lives there: BuildIn sets it once the
// constructor has returned, DestroyIn clears it first. The zero-filled block starts without a reader.
inline constexpr size_t kReaderMarkOffset = kReaderStorageSize - sizeof(uint32);
inline constexpr uint32 kReaderMark = FourCC("DRdr");

static_assert(sizeof(DocumentReader) <= kReaderMarkOffset, "the reader must fit the persistent block");
static_assert(alignof(DocumentReader) <= kReaderStorageAlignment,
              "the block's storage is not aligned enough");
