// `lumenar layers [--masks] IN.lmn OUTDIR`: every layer of a document as its own RGBA PNG, and the stack
// as OUTDIR/layers.json (LayerStack.h), which `lumenar compose` reads back.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "tools/commands/Command.h"
#include "tools/engine/EngineDocument.h"
#include "tools/files/ScratchDirectory.h"
#include "tools/layers/LayerExport.h"

namespace {

int RunLayers(const CommandContext& inContext) {
    std::vector<std::string> paths;
    bool masks = false;
    for (const std::string& arg : inContext.args) {
        if (arg == "--masks")
            masks = true;
        else if (arg.size() > 1 && arg[0] == '-')
            return ReportError(kExitUsage, "layers: unknown option '" + arg + "'");
        else
            paths.push_back(arg);
    }
    if (paths.size() != 2)
        return ReportError(kExitUsage, "layers needs a document and a folder to write into");
    const std::string& input = paths[0];
    const std::string& folder = paths[1];
    const std::string name = DisplayName(input);

    std::optional<ScratchDirectory> scratch;
    std::string path = input, error;
    if (input == "-") {
        if (!scratch.emplace().Ok()) return ReportError(kExitFailed, name + ": " + scratch->Error());
        path = scratch->File("stdin.lmn");
        if (!CopyStandardInputTo(path, error))
            return ReportError(kExitFailed, "cannot read standard input: " + error);
    }
    EngineDocument document(path);
    if (!document.IsOpen())
        return ReportError(kExitFailed, "cannot open " + name + ": " + document.OpenError());
    if (!document.Load(error)) return ReportError(kExitFailed, name + ": " + error);
    if (!IsDirectory(folder) && ::mkdir(folder.c_str(), 0777) != 0)
        return ReportError(kExitFailed, "cannot create the folder " + folder + ": " + std::strerror(errno));

    LayerStack stack;
    if (!ExportLayers(document, folder, masks, stack, error)) return ReportError(kExitFailed, error);
    const std::string json = LayerStackAsJson(stack);
    const std::string jsonPath = folder + "/layers.json";
    std::FILE* file = std::fopen(jsonPath.c_str(), "wb");
    if (file == nullptr)
        return ReportError(kExitFailed, "cannot create " + jsonPath + ": " + std::strerror(errno));
    const bool written = std::fwrite(json.data(), 1, json.size(), file) == json.size();
    if (std::fclose(file) != 0 || !written) return ReportError(kExitFailed, "cannot write " + jsonPath);

    int files = 0;
    for (const StackLayer& layer : stack.layers) {
        files += !layer.file.empty();
        files += layer.mask && !layer.mask->file.empty();
        if (!layer.adjustment.empty())
            std::printf("layer \"%s\": adjustment %s, listed only\n", layer.name.c_str(),
                        layer.adjustment.c_str());
    }
    std::printf("wrote %s (%d layer%s, %d PNG%s)\n", jsonPath.c_str(), int(stack.layers.size()),
                stack.layers.size() == 1 ? "" : "s", files, files == 1 ? "" : "s");
    return kExitOk;
}

}  // namespace

extern const Command kLayersCommand = {
    "layers",
    "[--masks] IN.lmn OUTDIR",
    "write each layer as a PNG, and the stack as OUTDIR/layers.json",
    "  lumenar layers photo.lmn parts/            parts/00-Background.png ..., parts/layers.json\n"
    "  lumenar layers --masks photo.lmn parts/    masks as grey PNGs of their own\n"
    "  lumenar compose parts/layers.json copy.lmn  and back to a document\n",
    "  --masks           write each mask as a grey PNG instead of multiplying it into the layer's alpha\n"
    "                    (needed for compose to give back the same picture)\n",
    &RunLayers};
