// Helpers of the colour-adjustment suites.
#pragma once

#include <gtest/gtest.h>

#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "tests/Format/ReaderTestSupport.h"  // Word: a pixel as 0xAARRGGBB, so failures print all four components

// Suites whose pixel arithmetic reads the divide table.
class ColourTest : public testing::Test {
protected:
    static void SetUpTestSuite() { BuildByteTables(); }
};

// One pixel through the layer's AdjustTile into a separate destination that holds (1, 2, 3, 4) before:
// shows which bytes of the destination the layer writes.
inline NativeQuad AdjustInto(CAdjustmentLayer& inLayer, NativeQuad inPixel) {
    NativeQuad out = MakeNativeQuad(1, 2, 3, 4);
    int32 rowBytes = 4;
    int32 outRowBytes = 4;
    inLayer.AdjustTile(GRect(0, 0, 1, 1), &inPixel, rowBytes, &out, outRowBytes);
    return out;
}
