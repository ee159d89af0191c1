// Position arithmetic for reading documents whose length fields may lie.
//
// Every position derived from a length in the file is computed in 64 bits, so that a length near 2^32
// cannot wrap into a plausible position. Sizes that drive an allocation or a read are compared with what
// is left of the file first: a document that claims more bytes than it has is refused before anything is
// set aside for them. Moving beyond the end of the file is no error in itself; the next read there fails
// in the stream.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

class SReadStream;

namespace StreamBounds {

// Bytes between the stream's position and the end of the file (0 when the position is beyond it).
uint64 BytesLeft(const SReadStream& inStream);

// Refuses (UnknownFormat) when fewer than inCount bytes are left in the file.
void RequireBytes(const SReadStream& inStream, uint64 inCount);

// Moves the stream to inPosition. Inside the file this is a plain seek; at or beyond its end the stream
// is left there (positions past 2^32 - 1 are taken as 2^32 - 1) so that the next read fails.
void MoveTo(SReadStream& inStream, uint64 inPosition);

}  // namespace StreamBounds
