// The effects block: the whole input is the payload. Parameters that were read are written back and
// must read again to the same parameters.
#include "Src/Orvane/Src/Effects/LayerFX.h"
#include "Src/Orvane/Src/Storage/VMBufferPort.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "fuzz/FuzzSupport.h"

int FuzzEffectsBlock(const uint8_t* inData, size_t inSize) {
    FuzzSession session;
    FuzzInputPort port(inData, inSize);
    SReadStream stream(&port, 0, 4096, 0);
    LayerFX effects;
    try {
        effects = LayerFX(stream, uint32(inSize));
    } catch (const BaseException&) {
        return 0;
    }
    VMBuffer buffer;
    VMBufferPort written(&buffer);
    {
        SWriteStream out(&written, 0, 4096, 0);
        effects.Write(out);
        out.Flush(true);
    }
    SReadStream again(&written, 0, 4096, 0);
    FuzzCheck(LayerFX(again, buffer.Size()) == effects, "written effects read back differently");
    return 0;
}
