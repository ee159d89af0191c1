#include "tools/png/PngReader.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {

struct ErrorState {
    char message[256] = {};
};

void OnError(png_structp inPng, png_const_charp inMessage) {
    auto* state = static_cast<ErrorState*>(png_get_error_ptr(inPng));
    std::snprintf(state->message, sizeof state->message, "%s",
                  inMessage != nullptr ? inMessage : "libpng error");
    png_longjmp(inPng, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Where the decoded rows go. Plain data only: a long jump back into DecodeRows skips no destructor.
struct RowTarget {
    bool grey = false;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    PixelBytes* pixels = nullptr;  // resized by the caller's callback below
    bool (*reserve)(RowTarget&) = nullptr;
};

bool Reserve(RowTarget& ioTarget) {
    try {
        ioTarget.pixels->resize(size_t(ioTarget.width) * ioTarget.height * (ioTarget.grey ? 1 : 4));
        return true;
    } catch (...) {
        return false;
    }
}

bool DecodeRows(std::FILE* inFile, RowTarget& ioTarget, ErrorState& ioState) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &ioState, &OnError, &OnWarning);
    if (png == nullptr) {
        std::snprintf(ioState.message, sizeof ioState.message, "cannot start libpng");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(ioState.message, sizeof ioState.message, "cannot start libpng");
        return false;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, inFile);
    png_set_user_limits(png, kMaxPngSide, kMaxPngSide);
    png_read_info(png, info);
    const png_byte colourType = png_get_color_type(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    if (ioTarget.grey) {
        if ((colourType & PNG_COLOR_MASK_COLOR) != 0) png_set_rgb_to_gray_fixed(png, 1, -1, -1);
        png_set_strip_alpha(png);
    } else {
        if ((colourType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    }
    png_read_update_info(png, info);
    ioTarget.width = png_get_image_width(png, info);
    ioTarget.height = png_get_image_height(png, info);
    const size_t rowBytes = size_t(ioTarget.width) * (ioTarget.grey ? 1 : 4);
    if (png_get_rowbytes(png, info) != rowBytes) png_error(png, "unexpected row layout");
    if (!ioTarget.reserve(ioTarget)) png_error(png, "out of memory");
    for (png_uint_32 pass = 0, passes = png_uint_32(png_set_interlace_handling(png)); pass < passes; ++pass)
        for (png_uint_32 row = 0; row < ioTarget.height; ++row)
            png_read_row(png, ioTarget.pixels->data() + size_t(row) * rowBytes, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool Read(const std::string& inPath, bool inGrey, int32& outWidth, int32& outHeight, PixelBytes& outPixels,
          std::string& outError) {
    std::FILE* file = std::fopen(inPath.c_str(), "rb");
    if (file == nullptr) {
        outError = "cannot read " + inPath + ": " + std::strerror(errno);
        return false;
    }
    RowTarget target;
    target.grey = inGrey;
    target.pixels = &outPixels;
    target.reserve = &Reserve;
    ErrorState state;
    const bool read = DecodeRows(file, target, state);
    std::fclose(file);
    if (!read) {
        outPixels.clear();
        outError = "cannot read " + inPath + ": " + state.message;
        return false;
    }
    outWidth = int32(target.width);
    outHeight = int32(target.height);
    return true;
}

}  // namespace

bool ReadPngRgba(const std::string& inPath, RgbaImage& outImage, std::string& outError) {
    return Read(inPath, false, outImage.width, outImage.height, outImage.pixels, outError);
}

bool ReadPngGrey(const std::string& inPath, GreyImage& outImage, std::string& outError) {
    return Read(inPath, true, outImage.width, outImage.height, outImage.pixels, outError);
}
