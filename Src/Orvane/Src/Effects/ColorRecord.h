// The colour of one layer effect as a document stores it.
//
// Ten bytes on disk: a colour space (i16) and four u16 components, in that order. Space 0 is RGB, 1 is
// HSB (hue, saturation, brightness as fractions of 65536), 2 is CMYK stored as the paper left by the
// ink (65535 means no ink). The empty record (space 65535, every component 0) stands for "no colour".
#pragma once

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class SReadStream;
class SWriteStream;

struct ColorRecord {
    static constexpr uint16 kEmptySpace = 65535;
    enum : uint16 { kRGBSpace = 0, kHSBSpace = 1, kCMYKSpace = 2 };

    int16 mSpace = int16(kEmptySpace);
    uint16 mComponents[4] = {0, 0, 0, 0};

    constexpr bool operator==(const ColorRecord& inOther) const = default;

    // Space 0 and c x 257 for each of red, green and blue; the fourth component is 0.
    static ColorRecord FromRGB(uint8 inRed, uint8 inGreen, uint8 inBlue);
    static ColorRecord Empty() { return ColorRecord(); }

    // A record holds a colour when its space, read as unsigned, is below 65535.
    bool IsValid() const { return uint16(mSpace) < kEmptySpace; }

    // The colour to draw with, alpha 255. Spaces other than RGB, HSB and CMYK give opaque black.
    NativeQuad ToNativeQuad() const;

    void Read(SReadStream& inStream);
    void Write(SWriteStream& inStream) const;
};
