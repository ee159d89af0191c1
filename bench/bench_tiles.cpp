// Throughput of the tile buffers: rectangle reads and writes, fills, single pixels.
//
// Every case moves a 1024 x 1024 area (4 MB of quads or 1 MB of channel bytes); counters report
// megapixels per second. "Aligned" areas start on the tile grid; the offset ones cut every tile.
#include <benchmark/benchmark.h>

#include <vector>

#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"

namespace {

constexpr int32 kSide = 1024;
const GRect kBounds(0, 0, kSide + 64, kSide + 64);
const GRect kAligned(0, 0, kSide, kSide);
const GRect kOffset(13, 7, 13 + kSide, 7 + kSide);

const GRect& Area(const benchmark::State& inState) {
    return inState.range(0) ? kOffset : kAligned;
}

void CountPixels(benchmark::State& ioState) {
    ioState.counters["Mpixel/s"] = benchmark::Counter(
        double(kSide) * kSide * double(ioState.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

std::vector<NativeQuad> Pattern() {
    std::vector<NativeQuad> pixels(size_t(kSide) * kSide);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = WordToNativeQuad(uint32(i * 2654435761u));
    return pixels;
}

void BM_SetTile(benchmark::State& ioState) {
    const std::vector<NativeQuad> pixels = Pattern();
    CNativeQuadTileBuffer buffer(kBounds, kTransparentWhite);
    for (auto _ : ioState) buffer.SetTile(Area(ioState), pixels.data(), kSide * 4);
    CountPixels(ioState);
}

void BM_GetTileStored(benchmark::State& ioState) {
    const std::vector<NativeQuad> pixels = Pattern();
    CNativeQuadTileBuffer buffer(kBounds, kTransparentWhite);
    buffer.SetTile(kBounds, pixels.data(), 0);  // every tile stored (rows repeat, content does not matter)
    std::vector<NativeQuad> out(pixels.size());
    for (auto _ : ioState) {
        buffer.GetTile(Area(ioState), out.data(), kSide * 4);
        benchmark::DoNotOptimize(out.data());
    }
    CountPixels(ioState);
}

void BM_GetTileConstant(benchmark::State& ioState) {
    const CNativeQuadTileBuffer buffer(kBounds, kOpaqueGrey);
    std::vector<NativeQuad> out(size_t(kSide) * kSide);
    for (auto _ : ioState) {
        buffer.GetTile(Area(ioState), out.data(), kSide * 4);
        benchmark::DoNotOptimize(out.data());
    }
    CountPixels(ioState);
}

void BM_GetTilePadded(benchmark::State& ioState) {
    // A 1024 x 1024 request of which the buffer covers the top-left quarter; the rest is padded.
    const CNativeQuadTileBuffer buffer(GRect(0, 0, kSide / 2, kSide / 2), kOpaqueGrey);
    std::vector<NativeQuad> out(size_t(kSide) * kSide);
    const PaddingMode mode = PaddingMode(ioState.range(0));
    for (auto _ : ioState) {
        buffer.GetTile(kAligned, out.data(), kSide * 4, mode, &kTransparentWhite);
        benchmark::DoNotOptimize(out.data());
    }
    CountPixels(ioState);
}

void BM_FillRect(benchmark::State& ioState) {
    CNativeQuadTileBuffer buffer(kBounds, kTransparentWhite);
    uint8 shade = 0;
    for (auto _ : ioState) buffer.FillRect(Area(ioState), MakeNativeQuad(++shade, 0, 0, 255));
    CountPixels(ioState);
}

void BM_SetGetPixel(benchmark::State& ioState) {
    CNativeQuadTileBuffer buffer(kBounds, kTransparentWhite);
    const NativeQuad value = MakeNativeQuad(1, 2, 3, 4);
    for (auto _ : ioState) {
        for (int32 y = 0; y < kSide; ++y)
            for (int32 x = 0; x < kSide; ++x) buffer.SetPixel(GPoint(x, y), value);
        NativeQuad got;
        for (int32 y = 0; y < kSide; ++y)
            for (int32 x = 0; x < kSide; ++x) buffer.GetPixel(GPoint(x, y), got, kPadNone, nullptr);
        benchmark::DoNotOptimize(got);
    }
    CountPixels(ioState);
}

void BM_ChannelSetGetTile(benchmark::State& ioState) {
    std::vector<uint8> bytes(size_t(kSide) * kSide);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8(i * 31);
    CChannel channel(kBounds, 0);
    for (auto _ : ioState) {
        channel.SetTile(Area(ioState), bytes.data(), kSide);
        channel.GetTile(Area(ioState), bytes.data(), kSide);
        benchmark::DoNotOptimize(bytes.data());
    }
    CountPixels(ioState);
}

// Argument 0: aligned to the tile grid, 1: offset by (13, 7).
BENCHMARK(BM_SetTile)->Arg(0)->Arg(1);
BENCHMARK(BM_GetTileStored)->Arg(0)->Arg(1);
BENCHMARK(BM_GetTileConstant)->Arg(0)->Arg(1);
BENCHMARK(BM_FillRect)->Arg(0)->Arg(1);
BENCHMARK(BM_ChannelSetGetTile)->Arg(0)->Arg(1);
// Argument: the padding mode (kPadValue 2, kPadEdge 1).
BENCHMARK(BM_GetTilePadded)->Arg(2)->Arg(1);
BENCHMARK(BM_SetGetPixel);

}  // namespace

BENCHMARK_MAIN();
