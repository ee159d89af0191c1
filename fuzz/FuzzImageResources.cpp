// The image-resource section: the first four bytes give the section's length, the blocks follow. What
// was read is written back and must read again to the same section.
#include "Src/Orvane/Src/Format/CImageResourceMgr.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "fuzz/FuzzSupport.h"

int FuzzImageResources(const uint8_t* inData, size_t inSize) {
    FuzzSession session;
    FuzzInputPort port(inData, inSize);
    SReadStream stream(&port, 0, 4096, 0);
    CImageResourceMgr resources;
    try {
        resources.Read(stream.ReadU32(), stream, nullptr);
    } catch (const BaseException&) {
        return 0;
    }
    const std::vector<uint8_t> written =
        FuzzWritten([&](SWriteStream& out) { resources.Write(out, nullptr); });
    FuzzInputPort back(written.data(), written.size());
    SReadStream again(&back, 0, 4096, 0);
    CImageResourceMgr reread;
    reread.Read(again.ReadU32(), again, nullptr);
    FuzzCheck(reread.SectionLength() == resources.SectionLength() &&
                  reread.Resources().size() == resources.Resources().size(),
              "the written section reads back differently");
    return 0;
}
