// Which instruction set the blend loops use (internal to compositing, and to its tests and benchmarks).
//
// The scalar loops define the bytes; the SSE2, AVX2 and AVX-512 loops (the last also in a form with byte
// permutes) reproduce them and are chosen once, from what the processor reports, unless a caller asks for
// a lower set. Modes without a vector loop, and the columns of a row that do not fill a whole vector,
// always run the scalar loop.
#pragma once

#include "Src/Orvane/Src/Image/BlendLoop.h"
#include "Src/Pellin/Isol/IsolTypes.h"

#if defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
#define LUMENAR_BLEND_VECTORS 1
#else
#define LUMENAR_BLEND_VECTORS 0
#endif

enum class BlendInstructionSet : int32 { kScalar = 0, kSse2 = 1, kAvx2 = 2, kAvx512 = 3, kAvx512Vbmi = 4 };

// The best set this processor runs.
BlendInstructionSet SupportedBlendInstructionSet();

// Uses inWanted, or the best supported set below it; returns the set now in use. For tests and
// benchmarks; the module never calls it. Not thread-safe against concurrent blending.
BlendInstructionSet SelectBlendInstructionSet(BlendInstructionSet inWanted);

BlendInstructionSet CurrentBlendInstructionSet();

// The vector loop of a mode in the current set: blends the leading columns of every row that fill
// whole vectors and returns their count (0 when the mode has no vector loop or the set is scalar).
int32 BlendVectorColumns(const BlendArgs& inArgs, uint32 inMode);

#if LUMENAR_BLEND_VECTORS
int32 BlendColumnsSse2(const BlendArgs& inArgs, uint32 inMode);        // BlendSse2.cpp
int32 BlendColumnsAvx2(const BlendArgs& inArgs, uint32 inMode);        // BlendAvx2.cpp
int32 BlendColumnsAvx512(const BlendArgs& inArgs, uint32 inMode);      // BlendAvx512.cpp
int32 BlendColumnsAvx512Vbmi(const BlendArgs& inArgs, uint32 inMode);  // BlendAvx512Vbmi.cpp
#endif
