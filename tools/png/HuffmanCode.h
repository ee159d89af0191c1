// A length-limited prefix code for a block of compressed data, built from how often each symbol occurs,
// in the canonical form the compressed format sends: only the code lengths go into the stream.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

constexpr int kLiteralLengthSymbols = 286;  // bytes, the end of a block, 29 match lengths
constexpr int kDistanceSymbols = 30;
constexpr int kCodeLengthSymbols = 19;
constexpr int kMostCodeSymbols = kLiteralLengthSymbols;

class HuffmanCode {
public:
    // inCounts[s] is how often symbol s occurs; symbols that never occur get no code. The code is
    // always complete: when fewer than two symbols occur, the first unused symbols fill it to two.
    HuffmanCode(const uint32* inCounts, int inSymbols, int inMostBits);

    const uint8* Lengths() const { return fLengths; }
    // Codes with their bits reversed, so that they can be sent least significant bit first.
    const uint16* Codes() const { return fCodes; }
    // One past the last symbol with a code.
    int UsedSymbols() const;

private:
    int fSymbols;
    uint8 fLengths[kMostCodeSymbols] = {};
    uint16 fCodes[kMostCodeSymbols] = {};
};
