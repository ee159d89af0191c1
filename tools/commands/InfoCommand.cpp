// `lumenar info [--long | --json | -f FIELD] IN.lmn ...`: describes documents as the engine reads them.
// By default one line per document; --long adds the image resources, the layers bottom to top and the
// extra channels; --json gives all of it for programs; -f prints one field per document for scripts.
// A refused document is reported and the others still described; the exit code says whether any failed.
#include <cstdio>
#include <optional>

#include "tools/commands/Command.h"
#include "tools/engine/EngineDocument.h"
#include "tools/files/ScratchDirectory.h"
#include "tools/info/InfoPrinter.h"

namespace {

enum class InfoForm { kLine, kLong, kJson, kField };

// Describes one document into outText; false after a message.
bool DescribeOne(const std::string& inPath, InfoForm inForm, const std::string& inField,
                 std::string& outText) {
    const std::string name = DisplayName(inPath);
    std::optional<ScratchDirectory> folder;
    std::string path = inPath;
    if (inPath == "-") {
        std::string error;
        if (!folder.emplace().Ok()) return ReportError(kExitFailed, name + ": " + folder->Error()), false;
        path = folder->File("stdin.lmn");
        if (!CopyStandardInputTo(path, error))
            return ReportError(kExitFailed, "cannot read standard input: " + error), false;
    }
    EngineDocument document(path);
    if (!document.IsOpen())
        return ReportError(kExitFailed, "cannot open " + name + ": " + document.OpenError()), false;
    std::string reason;
    if (!document.Load(reason)) return ReportError(kExitFailed, name + ": " + reason), false;
    const DocumentInfo info = DescribeDocument(document);
    switch (inForm) {
        case InfoForm::kLine:
            outText = InfoAsLine(name, info);
            break;
        case InfoForm::kLong:
            outText = InfoAsText(name, info);
            break;
        case InfoForm::kJson:
            outText = InfoAsJson(name, info);
            break;
        case InfoForm::kField:
            outText = InfoField(info, inField) + "\n";
            break;
    }
    return true;
}

int RunInfo(const CommandContext& inContext) {
    std::vector<std::string> paths;
    InfoForm form = InfoForm::kLine;
    std::string field;
    const std::vector<std::string>& args = inContext.args;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--json") {
            form = InfoForm::kJson;
        } else if (arg == "--long" || arg == "-l") {
            form = InfoForm::kLong;
        } else if (arg == "-f" || arg == "--field") {
            if (i + 1 >= args.size()) return ReportError(kExitUsage, "info: " + arg + " needs a field name");
            field = args[++i];
            form = InfoForm::kField;
            if (!IsInfoField(field))
                return ReportError(kExitUsage,
                                   "info: unknown field '" + field + "' (fields: " + InfoFieldNames() + ")");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return ReportError(kExitUsage, "info: unknown option '" + arg + "'");
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.empty()) return ReportError(kExitUsage, "info needs a document");

    // Several documents in JSON form make one array.
    const bool jsonArray = form == InfoForm::kJson && paths.size() > 1;
    int failed = 0, written = 0;
    if (jsonArray) std::fputs("[\n", stdout);
    for (const std::string& path : paths) {
        std::string text;
        if (!DescribeOne(path, form, field, text)) {
            ++failed;
            continue;
        }
        if (jsonArray && written > 0) std::fputs(",\n", stdout);
        if (jsonArray && text.size() > 0 && text.back() == '\n') text.pop_back();
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
        ++written;
    }
    if (jsonArray) std::fputs(written > 0 ? "\n]\n" : "]\n", stdout);
    if (failed > 0 && paths.size() > 1)
        return ReportError(kExitFailed, std::to_string(failed) + " of " + std::to_string(paths.size()) +
                                            " documents failed");
    return failed > 0 ? kExitFailed : kExitOk;
}

}  // namespace

extern const Command kInfoCommand = {
    "info",
    "[--long | --json | -f FIELD] IN.lmn ...",
    "describe documents: one line each, or in full",
    "  lumenar info *.lmn                 one line per document\n"
    "  lumenar info --long photo.lmn      resources, layers and extra channels\n"
    "  lumenar info -f width photo.lmn    one value, for scripts\n",
    "  --long, -l        the header, image resources, layers bottom to top and extra channels\n"
    "  --json            everything as JSON (several documents: an array)\n"
    "  -f, --field NAME  one value per document: width, height, channels, depth, mode, modeName,\n"
    "                    resolution, layers, extraChannels, resources\n"
    "  -                 read the document from standard input\n",
    &RunInfo};
