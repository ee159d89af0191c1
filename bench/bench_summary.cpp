// bench_summary [--tool LUMENAR --generator MAKE_FLATTEN_DOCUMENT [--size N]] [--png-table] [--no-blend]
//
// One table of the speed goals, each measured beside its anchor in this run, on one thread: the blend
// loops against pixman's combiners on the same 1024 x 1024 pixels (a quarter clear, a quarter opaque,
// the rest anything), and, given the tool, the whole read of the end-to-end document through the module
// against memcpy of the decoded layers plus the result (with two lines without a goal: the read again
// in one process, and against the first touch of as much fresh memory), its peak memory, and the PNG
// stage. pixman is a benchmark-only dependency. --png-table adds the sizes and times of other PNG
// compression settings; --no-blend leaves out the blend loops.
#include <pixman.h>
#include <sys/mman.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/BlendDispatch.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "bench/PngTrials.h"

namespace {

constexpr int32 kSide = 1024;
constexpr double kPixels = double(kSide) * kSide;

template <class Setup, class Run>
double BestSeconds(int inRepeats, Setup inSetup, Run inRun) {
    double best = 1e30;
    for (int i = 0; i < inRepeats; ++i) {
        inSetup();
        const auto start = std::chrono::steady_clock::now();
        inRun();
        best =
            std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

std::vector<uint32> MixedPixels(uint32 inSeed) {
    std::mt19937 random(inSeed);
    std::vector<uint32> pixels(size_t(kSide) * kSide);
    for (uint32& p : pixels) {
        const uint32 bits = random();
        uint32 alpha = bits >> 24;
        if ((bits & 3) == 0) alpha = 0;
        if ((bits & 3) == 1) alpha = 255;
        p = (alpha << 24) | (bits & 0xFFFFFF);
    }
    return pixels;
}

const std::vector<uint32> gSource = MixedPixels(1);
const std::vector<uint32> gDestination = MixedPixels(2);
std::vector<uint32> gWork(gDestination.size());

// The figures that form a ratio are the best of many runs: one run takes half a millisecond, and on a
// shared machine a few in a row can be slowed by others. Ours and the anchor run by turns, so that such
// a stretch slows both sides of a ratio alike.
constexpr int kRatioRuns = 31;
constexpr int kOtherRuns = 7;

// One blend of the source into the destination: ours, through the instruction set selected.
struct OurBlend {
    uint32 mode;
    uint8 opacity;
    bool preserve;
    void operator()() const {
        BlendTile(GRect(0, 0, kSide, kSide), reinterpret_cast<const NativeQuad*>(gSource.data()), kSide * 4,
                  reinterpret_cast<NativeQuad*>(gWork.data()), kSide * 4, mode, opacity, preserve);
    }
};

// The same with pixman's combiner for an operator, the opacity as a solid mask.
class PixmanBlend {
public:
    PixmanBlend(pixman_op_t inOp, uint8 inOpacity)
        : mOp(inOp),
          mSource(pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, const_cast<uint32*>(gSource.data()),
                                           kSide * 4)),
          mDestination(pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, gWork.data(), kSide * 4)) {
        const pixman_color_t grey{0, 0, 0, uint16(inOpacity * 257)};
        if (inOpacity != 255) mMask = pixman_image_create_solid_fill(&grey);
    }
    ~PixmanBlend() {
        if (mMask != nullptr) pixman_image_unref(mMask);
        pixman_image_unref(mDestination);
        pixman_image_unref(mSource);
    }
    PixmanBlend(const PixmanBlend&) = delete;
    PixmanBlend& operator=(const PixmanBlend&) = delete;
    void operator()() const {
        pixman_image_composite32(mOp, mSource, mMask, mDestination, 0, 0, 0, 0, 0, 0, kSide, kSide);
    }

private:
    pixman_op_t mOp;
    pixman_image_t* mSource;
    pixman_image_t* mDestination;
    pixman_image_t* mMask = nullptr;
};

double MPix(double inSeconds) {
    return kPixels / inSeconds / 1e6;
}

// MPix/s of a blend, each run into a fresh copy of the destination, the best of inRuns.
template <class Blend>
double BestMPix(const Blend& inBlend, int inRuns) {
    return MPix(BestSeconds(
        inRuns, [] { gWork = gDestination; }, [&] { inBlend(); }));
}

// The same for our blend through the instruction set inSet.
double OurMPix(const OurBlend& inBlend, BlendInstructionSet inSet, int inRuns) {
    SelectBlendInstructionSet(inSet);
    const double mpix = BestMPix(inBlend, inRuns);
    SelectBlendInstructionSet(SupportedBlendInstructionSet());
    return mpix;
}

// One line of the table. A ratio goal is ours / anchor >= need (or <= need when lower is better).
struct Line {
    std::string goal;
    std::string ours;
    std::string anchorName;
    std::string anchor;
    double ratio;
    double need;
    bool lowerIsBetter;
};

std::vector<Line> gLines;

std::string Format(const char* inFormat, double inValue) {
    char text[64];
    std::snprintf(text, sizeof text, inFormat, inValue);
    return text;
}

void AddBlendLine(const std::string& inGoal, uint32 inMode, uint8 inOpacity, bool inPreserve,
                  const char* inAnchor, pixman_op_t inOp, double inNeed) {
    const OurBlend ours{inMode, inOpacity, inPreserve};
    double best = 0, anchor = 0;
    if (inAnchor == nullptr) {
        best = BestMPix(ours, kRatioRuns);
    } else {
        const PixmanBlend theirs(inOp, inOpacity);
        for (int i = 0; i < kRatioRuns; ++i) {
            best = std::max(best, BestMPix(ours, 1));
            anchor = std::max(anchor, BestMPix(theirs, 1));
        }
    }
    const double avx2 = OurMPix(ours, BlendInstructionSet::kAvx2, kOtherRuns);
    const double sse2 = OurMPix(ours, BlendInstructionSet::kSse2, kOtherRuns);
    const double scalar = OurMPix(ours, BlendInstructionSet::kScalar, kOtherRuns);
    const std::string figures = Format("%.0f", best) + " (avx2 " + Format("%.0f", avx2) + ", sse2 " +
                                Format("%.0f", sse2) + ", scalar " + Format("%.0f", scalar) + ")";
    if (inAnchor == nullptr) {
        gLines.push_back({inGoal, figures, "absolute", "1000", best / 1000.0, 1.0, false});
    } else {
        gLines.push_back({inGoal, figures, inAnchor, Format("%.0f", anchor), best / anchor, inNeed, false});
    }
    std::fprintf(stderr, ".");
}

void BlendLines() {
    BuildByteTables();
    // A quarter of a second of blending first: the processor leaves its idle clock only after a while,
    // and the first lines would otherwise be measured below speed.
    const auto warmStart = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - warmStart < std::chrono::milliseconds(250))
        BestMPix(OurBlend{kBlendNormal, 255, false}, 1);
    for (bool preserve : {false, true})
        for (uint8 opacity : {uint8(255), uint8(200)})
            AddBlendLine(
                std::string("normal, opacity ") + std::to_string(opacity) + (preserve ? ", preserved" : ""),
                kBlendNormal, opacity, preserve, "pixman OVER", PIXMAN_OP_OVER, 1.0);
    struct Pair {
        const char* name;
        uint32 mode;
        const char* anchor;
        pixman_op_t op;
    };
    const Pair pairs[] = {
        {"multiply", kBlendMultiply, "MULTIPLY", PIXMAN_OP_MULTIPLY},
        {"screen", kBlendScreen, "SCREEN", PIXMAN_OP_SCREEN},
        {"overlay", kBlendOverlay, "OVERLAY", PIXMAN_OP_OVERLAY},
        {"darken", kBlendDarken, "DARKEN", PIXMAN_OP_DARKEN},
        {"lighten", kBlendLighten, "LIGHTEN", PIXMAN_OP_LIGHTEN},
        {"hard light", kBlendHardLight, "HARD_LIGHT", PIXMAN_OP_HARD_LIGHT},
        {"soft light", kBlendSoftLight, "SOFT_LIGHT", PIXMAN_OP_SOFT_LIGHT},
        {"difference", kBlendDifference, "DIFFERENCE", PIXMAN_OP_DIFFERENCE},
        {"exclusion", kBlendExclusion, "EXCLUSION", PIXMAN_OP_EXCLUSION},
        {"colour dodge", kBlendColorDodge, "COLOR_DODGE", PIXMAN_OP_COLOR_DODGE},
        {"colour burn", kBlendColorBurn, "COLOR_BURN", PIXMAN_OP_COLOR_BURN},
        {"hue", kBlendHue, "HSL_HUE", PIXMAN_OP_HSL_HUE},
        {"saturation", kBlendSaturation, "HSL_SATURATION", PIXMAN_OP_HSL_SATURATION},
        {"colour", kBlendColor, "HSL_COLOR", PIXMAN_OP_HSL_COLOR},
        {"luminosity", kBlendLuminosity, "HSL_LUMINOSITY", PIXMAN_OP_HSL_LUMINOSITY},
        {"dissolve", kBlendDissolve, nullptr, PIXMAN_OP_OVER},
        {"behind", kBlendBehind, nullptr, PIXMAN_OP_OVER},
        {"erase", kBlendErase, nullptr, PIXMAN_OP_OVER},
        {"curve lighten", kBlendCurveLighten, nullptr, PIXMAN_OP_OVER},
        {"curve darken", kBlendCurveDarken, nullptr, PIXMAN_OP_OVER},
        {"scale lighten", kBlendScaleLighten, nullptr, PIXMAN_OP_OVER},
        {"scale darken", kBlendScaleDarken, nullptr, PIXMAN_OP_OVER},
    };
    for (const Pair& p : pairs)
        AddBlendLine(std::string(p.name) + ", opacity 200", p.mode, 200, false,
                     p.anchor == nullptr ? nullptr : (std::string("pixman ") + p.anchor).c_str(), p.op, 10.0);
}

