// `lumenar flatten [-o OUT] [IN.lmn ...]`: reads each document through the module as a host does and
// writes the flat image as an 8-bit RGBA PNG (red, green, blue from planes 0, 1, 2, alpha from plane 3),
// with the document's resolution and a Software entry. `--discard` runs the read alone and writes
// nothing. Every read runs in a private working folder (ScratchDirectory.h), where the module puts its
// scratch file; "-" reads standard input or writes the PNG to standard output.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "tools/commands/Command.h"
#include "tools/engine/EngineDocument.h"
#include "tools/files/ScratchDirectory.h"
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

struct FlattenJob {
    std::string input;   // as the user gave it ("-": standard input)
    std::string output;  // "-": standard output; empty with --discard
};

struct FlattenArguments {
    std::vector<FlattenJob> jobs;
    bool quiet = false;
    bool timings = false;
    bool discard = false;
};

bool EndsWithPng(const std::string& inPath) {
    if (inPath.size() < 4) return false;
    std::string tail = inPath.substr(inPath.size() - 4);
    for (char& c : tail) c = char(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".png";
}

// The input's name with its extension replaced by ".png" ("stdin.png" for standard input).
std::string PngName(const std::string& inInput) {
    if (inInput == "-") return "stdin.png";
    const size_t slash = inInput.rfind('/');
    const size_t dot = inInput.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? inInput.substr(0, dot) : inInput) + ".png";
}

std::string BaseName(const std::string& inPath) {
    const size_t slash = inPath.rfind('/');
    return slash == std::string::npos ? inPath : inPath.substr(slash + 1);
}

// Inputs and where each goes:
//   IN                one input, written beside it (standard input goes to standard output)
//   IN OUT.png|-      the older two-path form
//   IN... (no -o)     each beside its input
//   -o DIR IN...      each into DIR (created when missing) under its own name
//   -o OUT IN         one input to OUT (a file, "-", or an existing folder)
bool ParseArguments(const std::vector<std::string>& inArgs, FlattenArguments& outArgs,
                    std::string& outError) {
    std::vector<std::string> paths;
    std::string output;
    bool outputGiven = false;
    for (size_t i = 0; i < inArgs.size(); ++i) {
        const std::string& arg = inArgs[i];
        if (arg == "--quiet" || arg == "-q") {
            outArgs.quiet = true;
        } else if (arg == "--timings") {
            outArgs.timings = true;
        } else if (arg == "--discard") {
            outArgs.discard = true;
        } else if (arg == "-o" || arg == "--output") {
            if (i + 1 >= inArgs.size()) {
                outError = "flatten: " + arg + " needs a path";
                return false;
            }
            output = inArgs[++i];
            outputGiven = true;
        } else if (arg.rfind("--output=", 0) == 0) {
            output = arg.substr(std::strlen("--output="));
            outputGiven = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            outError = "flatten: unknown option '" + arg + "'";
            return false;
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.empty()) paths.push_back(LUMENAR_SAMPLE_PATH);
    if (!outputGiven && paths.size() == 2 && paths[0] != "-" && (EndsWithPng(paths[1]) || paths[1] == "-")) {
        output = paths[1];
        outputGiven = true;
        paths.pop_back();
    }
    int standardInputs = 0;
    for (const std::string& path : paths) {
        standardInputs += path == "-";
        if (paths.size() > 1 && EndsWithPng(path)) {
            outError =
                "flatten takes at most an input and an output; several documents go to a folder with -o DIR "
                "('" +
                path + "' looks like an output)";
            return false;
        }
    }
    if (standardInputs > 1) {
        outError = "flatten: standard input can be read once";
        return false;
    }
    const bool toFolder =
        outputGiven && output != "-" && (IsDirectory(output) || (paths.size() > 1 && !EndsWithPng(output)));
    if (outputGiven && !toFolder && paths.size() > 1) {
        outError = "flatten: several documents need a folder after -o";
        return false;
    }
    if (toFolder && !IsDirectory(output) && ::mkdir(output.c_str(), 0777) != 0) {
        outError = "flatten: cannot create the folder " + output + ": " + std::strerror(errno);
        return false;
    }
    for (const std::string& path : paths) {
        FlattenJob job{path, ""};
        if (!outArgs.discard) {
            if (toFolder)
                job.output = output + "/" + BaseName(PngName(path));
            else if (outputGiven)
                job.output = output;
            else
                job.output = path == "-" ? "-" : PngName(path);
        }
        outArgs.jobs.push_back(job);
    }
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
        std::fprintf(
            stderr,
            inDone == 0 ? "\rlumenar: loading and flattening..." : "\r\033[Klumenar: delivering tiles %3d%%",
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
            FlattenImage(document.Image(), &progress);
        }
    } catch (...) {
        return;
    }
    std::fprintf(stderr, "lumenar: timings: engine alone: load %.1f ms, flatten %.1f ms (%d layers)\n", load,
                 MillisecondsSince(flattenStart), int(layers));
}

