#pragma once
// Basic graphics vocabulary: colours, points, rectangles and pixel formats.
#include <cstdint>

namespace vermaline {

// 32-bit colour: red in the low byte, then green, then blue. The top byte 0xFF marks a
// system colour (its low byte is the system colour index).
using TColor = uint32_t;

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clWindow = 0xFF000005;      // system colour: window background
inline constexpr TColor clWindowText = 0xFF000008;  // system colour: window text
inline constexpr TColor clBtnFace = 0xFF00000F;     // system colour: button face

constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}
constexpr uint8_t GetRValue(TColor c) { return uint8_t(c); }
constexpr uint8_t GetGValue(TColor c) { return uint8_t(c >> 8); }
constexpr uint8_t GetBValue(TColor c) { return uint8_t(c >> 16); }

// Converts a system colour to its RGB value on the simulated desktop; plain colours pass.
TColor ColorToRGB(TColor color);

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return TRect{left, top, right, bottom};
}
constexpr TRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    return TRect{left, top, left + width, top + height};
}
TRect IntersectRect(const TRect& a, const TRect& b);

enum class TPixelFormat : uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// Bits per pixel of the row layout of a pixel format; pfDevice is stored as 24-bit.
int BitsPerPixel(TPixelFormat format);
bool IsIndexed(TPixelFormat format);

} // namespace vermaline
