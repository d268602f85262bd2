#pragma once
// Row arithmetic and result checks shared by the DIB access, colour reduction and the GIF codec.
#include <cstdint>
#include <span>

namespace vermaline {

// Raises EOutOfResources with the text of the last operating-system error (errno), or with the
// platform's own out-of-resources text when there is none.
[[noreturn]] void RaiseLastGdiError();

// A graphics call's result, passed through when it is non-zero (a non-null handle); a zero
// result is a failure of the call.
template <typename T>
T CheckGdiResult(T value) {
    if (!value) RaiseLastGdiError();
    return value;
}

// Bytes of a row of width pixels at bitsPerPixel, padded to a multiple of alignment bits.
int64_t RowBytes(int64_t width, int bitsPerPixel, int alignment);

// Bits per pixel needed to index colorCount colours: 0 for none, else at least 1.
int BitsForColorCount(int colorCount);

// Turns four-byte palette entries (red, green, blue, flags) into colour-table entries
// (blue, green, red, 0) in place; a trailing partial entry is left alone.
void SwapRedBlue(std::span<uint8_t> entries);

} // namespace vermaline
