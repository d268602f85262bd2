#pragma once
// Conversions of one sample, shared by the row converters and the palette builders. 16-bit
// samples are the words as read from the data; the swap variants serve words stored most
// significant byte first.
#include <cstdint>

#include "color/color_manager.h"

namespace vermaline {

constexpr uint8_t ClampByte(int32_t value) {
    return value < 0 ? uint8_t(0) : value > 255 ? uint8_t(255) : uint8_t(value);
}

// a * b / c with a 32-bit intermediate product; callers keep the quotient within 16 bits.
constexpr uint16_t MulDiv16(uint16_t a, uint16_t b, uint16_t c) {
    return uint16_t(uint32_t(a) * uint32_t(b) / uint32_t(c));
}

constexpr uint16_t SwapWord(uint16_t value) { return uint16_t((value << 8) | (value >> 8)); }

// value * 255 / 65535 equals value / 257, truncated alike.
constexpr uint8_t ScaleWordToByte(uint16_t value) { return uint8_t(value / 257u); }
// value * 65535 / 255.
constexpr uint16_t ScaleByteToWord(uint8_t value) { return uint16_t(value * 257u); }

constexpr uint8_t ComponentNoConvert8(uint8_t value) { return value; }
constexpr uint16_t ComponentNoConvert16(uint16_t value) { return value; }
constexpr uint8_t ComponentGammaConvert(const TGammaTable& gamma, uint8_t value) { return gamma[value]; }
constexpr uint8_t ComponentScaleConvert(uint16_t value) { return ScaleWordToByte(value); }
constexpr uint8_t ComponentScaleGammaConvert(const TGammaTable& gamma, uint16_t value) {
    return gamma[ScaleWordToByte(value)];
}
constexpr uint16_t ComponentSwapConvert(uint16_t value) { return SwapWord(value); }
constexpr uint8_t ComponentSwapScaleConvert(uint16_t value) { return ScaleWordToByte(SwapWord(value)); }
constexpr uint8_t ComponentSwapScaleGammaConvert(const TGammaTable& gamma, uint16_t value) {
    return gamma[ScaleWordToByte(SwapWord(value))];
}

} // namespace vermaline
