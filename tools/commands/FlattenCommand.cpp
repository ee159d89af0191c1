// `lumenar flatten [IN.lmn] [OUT.png] [--quiet] [--timings]`: reads a document through the module as a
// host does and writes the flat image as an 8-bit RGBA PNG (red, green, blue from planes 0, 1, 2, alpha
// from plane 3), with the document's resolution and a Software entry.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "tools/commands/Command.h"
#include "tools/engine/EngineDocument.h"
#include "tools/flatten/ModuleRead.h"
#include "tools/host/PluginModule.h"
#include "tools/png/PngWriter.h"

#ifndef LUMENAR_SAMPLE_PATH
#define LUMENAR_SAMPLE_PATH "examples/showcase.lmn"
#endif
#ifndef LUMENAR_VERSION
#define LUMENAR_VERSION "unknown"
#endif

namespace {

struct FlattenArguments {
    std::string input = LUMENAR_SAMPLE_PATH;
    std::string output;
    bool quiet = false;
    bool timings = false;
};

// The output next to the input: its name with the extension replaced by ".png".
std::string OutputBeside(const std::string& inInput) {
    const size_t slash = inInput.rfind('/');
    const size_t dot = inInput.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? inInput.substr(0, dot) : inInput) + ".png";
}

bool ParseArguments(const std::vector<std::string>& inArgs, FlattenArguments& outArgs, std::string& outError) {
    std::vector<std::string> paths;
    for (const std::string& arg : inArgs) {
        if (arg == "--quiet" || arg == "-q") {
            outArgs.quiet = true;
        } else if (arg == "--timings") {
            outArgs.timings = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            outError = "flatten: unknown option '" + arg + "'";
            return false;
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() > 2) {
        outError = "flatten takes at most an input and an output";
        return false;
    }
    if (!paths.empty()) outArgs.input = paths[0];
    outArgs.output = paths.size() == 2 ? paths[1] : OutputBeside(outArgs.input);
    return true;
}

class Progress {
public:
    explicit Progress(bool inShow) : mShow(inShow) {}
    ~Progress() {
        if (mShown) std::fprintf(stderr, "\r\033[K");
    }
    void Report(int64 inDone, int64 inTotal) {
        if (!mShow || inTotal <= 0) return;
        const int percent = int(inDone * 100 / inTotal);
        if (mShown && percent == mLast) return;
        std::fprintf(stderr, inDone == 0 ? "\rlumenar: loading and flattening..." : "\r\033[Klumenar: delivering tiles %3d%%",
                     percent);
        std::fflush(stderr);
        mShown = true;
        mLast = percent;
    }

private:
    bool mShow;
    bool mShown = false;
    int mLast = -1;
};

double MillisecondsSince(std::chrono::steady_clock::time_point inStart) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - inStart).count();
}

// The engine alone, in this process: how the first ReadContinue's time splits into load and flatten.
void PrintEngineSplit(const std::string& inPath) {
    EngineDocument document(inPath);
    std::string reason;
    const auto start = std::chrono::steady_clock::now();
    if (!document.Load(reason)) return;
    const double load = MillisecondsSince(start);
    const auto flattenStart = std::chrono::steady_clock::now();
    int32 layers = document.Image().GetLayerCount();
    try {
        if (layers >= 2) {
            LProgressScope progress;
            document.Image().FlattenImage(&progress);
        }
    } catch (...) {
        return;
    }
    std::fprintf(stderr, "lumenar: timings: engine alone: load %.1f ms, flatten %.1f ms (%d layers)\n", load,
                 MillisecondsSince(flattenStart), int(layers));
}

void PrintTimings(const ReadTimings& inTimings, double inPng) {
    std::fprintf(stderr,
                 "lumenar: timings: ReadStart %.1f ms, first ReadContinue (load, flatten, first tile) %.1f ms, "
                 "other tiles %.1f ms (%d tiles in all), ReadFinish %.1f ms, PNG %.1f ms\n",
                 inTimings.readStart, inTimings.firstTile, inTimings.otherTiles, int(inTimings.tiles),
                 inTimings.readFinish, inPng);
}

// The refusal's text as the engine words it; the module itself only says that it failed.
std::string RefusalReason(const std::string& inPath) {
    EngineDocument document(inPath);
    std::string reason;
    if (!document.Load(reason)) return reason;
    return "";
}

int RunFlatten(const CommandContext& inContext) {
    FlattenArguments args;
    std::string error;
    if (!ParseArguments(inContext.args, args, error)) return ReportError(kExitUsage, error);

    std::unique_ptr<PluginModule> module = PluginModule::Load(inContext.modulePath, error);
    if (module == nullptr) return ReportError(kExitFailed, "cannot load module " + inContext.modulePath + ": " + error);
    const int file = ::open(args.input.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return ReportError(kExitFailed, "cannot open " + args.input + ": " + std::strerror(errno));

    ModuleReadResult read;
    {
        Progress progress(!args.quiet && ::isatty(STDERR_FILENO) == 1);
        read = ReadThroughModule(module->Entry(), file, [&progress](int64 inDone, int64 inTotal) {
            progress.Report(inDone, inTotal);
        });
    }
    ::close(file);
    for (const std::string& line : read.moduleReports) std::fprintf(stderr, "lumenar: module report: %s\n", line.c_str());
    if (!read.ok) {
        std::string message = args.input + ": " + read.error;
        if (read.refused) {
            const std::string reason = RefusalReason(args.input);
            if (!reason.empty()) message = args.input + ": " + reason;
        }
        return ReportError(kExitFailed, message);
    }

    PngMetadata metadata;
    metadata.software = std::string("lumenar ") + LUMENAR_VERSION;
    {
        EngineDocument document(args.input);
        std::string ignored;
        if (document.ReadHeader(ignored))
            document.GetResolution(metadata.horizontalResolution, metadata.verticalResolution);
    }
    const auto pngStart = std::chrono::steady_clock::now();
    if (!WritePng(args.output, read.image, metadata, error)) return ReportError(kExitFailed, error);
    const double png = MillisecondsSince(pngStart);
    if (args.timings) {
        PrintTimings(read.timings, png);
        PrintEngineSplit(args.input);
    }
    std::printf("wrote %s (%d x %d)\n", args.output.c_str(), int(read.image.width), int(read.image.height));
    return kExitOk;
}

}  // namespace

extern const Command kFlattenCommand = {"flatten", "[IN.lmn] [OUT.png] [--quiet] [--timings]",
                                        "flatten a document to an RGBA PNG (default: the bundled sample)",
                                        &RunFlatten};
