// What a rectangle read from a tiled plane returns for the requested pixels outside the plane's bounds.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

enum PaddingMode : int32 {
    kPadNone = 0,   // the destination is left untouched there
    kPadEdge = 1,   // the nearest pixel inside the bounds (coordinates clamped)
    kPadValue = 2,  // the caller's padding value (a null value is an assertion, nothing is written)
    kPadThrow = 3   // OutOfImageBounds is thrown once the inside part has been copied
};