// inPng below 0: no PNG was written (--discard).
void PrintTimings(const ReadTimings& inTimings, double inPng) {
    const double read =
        inTimings.readStart + inTimings.firstTile + inTimings.otherTiles + inTimings.readFinish;
    std::fprintf(
        stderr,
        "lumenar: timings: ReadStart %.1f ms, first ReadContinue (load, flatten, first tile) %.1f ms, "
        "other tiles %.1f ms (%d tiles in all), ReadFinish %.1f ms, read in all %.1f ms",
        inTimings.readStart, inTimings.firstTile, inTimings.otherTiles, int(inTimings.tiles),
        inTimings.readFinish, read);
    if (inPng >= 0)
        std::fprintf(stderr, ", PNG %.1f ms\n", inPng);
    else
        std::fprintf(stderr, ", no PNG (--discard)\n");
}

// The refusal's text as the engine words it; the module itself only says that it failed.
std::string RefusalReason(const std::string& inPath) {
    EngineDocument document(inPath);
    std::string reason;
    if (!document.Load(reason)) return reason;
    return "";
}

// The read of the document at inPath (absolute), with inFolder as the working directory.
ModuleReadResult ReadInFolder(const PluginModule& inModule, const std::string& inPath,
                              const ScratchDirectory& inFolder, bool inShowProgress, std::string& outError) {
    ModuleReadResult read;
    const int file = ::open(inPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        outError = std::strerror(errno);
        return read;
    }
    {
        WorkingDirectoryScope inside(inFolder.Path());
        if (inside.Ok()) {
            // Without a display there is no progress to report: the read then runs without letting go
            // of the module's output at every tile.
            Progress progress(inShowProgress);
            ReadProgress report;
            if (inShowProgress)
                report = [&progress](int64 inDone, int64 inTotal) { progress.Report(inDone, inTotal); };
            read = ReadThroughModule(inModule.Entry(), file, report);
        } else {
            outError = "cannot enter the working folder " + inFolder.Path();
        }
    }
    ::close(file);
    return read;
}

// Writes the flat image to inJob's output (a PNG for standard output is written in inFolder first).
bool WriteFlatImage(const RgbaImage& inImage, const std::string& inInput, const FlattenJob& inJob,
                    const ScratchDirectory& inFolder, std::string& outError) {
    PngMetadata metadata;
    metadata.software = std::string("lumenar ") + LUMENAR_VERSION;
    {
        EngineDocument document(inInput);
        std::string ignored;
        if (document.ReadHeader(ignored))
            document.GetResolution(metadata.horizontalResolution, metadata.verticalResolution);
    }
    if (inJob.output != "-") return WritePng(inJob.output, inImage, metadata, outError);
    const std::string target = inFolder.File("out.png");
    if (!WritePng(target, inImage, metadata, outError)) return false;
    if (CopyToStandardOutput(target, outError)) return true;
    outError = "cannot write the PNG to standard output: " + outError;
    return false;
}

