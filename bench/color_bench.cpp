// Row conversion speed of the colour manager: rows of 4096 pixels, one core.
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "color/color_manager.h"

namespace {

using namespace vermaline;
using enum TColorScheme;

constexpr uint32_t kWidth = 4096;

std::vector<uint8_t> RandomRow(size_t bytes) {
    std::mt19937 rng(1);
    std::vector<uint8_t> row(bytes);
    for (auto& b : row) b = uint8_t(rng());
    return row;
}

struct Setup {
    TColorScheme source;
    TColorScheme target;
    uint8_t sourceBits;
    uint8_t targetBits;
    uint8_t sourceSamples;
    uint8_t targetSamples;
    TConvertOptions sourceFlags;
    size_t sourceBytes;
    size_t targetBytes;
};

void RunRows(benchmark::State& state, const Setup& s) {
    TColorManager m;
    m.SetSourceColorScheme(s.source);
    m.SetTargetColorScheme(s.target);
    m.SetSourceBitsPerSample(s.sourceBits);
    m.SetTargetBitsPerSample(s.targetBits);
    m.SetSourceSamplesPerPixel(s.sourceSamples);
    m.SetTargetSamplesPerPixel(s.targetSamples);
    m.SourceFlags = s.sourceFlags;
    if (state.range(0) != 0) m.TargetFlags = {TConvertOption::coApplyGamma};
    const auto source = RandomRow(s.sourceBytes);
    std::vector<uint8_t> target(s.targetBytes);
    for (auto _ : state) {
        m.ConvertRow({source.data()}, target.data(), kWidth, 0xFF);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.counters["MP/s"] = benchmark::Counter(double(state.iterations()) * kWidth / 1e6, benchmark::Counter::kIsRate);
}

void BM_RGBToBGR8(benchmark::State& state) {
    RunRows(state, {csRGB, csBGR, 8, 8, 3, 3, {}, kWidth * 3, kWidth * 3});
}
void BM_RGB16To8Swap(benchmark::State& state) {
    RunRows(state, {csRGB, csBGR, 16, 8, 3, 3, {TConvertOption::coNeedByteSwap}, kWidth * 6, kWidth * 3});
}
void BM_YCbCrToBGR(benchmark::State& state) {
    RunRows(state, {csYCbCr, csBGR, 8, 8, 3, 3, {}, kWidth * 3, kWidth * 3});
}
void BM_CMYKToBGR(benchmark::State& state) {
    RunRows(state, {csCMYK, csBGR, 8, 8, 4, 3, {}, kWidth * 4, kWidth * 3});
}
void BM_Indexed4To8(benchmark::State& state) {
    RunRows(state, {csIndexed, csIndexed, 4, 8, 1, 1, {}, kWidth / 2, kWidth});
}

} // namespace

// Argument: gamma off (0) or on (1); only the RGB members apply it.
BENCHMARK(BM_RGBToBGR8)->Arg(0)->Arg(1);
BENCHMARK(BM_RGB16To8Swap)->Arg(0)->Arg(1);
BENCHMARK(BM_YCbCrToBGR)->Arg(0)->Arg(1);
BENCHMARK(BM_CMYKToBGR)->Arg(0)->Arg(1);
BENCHMARK(BM_Indexed4To8)->Arg(0)->Arg(1);
