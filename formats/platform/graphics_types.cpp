#include "formats/platform/graphics_types.h"

#include <algorithm>

namespace vermaline {

TColor ColorToRGB(TColor color) {
    if ((color & 0xFF000000u) != 0xFF000000u) return color & 0x00FFFFFFu;
    switch (color & 0xFFu) {
    case 0x05: return clWhite;                  // window
    case 0x08: return clBlack;                  // window text
    case 0x0F: return RGB(0xF0, 0xF0, 0xF0);    // button face
    case 0x01: return RGB(0x00, 0x00, 0x00);    // desktop background
    default: return RGB(0xC0, 0xC0, 0xC0);
    }
}

TRect IntersectRect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty()) return TRect{};
    return r;
}

int BitsPerPixel(TPixelFormat format) {
    switch (format) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit: return 16;
    case TPixelFormat::pf32bit: return 32;
    case TPixelFormat::pfDevice:
    case TPixelFormat::pf24bit:
    case TPixelFormat::pfCustom: return 24;
    }
    return 24;
}

bool IsIndexed(TPixelFormat format) {
    return format == TPixelFormat::pf1bit || format == TPixelFormat::pf4bit || format == TPixelFormat::pf8bit;
}

} // namespace vermaline