// The memcpy floor: a copy of inBytes into prefaulted memory, all of it each time, since a smaller block
// copied again and again would partly stay in the processor's caches.
class MemcpyFloor {
public:
    explicit MemcpyFloor(double inBytes) : mFrom(size_t(inBytes), 1), mTo(size_t(inBytes), 2) {}
    // Seconds of one copy.
    double Seconds() {
        return BestSeconds(
            1, [] {}, [&] { std::memcpy(mTo.data(), mFrom.data(), mFrom.size()); });
    }

private:
    std::vector<uint8> mFrom, mTo;
};

// Seconds to have inBytes of fresh memory on large pages written once (best of a few): what the read
// pays, beyond the copy, for memory it has not used before, however the engine arranges its work.
double FirstTouchSeconds(double inBytes) {
    const size_t bytes = size_t(inBytes);
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED) return 0;
        madvise(block, bytes, MADV_HUGEPAGE);
        for (size_t at = 0; at < bytes; at += 4096) static_cast<volatile uint8*>(block)[at] = 1;
        best =
            std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        munmap(block, bytes);
    }
    return best;
}

bool Run(const std::string& inCommand, std::string& outText) {
    FILE* pipe = popen(inCommand.c_str(), "r");
    if (pipe == nullptr) return false;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) outText += buffer;
    return pclose(pipe) == 0;
}

