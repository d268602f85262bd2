// libFuzzer target: the BMP reader over arbitrary bytes must load or raise, nothing else.
#include <cstddef>
#include <cstdint>

#include "formats/platform/bitmap.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/stream.h"

// Width times height that the information header claims, or 0.
uint64_t ClaimedPixels(const uint8_t* data, size_t size) {
    if (size < 26) return 0;
    const auto dword = [&](size_t at) { return uint32_t(data[at] | data[at + 1] << 8 | data[at + 2] << 16 | uint32_t(data[at + 3]) << 24); };
    if (dword(14) == 12) return uint64_t(data[18] | data[19] << 8) * uint64_t(data[20] | data[21] << 8);
    const int64_t w = int32_t(dword(18)), h = int32_t(dword(22));
    return uint64_t(w < 0 ? -w : w) * uint64_t(h < 0 ? -h : h);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // RLE files may validly claim up to the platform's limit of 2^28 pixels in a few bytes;
    // allocating that much on every run would leave no time for anything else. Larger claims
    // still run, as they are refused before allocation.
    const uint64_t pixels = ClaimedPixels(data, size);
    if (pixels > (uint64_t(1) << 22) && pixels <= vermaline::kMaxImagePixels) return 0;
    vermaline::TBytesStream stream(data, size);
    vermaline::TBitmap bitmap;
    try {
        bitmap.LoadFromStream(stream);
        // Touch every decoded pixel, so reads of rows the reader did not fill are caught.
        std::vector<uint8_t> row(size_t(bitmap.Width()) * 4);
        for (int y = 0; y < bitmap.Height(); ++y) bitmap.ReadRowBGRA(y, row.data());
    } catch (const vermaline::Exception&) {
    }
    return 0;
}
