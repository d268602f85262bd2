// TIFF writing speed: a 12-megapixel bitmap written to memory, in bytes of file per second.
#include <benchmark/benchmark.h>

#include <memory>

#include "formats/platform/bitmap.h"
#include "formats/platform/stream.h"
#include "tiffwriter/tiff_writer.h"

namespace {

using vermaline::TBitmap;
using vermaline::TMemoryStream;
using vermaline::TPixelFormat;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// A bitmap of varied bytes (the writer's speed does not depend on them).
std::unique_ptr<TBitmap> MakeSource(TPixelFormat format) {
    auto bitmap = std::make_unique<TBitmap>(kWidth, kHeight, format);
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = bitmap->ScanLine(y);
        for (size_t i = 0; i < bitmap->RowStride(); ++i) row[i] = uint8_t(i * 7 + y * 13);
    }
    return bitmap;
}

// The same stream each time, emptied: the stream's own growth is not what is measured.
void WriteToReusedStream(benchmark::State& state, TPixelFormat format) {
    const auto bitmap = MakeSource(format);
    TMemoryStream stream;
    for (auto _ : state) {
        stream.Clear();
        vermaline::WriteTiffToStream(stream, *bitmap);
        benchmark::DoNotOptimize(stream.Memory());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * stream.Size());
}

// A new stream each time, as a caller writing one file after another would have.
void WriteToNewStream(benchmark::State& state, TPixelFormat format) {
    const auto bitmap = MakeSource(format);
    int64_t size = 0;
    for (auto _ : state) {
        TMemoryStream stream;
        vermaline::WriteTiffToStream(stream, *bitmap);
        size = stream.Size();
        benchmark::DoNotOptimize(stream.Memory());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}

// The device-independent copy the writer starts from, alone: the share of the platform's copy.
void CopyOnly(benchmark::State& state, TPixelFormat format) {
    const auto bitmap = MakeSource(format);
    int64_t size = 0;
    for (auto _ : state) {
        const vermaline::TDIBCopy copy = bitmap->GetDIB(0, true);
        size = static_cast<int64_t>(copy.Bits.size());
        benchmark::DoNotOptimize(copy.Bits.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}

BENCHMARK_CAPTURE(WriteToReusedStream, rgb24_12mp, TPixelFormat::pf24bit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(WriteToNewStream, rgb24_12mp, TPixelFormat::pf24bit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(WriteToReusedStream, rgb32_12mp, TPixelFormat::pf32bit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(WriteToReusedStream, palette8_12mp, TPixelFormat::pf8bit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(CopyOnly, rgb24_12mp, TPixelFormat::pf24bit)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
