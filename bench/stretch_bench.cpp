// Stretch-drawing a 24-bit 4000x3000 image: 1:1, shrunk to 1000x750 (and 1333x1000) and enlarged
// to 8000x6000.
#include <benchmark/benchmark.h>

#include <memory>

#include "formats/platform/bitmap.h"
#include "formats/platform/canvas.h"

namespace vermaline {
namespace {

const TBitmap& Source() {
    static const std::unique_ptr<TBitmap> source = [] {
        auto bitmap = std::make_unique<TBitmap>(4000, 3000, TPixelFormat::pf24bit);
        for (int y = 0; y < bitmap->Height(); ++y) {
            uint8_t* row = bitmap->ScanLine(y);
            for (int x = 0; x < bitmap->Width() * 3; ++x) row[x] = static_cast<uint8_t>(x * 7 + y * 13 + (x * y >> 5));
        }
        return bitmap;
    }();
    return *source;
}

// Counts the megapixels of the source read or of the destination written, per second.
void Stretch(benchmark::State& state, int width, int height, bool countSource) {
    const TBitmap& source = Source();
    TBitmap target(width, height, TPixelFormat::pf24bit);
    for (auto _ : state) {
        target.Canvas().DrawBitmap(Rect(0, 0, width, height), source);
        benchmark::ClobberMemory();
    }
    const double pixels = countSource ? double(source.Width()) * source.Height() : double(width) * height;
    state.counters["Mpixels"] = benchmark::Counter(pixels * 1e-6 * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_StretchOneToOne(benchmark::State& state) { Stretch(state, 4000, 3000, true); }
void BM_StretchShrinkTo1000x750(benchmark::State& state) { Stretch(state, 1000, 750, true); }
void BM_StretchEnlargeTo8000x6000(benchmark::State& state) { Stretch(state, 8000, 6000, false); }
// A ratio that is not a whole number: runs of varying length.
void BM_StretchShrinkTo1333x1000(benchmark::State& state) { Stretch(state, 1333, 1000, true); }

BENCHMARK(BM_StretchOneToOne)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StretchShrinkTo1000x750)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StretchEnlargeTo8000x6000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StretchShrinkTo1333x1000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace vermaline
