// BMP load and save of a 24-bit 4000 x 3000 image in memory, beside reading the same bytes
// from a stream into a fresh buffer (the floor a reader cannot beat).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "formats/platform/bitmap.h"
#include "formats/platform/stream.h"

namespace {

using namespace vermaline;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr double kMegapixels = kWidth * double(kHeight) / 1e6;

const TBitmap& Picture() {
    static const auto bitmap = [] {
        auto b = std::make_unique<TBitmap>(kWidth, kHeight, TPixelFormat::pf24bit);
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = b->ScanLine(y);
            for (int x = 0; x < kWidth; ++x) {
                row[3 * x] = uint8_t(x);
                row[3 * x + 1] = uint8_t(y);
                row[3 * x + 2] = uint8_t(x ^ y);
            }
        }
        return b;
    }();
    return *bitmap;
}

const std::vector<uint8_t>& FileBytes() {
    static const std::vector<uint8_t> bytes = [] {
        TMemoryStream stream;
        const_cast<TBitmap&>(Picture()).SaveToStream(stream);
        return stream.Bytes();
    }();
    return bytes;
}

void SetRate(benchmark::State& state) {
    state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(FileBytes().size()));
}

void BM_ReadFileBytes(benchmark::State& state) {
    const auto& bytes = FileBytes();
    for (auto _ : state) {
        TBytesStream stream(bytes.data(), bytes.size());
        auto buffer = std::make_unique_for_overwrite<uint8_t[]>(bytes.size());
        stream.ReadBuffer(buffer.get(), static_cast<int64_t>(bytes.size()));
        benchmark::DoNotOptimize(buffer.get());
        benchmark::ClobberMemory();
    }
    SetRate(state);
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);

void BM_BmpLoad(benchmark::State& state) {
    const auto& bytes = FileBytes();
    for (auto _ : state) {
        TBytesStream stream(bytes.data(), bytes.size());
        TBitmap bitmap;
        bitmap.LoadFromStream(stream);
        benchmark::DoNotOptimize(bitmap.ScanLine(0));
    }
    SetRate(state);
}
BENCHMARK(BM_BmpLoad)->Unit(benchmark::kMillisecond);

void BM_BmpSave(benchmark::State& state) {
    TBitmap& bitmap = const_cast<TBitmap&>(Picture());
    for (auto _ : state) {
        TMemoryStream stream;
        stream.SetSize(static_cast<int64_t>(FileBytes().size()));
        stream.SetPosition(0);
        bitmap.SaveToStream(stream);
        benchmark::DoNotOptimize(stream.Memory());
    }
    SetRate(state);
}
BENCHMARK(BM_BmpSave)->Unit(benchmark::kMillisecond);

} // namespace