double Field(const std::string& inText, const std::string& inKey) {
    const size_t at = inText.rfind(inKey);
    return at == std::string::npos ? -1.0 : std::atof(inText.c_str() + at + inKey.size());
}

// The smallest of the values after every occurrence of inKey.
double SmallestField(const std::string& inText, const std::string& inKey) {
    double smallest = -1.0;
    for (size_t at = inText.find(inKey); at != std::string::npos; at = inText.find(inKey, at + 1)) {
        const double value = std::atof(inText.c_str() + at + inKey.size());
        if (smallest < 0 || value < smallest) smallest = value;
    }
    return smallest;
}

void ReadPathLines(const std::string& inTool, const std::string& inGenerator, int inSize, bool inPngTable) {
    char folder[] = "/tmp/lumenar-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) return;
    const std::string dir = folder;
    std::string text;
    if (!Run("cd " + dir + " && '" + inGenerator + "' bench.lmn " + std::to_string(inSize) + " >/dev/null",
             text)) {
        std::fprintf(stderr, "bench_summary: cannot generate the document\n");
        return;
    }
    // Best of three reads (the tool's own timings of the selectors and of the PNG stage), each followed by
    // a copy for the floor, so that a stretch in which the machine is slower slows both alike; the peak
    // memory of a plain flatten (--timings loads the document a second time for its engine-only split).
    // The module's scratch file goes to the working directory.
    const double decoded = double(inSize) * inSize * 4 * 9;  // eight layers and the result
    MemcpyFloor copy(decoded);
    double read = 1e30, png = 1e30, rss = 1e30, floor = 1e30;
    for (int i = 0; i < 3; ++i) {
        text.clear();
        Run("cd " + dir + " && '" + inTool + "' flatten --quiet --timings bench.lmn out.png 2>&1 >/dev/null",
            text);
        const double seconds = (Field(text, "ReadStart ") + Field(text, "(load, flatten, first tile) ") +
                                Field(text, "other tiles ") + Field(text, "ReadFinish ")) /
                               1000.0;
        read = std::min(read, seconds);
        floor = std::min(floor, copy.Seconds());
        png = std::min(png, Field(text, "PNG ") / 1000.0);
        text.clear();
        Run("cd " + dir + " && /usr/bin/time -f 'rss %M' '" + inTool +
                "' flatten --quiet bench.lmn out.png 2>&1 >/dev/null",
            text);
        rss = std::min(rss, Field(text, "rss ") / 1024.0);
    }
    // Five reads in one process: each after the last one's memory went back to the system, which hands
    // it out again before it has been returned to a virtual machine's host. What the read costs when
    // fresh memory is cheap.
    text.clear();
    Run("cd " + dir + " && '" + inTool +
            "' flatten --quiet --discard --timings bench.lmn bench.lmn bench.lmn bench.lmn bench.lmn 2>&1",
        text);
    const double again = SmallestField(text, "read in all ") / 1000.0;
    const std::string doc = std::to_string(inSize) + "^2 x 8";
    gLines.push_back({"read through ENTRYPOINT, " + doc, Format("%.3f s", read), "memcpy layers+result",
                      Format("%.3f s", floor), read / floor, 4.0, true});
    gLines.push_back({"read, best of 5 in one process", Format("%.3f s", again), "memcpy layers+result",
                      Format("%.3f s", floor), again / floor, 0.0, true});
    const double touch = FirstTouchSeconds(decoded);
    gLines.push_back({"read against its fresh memory", Format("%.3f s", read), "first touch, same bytes",
                      Format("%.3f s", touch), read / touch, 0.0, true});
    gLines.push_back({"peak resident memory", Format("%.0f MiB", rss), "layers+result",
                      Format("%.0f MiB", decoded / 1048576.0), rss / (decoded / 1048576.0), 1.1, true});
    gLines.push_back(
        {"PNG write", Format("%.3f s", png), "our read", Format("%.3f s", read), png / read, 1.0, true});
    const PngImage image = ReadPng(dir + "/out.png");
    std::FILE* out = std::fopen((dir + "/out.png").c_str(), "rb");
    if (image.width > 0 && out != nullptr) {
        std::fseek(out, 0, SEEK_END);
        const double ours = double(std::ftell(out));
        const PngTrial zlib = EncodePng(image, dir + "/zlib.png", DefaultPngSettings());
        gLines.push_back({"PNG size", Format("%.1f MB", ours / 1e6), "zlib default level",
                          Format("%.1f MB", zlib.bytes / 1e6), ours / zlib.bytes, 1.15, true});
        if (inPngTable) PrintPngTable(image, dir);
    }
    if (out != nullptr) std::fclose(out);
    Run("rm -rf '" + dir + "'", text);
}

