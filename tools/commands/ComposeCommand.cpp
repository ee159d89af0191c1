// `lumenar compose STACK.json OUT.lmn`: builds a document from a layer stack in the form `lumenar layers`
// writes (LayerStack.h) through the engine's document writer. OUT is replaced only once complete.
#include <cstdio>

#include "tools/commands/Command.h"
#include "tools/files/ScratchDirectory.h"
#include "tools/layers/ComposeDocument.h"

namespace {

std::string FolderOf(const std::string& inPath) {
    const size_t slash = inPath.rfind('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? "/" : inPath.substr(0, slash);
}

int RunCompose(const CommandContext& inContext) {
    std::vector<std::string> paths;
    for (const std::string& arg : inContext.args) {
        if (arg.size() > 1 && arg[0] == '-')
            return ReportError(kExitUsage, "compose: unknown option '" + arg + "'");
        paths.push_back(arg);
    }
    if (paths.size() != 2)
        return ReportError(kExitUsage, "compose needs a stack (JSON) and a document to write");
    const std::string& stackPath = paths[0];
    const std::string& output = paths[1];

    std::string text, error;
    if (!ReadTextFile(stackPath, text, error)) return ReportError(kExitFailed, error);
    LayerStack stack;
    if (!ParseLayerStack(text, stack, error)) return ReportError(kExitFailed, stackPath + ": " + error);
    std::vector<std::string> warnings;
    const ComposeResult result = ComposeDocument(stack, FolderOf(stackPath), output, warnings, error);
    for (const std::string& warning : warnings) ReportError(kExitOk, stackPath + ": " + warning);
    if (result == ComposeResult::kStackRefused) return ReportError(kExitFailed, stackPath + ": " + error);
    if (result == ComposeResult::kWriteFailed)
        return ReportError(kExitFailed, "cannot write " + output + ": " + error);
    int built = 0;
    for (const StackLayer& layer : stack.layers) built += layer.adjustment.empty();
    std::printf("wrote %s (%d x %d, %d layer%s)\n", output.c_str(), int(stack.width), int(stack.height),
                built, built == 1 ? "" : "s");
    return kExitOk;
}

}  // namespace

extern const Command kComposeCommand = {
    "compose",
    "STACK.json OUT.lmn",
    "build a document from PNG layers described in JSON",
    "  lumenar compose stack.json poster.lmn     a stack written by hand or by a script\n"
    "  lumenar layers --masks photo.lmn parts/ && lumenar compose parts/layers.json copy.lmn\n",
    "  STACK.json        {\"width\", \"height\", \"resolution\", \"layers\": [...]} as layers.json has it; "
    "layer\n"
    "                    files are found relative to it (see README, \"Using lumenar\")\n",
    &RunCompose};
