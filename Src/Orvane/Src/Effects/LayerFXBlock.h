// The effects block of a layer record: reading it into parameters and writing them back.
//
// Payload layout (big-endian): u16 version, i16 record count, then per record the signature "ZQRS", a
// key, a u32 length and that many bytes. Keys and their fields:
//   "cmnS"  u32 version, u8 visible (not kept)                                               5 bytes
//   "dsdw"  u32 version, blur, intensity, angle, distance (16.16 each), colour (10 bytes),
//           blend mode (signature, key), u8 enabled, u8 use global angle, u8 opacity          41 bytes
//   "isdw"  as "dsdw", for the inner shadow                                                   41 bytes
//   "oglw"  u32 version, blur, intensity, colour, blend mode, u8 enabled, u8 opacity          32 bytes
//   "iglw"  as "oglw", then from version 1 on a u8 inner-glow inversion flag             32 or 33 bytes
//   "bevl"  u32 version, angle, strength, blur, highlight mode, shadow mode, highlight colour,
//           shadow colour, u8 style, u8 highlight opacity, u8 shadow opacity, u8 enabled,
//           u8 use global angle, u8 direction                                                58 bytes
#pragma once

#include "Src/Orvane/Src/Effects/LayerFXRep.h"

class SReadStream;
class SWriteStream;

// Size of the payload WriteLayerFXBlock produces.
inline constexpr uint32 kLayerFXBlockSize = 288;

// Fills ioParameters from the payload at the stream's position; fields no record supplies keep their
// values. Every counted record is read by its own length, whatever the block's length (inLength, not
// used) says: records with another signature or an unknown key are skipped by their length, and bytes a
// record declares beyond its fields are skipped ("iglw" of version 0 excepted: it is read as 32 bytes
// whatever its length says). Refuses (throws an Exception whose text is the failed condition, reported
// first) a negative record count, a value outside its range and a bevel style other than 1..4; reading
// past the end of the file fails in the stream. The stream is left after the last record read.
void ReadLayerFXBlock(SReadStream& inStream, uint32 inLength, LayerFXParameters& ioParameters);

// Writes all six records, always kLayerFXBlockSize bytes, in a form ReadLayerFXBlock gives back exactly.
void WriteLayerFXBlock(SWriteStream& inStream, const LayerFXParameters& inParameters);

// The internal mode of a stored blend-mode signature and key (the signature is not checked). A key
// without a mode is reported and gives kBlendNormal.
uint32 ExtractBlendModeFromStream(SReadStream& inStream);
