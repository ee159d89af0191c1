// The four-character blend-mode keys of layer records and the internal blend modes they stand for.
//
// Seventeen of the internal modes have a key; the others (the curve and scale modes, erase, behind) are
// never stored in a document. Every key is stored with the signature "ZQRS".
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

inline constexpr uint32 kBlendSignature = FourCC("ZQRS");

struct BlendModeKey {
    uint32 key;   // four-character key, e.g. FourCC("mul ")
    uint32 mode;  // internal blend mode, 12000 + k
};

// Every keyed mode, in ascending internal order.
extern const BlendModeKey kBlendModeKeys[17];

// The signature and key to store for an internal mode. A mode without a key reports
// "InternalToExternalBlendMode: Unrecognized internal blend mode" and yields "norm".
void InternalToExternalBlendMode(uint32 inMode, uint32& outSignature, uint32& outKey);

// The internal mode of a stored signature and key. A signature other than "ZQRS" or a key without a mode
// reports "ExternalToInternalBlendMode: Unrecognized external blend mode" at the throw site and throws
// an Exception carrying that text.
uint32 ExternalToInternalBlendMode(uint32 inSignature, uint32 inKey);

// The blend mode a layer record's key gives its layer: the key's mode with the signature "ZQRS" (the
// record's own signature is not consulted); for a key without a mode, after the report of
// ExternalToInternalBlendMode, reports "CLumenarFormat::ReadLayerData: Unrecognized blend mode -- using
// kBlendNormal" and gives normal. Never throws.
uint32 LayerBlendModeFromKey(uint32 inKey);