// One document: its read in a private working folder, then its PNG. False after a message.
bool FlattenOne(const CommandContext& inContext, const PluginModule& inModule, const FlattenArguments& inArgs,
                const FlattenJob& inJob) {
    const std::string name = DisplayName(inJob.input);
    ScratchDirectory folder;
    if (!folder.Ok()) return ReportError(kExitFailed, name + ": " + folder.Error()), false;
    std::string error;
    std::string input = AbsolutePath(inJob.input);
    if (inJob.input == "-") {
        input = folder.File("stdin.lmn");
        if (!CopyStandardInputTo(input, error))
            return ReportError(kExitFailed, "cannot read standard input: " + error), false;
    }
    const ModuleReadResult read =
        ReadInFolder(inModule, input, folder, !inArgs.quiet && ::isatty(STDERR_FILENO) == 1, error);
    if (!error.empty()) return ReportError(kExitFailed, "cannot open " + name + ": " + error), false;
    if (inContext.verbose)
        for (const std::string& line : read.moduleReports)
            std::fprintf(stderr, "lumenar: module report: %s\n", line.c_str());
    if (!read.ok) {
        const std::string reason = read.refused ? RefusalReason(input) : "";
        return ReportError(kExitFailed, name + ": " + (reason.empty() ? read.error : reason)), false;
    }
    const auto pngStart = std::chrono::steady_clock::now();
    if (!inArgs.discard && !WriteFlatImage(read.image, input, inJob, folder, error))
        return ReportError(kExitFailed, error), false;
    if (inArgs.timings) {
        PrintTimings(read.timings, inArgs.discard ? -1 : MillisecondsSince(pngStart));
        PrintEngineSplit(input);
    }
    const int width = int(read.image.width), height = int(read.image.height);
    if (inArgs.discard)
        std::printf("read %s (%d x %d)\n", name.c_str(), width, height);
    else if (inJob.output != "-")
        std::printf("wrote %s (%d x %d)\n", inJob.output.c_str(), width, height);
    return true;
}

int RunFlatten(const CommandContext& inContext) {
    FlattenArguments args;
    std::string error;
    if (!ParseArguments(inContext.args, args, error)) return ReportError(kExitUsage, error);
    std::unique_ptr<PluginModule> module = PluginModule::Load(inContext.modulePath, error);
    if (module == nullptr)
        return ReportError(kExitFailed, "cannot load module " + inContext.modulePath + ": " + error);
    int failed = 0;
    for (const FlattenJob& job : args.jobs) {
        failed += !FlattenOne(inContext, *module, args, job);
        std::fflush(stdout);
    }
    if (failed > 0 && args.jobs.size() > 1)
        return ReportError(kExitFailed, std::to_string(failed) + " of " + std::to_string(args.jobs.size()) +
                                            " documents failed");
    return failed > 0 ? kExitFailed : kExitOk;
}

}  // namespace

extern const Command kFlattenCommand = {
    "flatten",
    "[-o OUT] [--discard] [--timings] [--quiet] [IN.lmn ...]",
    "flatten documents to RGBA PNGs (default: the bundled sample)",
    "  lumenar flatten photo.lmn                  writes photo.png beside it\n"
    "  lumenar flatten -o pngs/ a.lmn b.lmn c.lmn  one PNG each into pngs/\n"
    "  cat a.lmn | lumenar flatten - > a.png       standard input to standard output\n",
    "  -o, --output OUT  a PNG file, '-' for standard output, or a folder (needed for several inputs)\n"
    "  --discard         run the whole read through the module, write nothing\n"
    "  --timings         time each selector, the PNG and the engine's load and flatten\n"
    "  --quiet, -q       no progress line (shown only when standard error is a terminal)\n"
    "  IN OUT.png        the two-path form: one document to one PNG\n",
    &RunFlatten};
