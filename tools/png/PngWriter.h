// Writing 8-bit RGBA and grey images as PNG files: the chunks are laid out here, the picture data is
// compressed by DeflateEncoder. Every failure comes back as a message.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Src/Pellin/Isol/IsolTypes.h"

// Memory for a picture: blocks of 2 MB and more are the system's large blocks, as the engine's tile slabs
// are (aligned to 2 MB and asked for large pages). A page is then cleared by the system on first touch 512
// times less often; on a virtual machine each small-page fault can cost more than clearing the page itself.
void* AllocatePictureBytes(size_t inBytes);
void FreePictureBytes(void* inBlock, size_t inBytes);

// Picture bytes whose storage is not cleared when it is sized: a picture is written before it is read,
// and pages that are never written take no memory (an assembled picture is held only as its tiles come).
template <class T>
struct UnclearedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UnclearedAllocator<U>;
    };
    UnclearedAllocator() = default;
    template <class U>
    UnclearedAllocator(const UnclearedAllocator<U>&) noexcept {}
    T* allocate(size_t inCount) { return static_cast<T*>(AllocatePictureBytes(inCount * sizeof(T))); }
    void deallocate(T* inBlock, size_t inCount) noexcept { FreePictureBytes(inBlock, inCount * sizeof(T)); }
    template <class U>
    void construct(U* inAt) noexcept {
        ::new (static_cast<void*>(inAt)) U;
    }
    template <class U, class... Args>
    void construct(U* inAt, Args&&... inArgs) {
        ::new (static_cast<void*>(inAt)) U(std::forward<Args>(inArgs)...);
    }
};
using PixelBytes = std::vector<uint8, UnclearedAllocator<uint8>>;

struct RgbaImage {
    int32 width = 0;
    int32 height = 0;
    PixelBytes pixels;  // rows top to bottom, 4 bytes per pixel: red, green, blue, alpha
};

// An 8-bit grey image: rows top to bottom, one byte per pixel.
struct GreyImage {
    int32 width = 0;
    int32 height = 0;
    PixelBytes pixels;
};

struct PngMetadata {
    // Resolution in pixels per inch as 16.16 fixed point; 0 writes no resolution.
    uint32 horizontalResolution = 0;
    uint32 verticalResolution = 0;
    std::string software;  // the "Software" text entry; empty writes none
};

// Pixels per metre for a 16.16 fixed-point resolution in pixels per inch, rounded to nearest.
uint32 PixelsPerMetre(uint32 inFixedPixelsPerInch);

// Writes inImage to inPath (created or replaced). Returns false and describes the failure in outError
// when the file cannot be written or the image is inconsistent (size not width x height x 4, a side
// below 1); a partly written file is removed.
bool WritePng(const std::string& inPath, const RgbaImage& inImage, const PngMetadata& inMetadata,
              std::string& outError);

// Writes inImage as an 8-bit grey PNG (no resolution, no text), with the same failures as WritePng.
bool WritePngGrey(const std::string& inPath, const GreyImage& inImage, std::string& outError);
