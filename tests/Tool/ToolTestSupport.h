// Running the lumenar program as a user does and reading back the PNGs it writes.
#pragma once

#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Src/Pellin/Isol/IsolTypes.h"
#include "tests/support/DocumentBuilder.h"
#include "tests/support/ReportCapture.h"
#include "tests/support/TempFolder.h"

struct ToolOutcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string Slurp(const std::string& inPath) {
    std::ifstream file(inPath);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs the tool inside inDirectory (where the module puts its scratch file); standard error is a file,
// not a terminal.
inline ToolOutcome RunTool(const std::string& inDirectory, const std::string& inArguments) {
    const std::string command =
        "cd '" + inDirectory + "' && '" + LUMENAR_TEST_TOOL + "' " + inArguments + " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    ToolOutcome outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = Slurp(inDirectory + "/out.txt");
    outcome.err = Slurp(inDirectory + "/err.txt");
    return outcome;
}

// A PNG read back with libpng; ok only for 8-bit RGBA files.
struct PngReadBack {
    bool ok = false;
    uint32 width = 0, height = 0;
    std::vector<uint8> pixels;
    png_uint_32 xPerMetre = 0, yPerMetre = 0;
    std::string software;
};

inline PngReadBack ReadPng(const std::string& inPath) {
    PngReadBack result;
    std::FILE* file = std::fopen(inPath.c_str(), "rb");
    if (file == nullptr) return result;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_info(png, info);
        result.width = png_get_image_width(png, info);
        result.height = png_get_image_height(png, info);
        if (png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB_ALPHA && png_get_bit_depth(png, info) == 8) {
            int unit = 0;
            png_get_pHYs(png, info, &result.xPerMetre, &result.yPerMetre, &unit);
            result.pixels.resize(size_t(result.width) * result.height * 4);
            for (uint32 row = 0; row < result.height; ++row)
                png_read_row(png, result.pixels.data() + size_t(row) * result.width * 4, nullptr);
            png_read_end(png, info);
            png_textp texts = nullptr;
            int count = 0;
            png_get_text(png, info, &texts, &count);
            for (int i = 0; i < count; ++i)
                if (std::string(texts[i].key) == "Software") result.software = texts[i].text;
            result.ok = true;
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return result;
}

// A test that runs the tool (with the build's module) in a folder of its own, removed afterwards.
class ToolFolderTest : public testing::Test {
protected:
    std::string Path(const std::string& inName) const { return mFolder.Path(inName); }

    void Write(const std::string& inName, const ByteVector& inBytes) const {
        std::ofstream out(Path(inName), std::ios::binary);
        out.write(reinterpret_cast<const char*>(inBytes.data()), std::streamsize(inBytes.size()));
    }
    void WriteText(const std::string& inName, const std::string& inText) const {
        std::ofstream(Path(inName)) << inText;
    }

    ToolOutcome Run(const std::string& inArguments) const {
        return RunTool(mFolder.Path(), std::string("--module '") + LUMENAR_TEST_MODULE + "' " + inArguments);
    }

    TempFolder mFolder;
};
