// JPEG output of a 12-megapixel picture at quality 90: the JPEG image class as the batch uses
// it, against libjpeg driven directly on the same pixels as cjpeg drives it, and against the
// cjpeg program itself reading a PPM of those pixels.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "formats/platform/bitmap.h"
#include "formats/platform/jpeg_image.h"
#include "formats/platform/stream.h"

namespace {

using namespace vermaline;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// Smooth colour fields with edges and a little noise, roughly as hard to compress as a photo.
const TBitmap& Picture() {
    static const TBitmap* picture = [] {
        auto* bitmap = new TBitmap(kWidth, kHeight, TPixelFormat::pfDevice);
        uint32_t noise = 1;
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = bitmap->ScanLine(y);
            for (int x = 0; x < kWidth; ++x) {
                noise = noise * 1664525u + 1013904223u;
                const int n = static_cast<int>(noise >> 28) - 8;
                const double u = x / 300.0, v = y / 200.0;
                const int edge = ((x / 250 + y / 170) % 3) * 40;
                row[3 * x] = static_cast<uint8_t>(std::clamp(int(128 + 90 * std::sin(u + 0.7 * v)) + n, 0, 255));
                row[3 * x + 1] = static_cast<uint8_t>(std::clamp(int(120 + 80 * std::cos(1.3 * v - u)) + edge / 2 + n, 0, 255));
                row[3 * x + 2] = static_cast<uint8_t>(std::clamp(int(100 + 60 * std::sin(2.1 * u * v)) + edge + n, 0, 255));
            }
        }
        return bitmap;
    }();
    return *picture;
}

// The same pixels as red-green-blue rows without padding, as cjpeg reads them from a PPM.
const std::vector<uint8_t>& RgbPixels() {
    static const std::vector<uint8_t> pixels = [] {
        const TBitmap& bitmap = Picture();
        std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
        for (int y = 0; y < kHeight; ++y) {
            const uint8_t* in = bitmap.ScanLine(y);
            uint8_t* out = rgb.data() + static_cast<size_t>(y) * kWidth * 3;
            for (int x = 0; x < kWidth; ++x) {
                out[3 * x] = in[3 * x + 2];
                out[3 * x + 1] = in[3 * x + 1];
                out[3 * x + 2] = in[3 * x];
            }
        }
        return rgb;
    }();
    return pixels;
}

void SetPixelCounter(benchmark::State& state) {
    state.counters["MP/s"] = benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// The batch's JPEG step: assign the drawn bitmap, compress, save.
void BM_JPEGImage_AssignCompressSave(benchmark::State& state) {
    const TBitmap& bitmap = Picture();
    size_t bytes = 0;
    for (auto _ : state) {
        TJPEGImage image;
        image.Assign(bitmap);
        image.Compress();
        TMemoryStream out;
        image.SaveToStream(out);
        bytes = out.Bytes().size();
        benchmark::DoNotOptimize(out.Memory());
    }
    state.counters["bytes"] = double(bytes);
    SetPixelCounter(state);
}
BENCHMARK(BM_JPEGImage_AssignCompressSave)->Unit(benchmark::kMillisecond)->UseRealTime();

// Compression alone, the bitmap already held.
void BM_JPEGImage_Compress(benchmark::State& state) {
    const TBitmap& bitmap = Picture();
    for (auto _ : state) {
        state.PauseTiming();
        TJPEGImage image;
        image.Assign(bitmap);
        state.ResumeTiming();
        image.Compress();
        benchmark::DoNotOptimize(image.Data().data());
    }
    SetPixelCounter(state);
}
BENCHMARK(BM_JPEGImage_Compress)->Unit(benchmark::kMillisecond)->UseRealTime();

// libjpeg as cjpeg -quality 90 drives it: defaults, quality 90, red-green-blue input rows.
void BM_Libjpeg_Direct(benchmark::State& state) {
    const std::vector<uint8_t>& rgb = RgbPixels();
    std::vector<JSAMPROW> rows(kHeight);
    for (int y = 0; y < kHeight; ++y) rows[y] = const_cast<JSAMPROW>(rgb.data() + static_cast<size_t>(y) * kWidth * 3);
    size_t bytes = 0;
    for (auto _ : state) {
        jpeg_compress_struct cinfo{};
        jpeg_error_mgr err{};
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_compress(&cinfo);
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&cinfo, &buffer, &size);
        cinfo.image_width = kWidth;
        cinfo.image_height = kHeight;
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, 90, FALSE);
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height)
            jpeg_write_scanlines(&cinfo, rows.data() + cinfo.next_scanline, cinfo.image_height - cinfo.next_scanline);
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        bytes = size;
        benchmark::DoNotOptimize(buffer);
        std::free(buffer);
    }
    state.counters["bytes"] = double(bytes);
    SetPixelCounter(state);
}
BENCHMARK(BM_Libjpeg_Direct)->Unit(benchmark::kMillisecond)->UseRealTime();

// The cjpeg program on a PPM of the same pixels (process start and file reading included).
void BM_Cjpeg_Program(benchmark::State& state) {
    const std::string ppm = "/tmp/vermaline_jpeg_bench.ppm";
    {
        TFileStream file(ppm, TFileMode::fmCreate);
        const std::string header = "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
        file.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
        file.WriteBuffer(RgbPixels().data(), static_cast<int64_t>(RgbPixels().size()));
        file.Flush();
    }
    const std::string command = "cjpeg -quality 90 -outfile /dev/null " + ppm;
    const auto childCpu = [] {
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    };
    const double before = childCpu();
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("cjpeg failed");
    // The program's own processor time (the shell's included), comparable with the CPU column.
    state.counters["cjpeg_cpu_ms"] =
        benchmark::Counter((childCpu() - before) * 1e3 / double(state.iterations()), benchmark::Counter::kAvgThreads);
    std::remove(ppm.c_str());
    SetPixelCounter(state);
}
BENCHMARK(BM_Cjpeg_Program)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
