// `lumenar roundtrip IN.lmn OUT.lmn`: reads a document with the tool's own copy of the engine and writes
// it again through the engine's document writer (layers, masks, adjustment and effects blocks, image
// resources, the merged composite). The new document goes to a temporary file beside OUT that replaces
// OUT only once it is complete, so a failed write leaves OUT as it was.
#include <cstdio>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/CImage.h"
#include "tools/commands/Command.h"
#include "tools/engine/DocumentWriter.h"
#include "tools/engine/EngineDocument.h"

namespace {

int RunRoundtrip(const CommandContext& inContext) {
    std::vector<std::string> paths;
    for (const std::string& arg : inContext.args) {
        if (arg.size() > 1 && arg[0] == '-')
            return ReportError(kExitUsage, "roundtrip: unknown option '" + arg + "'");
        paths.push_back(arg);
    }
    if (paths.size() != 2)
        return ReportError(kExitUsage, "roundtrip needs a document to read and one to write");
    const std::string& input = paths[0];
    const std::string& output = paths[1];

    EngineDocument document(input);
    if (!document.IsOpen())
        return ReportError(kExitFailed, "cannot open " + input + ": " + document.OpenError());
    std::string reason;
    if (!document.Load(reason)) return ReportError(kExitFailed, input + ": " + reason);

    if (!WriteDocumentFile(document.File(), output, reason))
        return ReportError(kExitFailed, "cannot write " + output + ": " + reason);
    CImage& image = document.Image();
    std::printf("wrote %s (%d x %d, %d layer%s)\n", output.c_str(), int(image.GetWidth()),
                int(image.GetHeight()), int(image.GetLayerCount()), image.GetLayerCount() == 1 ? "" : "s");
    return kExitOk;
}

}  // namespace

extern const Command kRoundtripCommand = {
    "roundtrip",
    "IN.lmn OUT.lmn",
    "read a document and write it again with the engine's writer",
    "  lumenar roundtrip photo.lmn copy.lmn\n"
    "  lumenar roundtrip old.lmn old.lmn     rewrite in place (replaced once complete)\n",
    "",
    &RunRoundtrip};
