// Position arithmetic for reading documents whose length fields may lie.
//
// Every position derived from a length in the file is computed in 64 bits, so that a length near 2^32
// cannot wrap into a plausible position. A size that drives an allocation sets aside no more than
// what is left of the file could fill; reading past the end then fails in the stream (at the read after
// the one that crossed the end), never up front. Moving beyond the end of the file is no error in itself.
#pragma once

#include <vector>

#include "Src/Pellin/Isol/IsolTypes.h"

class SReadStream;

namespace StreamBounds {

// Bytes between the stream's position and the end of the file (0 when the position is beyond it).
uint64 BytesLeft(const SReadStream& inStream);

// Moves the stream to inPosition. Inside the file this is a plain seek; at or beyond its end the stream
// is left there (positions more than 2^31 - 1 beyond the end, or past 2^32 - 1, are taken as the
// farthest of those the stream can stand at) so that the next read fails.
void MoveTo(SReadStream& inStream, uint64 inPosition);

// Reads a table of inEntries u16 packed sizes (big-endian). The count comes from the file, so the table
// grows only with entries actually read: a table running past the end of the file fails at the read
// after the one that crossed it.
void ReadLineCountTable(SReadStream& inStream, uint64 inEntries, std::vector<uint16>& outLineCounts);

}  // namespace StreamBounds
