#pragma once
// Rasterising helpers of the bitmap canvas: storing colours in any pixel format, and the pixel
// spans of filled shapes and lines, all limited to a clip rectangle.
#include <cstdint>
#include <functional>
#include <span>

#include "formats/platform/graphics_types.h"
#include "formats/platform/palette.h"

namespace vermaline {

class TBitmap;

// Stores blue, green, red values into a bitmap row of any format: packed words, or the nearest
// palette entry for indexed formats (remembering recent answers, since images repeat colours).
// 32-bit pixels receive 255 in their fourth byte when the bitmap has an alpha channel, else 0.
class TPixelStore {
public:
    explicit TPixelStore(const TBitmap& target);
    void Store(uint8_t* row, int x, uint8_t b, uint8_t g, uint8_t r);

private:
    TPixelFormat format_;
    int bits_;
    uint8_t fourth_;
    TNearestColorCache nearest_;
};

// Fills horizontal spans of one colour, clipped to a rectangle that lies within the bitmap.
class TSolidFill {
public:
    TSolidFill(TBitmap& target, const TRect& clip, TColor color);
    // Fills the pixels [x0, x1) of row y that lie inside the clip.
    void Span(int64_t y, int64_t x0, int64_t x1);
    const TRect& Clip() const { return clip_; }

private:
    TBitmap& target_;
    TRect clip_;
    uint8_t b_, g_, r_;
    TPixelStore store_;
};

using TSpanSink = std::function<void(int y, int64_t x0, int64_t x1)>;

// The span [x0, x1) of row y inside the ellipse inscribed in box (pixel centres inside or on
// the ellipse); false when the row misses it.
bool EllipseRow(const TRect& box, int y, int64_t& x0, int64_t& x1);
// Spans of a polygon's interior for the rows [top, bottom), even-odd rule (pixel centres).
void PolygonSpans(std::span<const TPoint> points, int top, int bottom, const TSpanSink& sink);
// The pixels of the one-pixel line from a to b without b (Bresenham order), restricted to the
// steps whose major coordinate lies within the clip.
void LinePixels(TPoint a, TPoint b, const TRect& clip, const std::function<void(int64_t x, int64_t y)>& plot);
// Spans of a line width pixels wide from a to b, for the rows [top, bottom): the area a square
// of width pixels centred on the line's points sweeps, so the ends are square.
void ThickLineSpans(TPoint a, TPoint b, int width, int top, int bottom, const TSpanSink& sink);

} // namespace vermaline
