// The effects block: the whole input is the payload. Parameters that were read are written back and
// must read again to the same parameters.
#include "Src/Orvane/Src/Effects/LayerFX.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
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
    const std::vector<uint8_t> written = FuzzWritten([&](SWriteStream& out) { effects.Write(out); });
    FuzzInputPort back(written.data(), written.size());
    SReadStream again(&back, 0, 4096, 0);
    FuzzCheck(LayerFX(again, uint32(written.size())) == effects, "written effects read back differently");
    return 0;
}
