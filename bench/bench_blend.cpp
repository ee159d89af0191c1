// BlendTile throughput for every blend mode over 1024 x 1024 pixels whose alphas vary (a quarter clear,
// a quarter opaque, the rest anything), reported in megapixels per second.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Pellin/Isol/ByteTables.h"

namespace {

constexpr int32 kSide = 1024;

std::vector<NativeQuad> MakePixels(uint32 inSeed) {
    std::mt19937 random(inSeed);
    std::vector<NativeQuad> pixels(size_t(kSide) * kSide);
    for (NativeQuad& q : pixels) {
        const uint32 bits = random();
        uint8 alpha = uint8(bits >> 24);
        if ((bits & 3) == 0) alpha = 0;
        if ((bits & 3) == 1) alpha = 255;
        q = MakeNativeQuad(uint8(bits), uint8(bits >> 8), uint8(bits >> 16), alpha);
    }
    return pixels;
}

void BenchBlend(benchmark::State& state, uint32 inMode, uint8 inOpacity, bool inPreserve) {
    BuildByteTables();
    static const std::vector<NativeQuad> source = MakePixels(1);
    static const std::vector<NativeQuad> destination = MakePixels(2);
    std::vector<NativeQuad> work = destination;
    const GRect rect(0, 0, kSide, kSide);
    for (auto _ : state) {
        state.PauseTiming();
        work = destination;
        state.ResumeTiming();
        BlendTile(rect, source.data(), kSide * 4, work.data(), kSide * 4, inMode, inOpacity, inPreserve);
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
    }
    state.counters["MPix/s"] = benchmark::Counter(double(kSide) * kSide * double(state.iterations()) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

const int kRegistered = [] {
    for (uint32 mode : kAllBlendModes)
        benchmark::RegisterBenchmark(("BlendTile/" + std::to_string(mode) + "/opacity200").c_str(),
                                     BenchBlend, mode, uint8(200), false);
    for (bool preserve : {false, true})
        for (uint8 opacity : {uint8(128), uint8(255)})
            benchmark::RegisterBenchmark(
                ("BlendTile/12000/opacity" + std::to_string(opacity) + (preserve ? "/preserve" : "")).c_str(),
                BenchBlend, uint32(kBlendNormal), opacity, preserve);
    return 0;
}();

}  // namespace

BENCHMARK_MAIN();
