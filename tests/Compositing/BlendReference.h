// A plain per-pixel model of the blend modes for tests, written straight from the formulas with its own
// arithmetic (round-to-nearest divisions instead of the shift tricks, the divide rule computed instead
// of read from the table, the tables from floating point). It is slow and simple on purpose: the engine's
// loops are compared against it.
#pragma once

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/GRect.h"

namespace BlendReference {

int32 Mul(int32 a, int32 b);        // round(a * b / 255)
int32 MulSigned(int32 a, int32 d);  // sign(d) * round(a * |d| / 255)
int32 Screen(int32 a, int32 b);
int32 Lerp(int32 a, int32 b);
int32 Div(int32 a, int32 b);

int32 SoftLightUp(int32 d);
int32 SoftLightDown(int32 d);
int32 ScaleFactor(int32 a);
uint8 Noise(int32 x, int32 y);

// One pixel at image position (x, y) through a mode; preserve = preserved transparency.
void BlendPixel(uint32 mode, uint8 opacity, bool preserve, int32 x, int32 y, NativeQuad s, NativeQuad& d);

// The colour rule of a separable mode on one component with weight a (also the single-plane rule).
int32 ChannelRule(uint32 mode, int32 a, int32 s, int32 d);

// The single-plane rule for one pixel at (x, y) with coverage c.
uint8 BlendPlanePixel(uint32 mode, uint8 opacity, int32 x, int32 y, uint8 s, uint8 d, uint8 c);

}  // namespace BlendReference
