#include "Src/Orvane/Src/Effects/ColorRecord.h"

#include <cmath>

#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"

namespace {

// A 16.16 fraction back to its 16-bit form: multiplied by 65536 and truncated. Every HSB intermediate
// is a product of at most three 16-bit fractions, which a double holds exactly, so no rounding creeps in.
uint16 ToComponent(double inFraction) {
    return uint16(inFraction * 65536.0);
}

// i = floor(6h) picks the sextant of the hue wheel; p, q and t are the three falling and rising edges.
NativeQuad FromHSB(const uint16 (&inComponents)[4]) {
    const double h = inComponents[0] / 65536.0;
    const double s = inComponents[1] / 65536.0;
    const uint16 v = inComponents[2];
    if (s == 0.0) return MakeNativeQuad(uint8(v >> 8), uint8(v >> 8), uint8(v >> 8), 255);
    const double value = v / 65536.0;
    const int32 i = int32(std::floor(6.0 * h));
    const double f = 6.0 * h - i;
    const uint16 p = ToComponent(value * (1.0 - s));
    const uint16 q = ToComponent(value * (1.0 - s * f));
    const uint16 t = ToComponent(value * (1.0 - s * (1.0 - f)));
    uint16 red = v, green = t, blue = p;
    switch (i) {
        case 0:
            red = v;
            green = t;
            blue = p;
            break;
        case 1:
            red = q;
            green = v;
            blue = p;
            break;
        case 2:
            red = p;
            green = v;
            blue = t;
            break;
        case 3:
            red = p;
            green = q;
            blue = v;
            break;
        case 4:
            red = t;
            green = p;
            blue = v;
            break;
        default:
            red = v;
            green = p;
            blue = q;
            break;
    }
    return MakeNativeQuad(uint8(red >> 8), uint8(green >> 8), uint8(blue >> 8), 255);
}

// Each colour is the paper left by its ink times the paper left by black, in the floating-point order
// (k / 65535)(c / 65535) x 65535 and truncated: the order decides the last bit near whole values.
uint8 FromInk(uint16 inInk, uint16 inBlack) {
    const double paper = double(inBlack) / 65535.0 * (double(inInk) / 65535.0) * 65535.0;
    return uint8(uint32(paper) >> 8);
}

}  // namespace

ColorRecord ColorRecord::FromRGB(uint8 inRed, uint8 inGreen, uint8 inBlue) {
    ColorRecord record;
    record.mSpace = int16(kRGBSpace);
    record.mComponents[0] = uint16(inRed * 257);
    record.mComponents[1] = uint16(inGreen * 257);
    record.mComponents[2] = uint16(inBlue * 257);
    record.mComponents[3] = 0;
    return record;
}

NativeQuad ColorRecord::ToNativeQuad() const {
    switch (mSpace) {
        case kRGBSpace:
            return MakeNativeQuad(uint8(mComponents[0] >> 8), uint8(mComponents[1] >> 8),
                                  uint8(mComponents[2] >> 8), 255);
        case kHSBSpace:
            return FromHSB(mComponents);
        case kCMYKSpace:
            return MakeNativeQuad(FromInk(mComponents[0], mComponents[3]),
                                  FromInk(mComponents[1], mComponents[3]),
                                  FromInk(mComponents[2], mComponents[3]), 255);
        default:
            return kOpaqueBlack;
    }
}

void ColorRecord::Read(SReadStream& inStream) {
    mSpace = inStream.ReadI16();
    for (uint16& component : mComponents) component = inStream.ReadU16();
}

void ColorRecord::Write(SWriteStream& inStream) const {
    inStream.WriteI16(mSpace);
    for (uint16 component : mComponents) inStream.WriteU16(component);
}