void PrintTable() {
    std::printf("\n%-36s %-42s %-22s %-10s %7s %8s  %s\n", "goal", "ours: best set (MPix/s unless given)",
                "anchor", "anchor", "ratio", "needed", "met");
    for (const Line& l : gLines) {
        const bool met = l.lowerIsBetter ? l.ratio <= l.need : l.ratio >= l.need;
        const std::string need =
            l.need == 0 ? "-" : (l.lowerIsBetter ? "<=" : ">=") + Format("%5.2f", l.need);
        std::printf("%-36s %-42s %-22s %-10s %7.2f %8s  %s\n", l.goal.c_str(), l.ours.c_str(),
                    l.anchorName.c_str(), l.anchor.c_str(), l.ratio, need.c_str(),
                    l.need == 0 ? "-" : (met ? "yes" : "NO"));
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string tool, generator;
    int size = 4096;
    bool pngTable = false;
    bool blend = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--tool" && i + 1 < argc)
            tool = argv[++i];
        else if (arg == "--generator" && i + 1 < argc)
            generator = argv[++i];
        else if (arg == "--size" && i + 1 < argc)
            size = std::atoi(argv[++i]);
        else if (arg == "--png-table")
            pngTable = true;
        else if (arg == "--no-blend")
            blend = false;
        else {
            std::fprintf(stderr,
                         "usage: bench_summary [--tool LUMENAR --generator GENERATOR [--size N]] "
                         "[--png-table] [--no-blend]\n");
            return 2;
        }
    }
    std::fprintf(stderr, "bench_summary: blend loops (best set %d) ", int(SupportedBlendInstructionSet()));
    if (blend) BlendLines();
    std::fprintf(stderr, "\n");
    if (!tool.empty() && !generator.empty()) {
        // The programs run from a scratch folder, so relative paths are made absolute first.
        char* toolPath = realpath(tool.c_str(), nullptr);
        char* generatorPath = realpath(generator.c_str(), nullptr);
        if (toolPath != nullptr && generatorPath != nullptr)
            ReadPathLines(toolPath, generatorPath, size, pngTable);
        else
            std::fprintf(stderr, "bench_summary: cannot find %s or %s\n", tool.c_str(), generator.c_str());
        std::free(toolPath);
        std::free(generatorPath);
    }
    PrintTable();
    return 0;
}
