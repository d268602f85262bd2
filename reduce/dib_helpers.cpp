#include "reduce/dib_helpers.h"

#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

#include "formats/platform/exceptions.h"

namespace vermaline {

void RaiseLastGdiError() {
    const int code = errno;
    if (code != 0) {
        std::string text = std::error_code(code, std::generic_category()).message();
        if (text.size() > 255) text.resize(255);
        if (!text.empty()) throw EOutOfResources(text);
    }
    throw EOutOfResources(messages::kOutOfResources);
}

int64_t RowBytes(int64_t width, int bitsPerPixel, int alignment) {
    const uint64_t bits = static_cast<uint64_t>(width) * static_cast<uint64_t>(bitsPerPixel);
    const uint64_t mask = static_cast<uint64_t>(alignment) - 1;
    return static_cast<int64_t>(((bits + mask) & ~mask) >> 3);
}

int BitsForColorCount(int colorCount) {
    if (colorCount <= 0) return 0;
    int bits = 1;
    while (bits < 31 && (int64_t(1) << bits) < colorCount) ++bits;
    return bits;
}

void SwapRedBlue(std::span<uint8_t> entries) {
    for (size_t i = 0; i + 4 <= entries.size(); i += 4) {
        std::swap(entries[i], entries[i + 2]);
        entries[i + 3] = 0;
    }
}

} // namespace vermaline
