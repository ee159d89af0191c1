// `lumenar info IN.lmn [--json]`: describes a document (header, image resources, layers bottom to top,
// extra channels) as the engine reads it.
#include <cstdio>

#include "tools/commands/Command.h"
#include "tools/engine/EngineDocument.h"
#include "tools/info/InfoPrinter.h"

namespace {

int RunInfo(const CommandContext& inContext) {
    std::string path;
    bool json = false;
    for (const std::string& arg : inContext.args) {
        if (arg == "--json") {
            json = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return ReportError(kExitUsage, "info: unknown option '" + arg + "'");
        } else if (!path.empty()) {
            return ReportError(kExitUsage, "info takes one document");
        } else {
            path = arg;
        }
    }
    if (path.empty()) return ReportError(kExitUsage, "info needs a document");

    EngineDocument document(path);
    if (!document.IsOpen()) return ReportError(kExitFailed, "cannot open " + path + ": " + document.OpenError());
    std::string reason;
    if (!document.Load(reason)) return ReportError(kExitFailed, path + ": " + reason);
    const DocumentInfo info = DescribeDocument(document);
    const std::string text = json ? InfoAsJson(path, info) : InfoAsText(path, info);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return kExitOk;
}

}  // namespace

extern const Command kInfoCommand = {"info", "IN.lmn [--json]", "describe a document's header, resources and layers",
                                     &RunInfo};
