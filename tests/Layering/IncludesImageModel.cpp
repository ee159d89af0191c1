// Compiled twice by the layering tests: as a file of the Isol layer, where the include below points up
// and must not be found, and as a file of the image layer, where it must compile.
#include "Src/Orvane/Src/Image/CImage.h"

int32 LayeringProbeCanvasWidth(const CImage& inImage) {
    return inImage.GetWidth();
}
