// PNG compression trials for bench_summary: the same RGBA image encoded by libpng under several zlib
// levels, strategies and row filters, and the tool's way (libdeflate) at several levels, timed and sized,
// to compare the tool's choice with libpng's defaults.
#pragma once

#include <string>
#include <vector>

#include "Src/Pellin/Isol/IsolTypes.h"

struct PngImage {
    int32 width = 0;
    int32 height = 0;
    std::vector<uint8> rgba;
};

struct PngSettings {
    const char* name;
    int level;     // zlib level; -1 is zlib's default (6)
    int strategy;  // zlib strategy; -1 leaves libpng's choice
    int filters;   // libpng filter mask; -1 leaves libpng's choice
};

struct PngTrial {
    double seconds = 0;
    double bytes = 0;
};

// An empty image when the file cannot be read.
PngImage ReadPng(const std::string& inPath);

PngTrial EncodePng(const PngImage& inImage, const std::string& inPath, const PngSettings& inSettings);

// libpng and zlib with nothing set.
PngSettings DefaultPngSettings();

// Prints size and time of every trial setting.
void PrintPngTable(const PngImage& inImage, const std::string& inFolder);
