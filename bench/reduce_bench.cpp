// ReduceColors to an optimised 256-colour palette (rmQuantize, 8 bits) on a 1920x1080
// photo-like image, once per dither mode; the octree palette is built in every run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "formats/platform/bitmap.h"
#include "reduce/reduce_colors.h"

namespace vermaline {
namespace {

// Smooth colour fields with fine noise, the statistics of a photograph more than of a chart.
const TBitmap& Photo() {
    static const std::unique_ptr<TBitmap> photo = [] {
        auto bitmap = std::make_unique<TBitmap>(1920, 1080, TPixelFormat::pf24bit);
        uint32_t seed = 1;
        for (int y = 0; y < bitmap->Height(); ++y) {
            uint8_t* row = bitmap->ScanLine(y);
            for (int x = 0; x < bitmap->Width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                const double n = double(int(seed >> 27) - 16);
                const double r = 128 + 100 * std::sin(x * 0.004 + y * 0.002) + n;
                const double g = 128 + 90 * std::sin(y * 0.006 - x * 0.001 + 1.0) + n;
                const double b = 128 + 110 * std::cos((x + y) * 0.003) * std::sin(x * 0.01) + n;
                row[3 * x + 0] = uint8_t(std::clamp(b, 0.0, 255.0));
                row[3 * x + 1] = uint8_t(std::clamp(g, 0.0, 255.0));
                row[3 * x + 2] = uint8_t(std::clamp(r, 0.0, 255.0));
            }
        }
        return bitmap;
    }();
    return *photo;
}

void Reduce(benchmark::State& state, TDitherMode mode) {
    TBitmap source;
    source.Assign(Photo());
    for (auto _ : state) {
        auto result = ReduceColors(source, TColorReduction::rmQuantize, mode, 8, nullptr);
        benchmark::DoNotOptimize(result);
    }
    state.counters["Mpixels"] =
        benchmark::Counter(double(source.Width()) * source.Height() * 1e-6 * double(state.iterations()),
                           benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(Reduce, Nearest, TDitherMode::dmNearest)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Reduce, FloydSteinberg, TDitherMode::dmFloydSteinberg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Reduce, Stucki, TDitherMode::dmStucki)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Reduce, Sierra, TDitherMode::dmSierra)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Reduce, JaJuNI, TDitherMode::dmJaJuNI)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Reduce, SteveArche, TDitherMode::dmSteveArche)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Reduce, Burkes, TDitherMode::dmBurkes)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace vermaline
