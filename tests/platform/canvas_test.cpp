#include "formats/platform/canvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "formats/platform/bitmap.h"
#include "formats/platform/stretch.h"
#include "tests/support/oracle.h"

namespace vermaline {
namespace {

// A deterministic colour per pixel that exercises every bit of every channel.
TColor Pattern(int x, int y) {
    const uint32_t h = (uint32_t(x) * 73856093u) ^ (uint32_t(y) * 19349663u) ^ 0x5bd1e995u;
    return RGB(uint8_t(h), uint8_t(h >> 8), uint8_t(h >> 16));
}

// A 24-bit bitmap whose pixel (x, y) is colour(x, y).
template <typename F>
std::unique_ptr<TBitmap> Make24(int w, int h, F colour) {
    auto b = std::make_unique<TBitmap>(w, h, TPixelFormat::pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b->SetPixel(x, y, colour(x, y));
    return b;
}

std::unique_ptr<TBitmap> Grey24(const std::vector<std::vector<int>>& rows) {
    return Make24(int(rows[0].size()), int(rows.size()), [&](int x, int y) {
        const auto v = uint8_t(rows[size_t(y)][size_t(x)]);
        return RGB(v, v, v);
    });
}

int Red(const TBitmap& b, int x, int y) { return GetRValue(b.GetPixel(x, y)); }

// The largest colour difference between a and the part of b at offset (dx, dy).
int Difference(const TBitmap& a, const TBitmap& b, int dx = 0, int dy = 0) {
    int worst = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const TColor p = a.GetPixel(x, y), q = b.GetPixel(x + dx, y + dy);
            worst = std::max({worst, std::abs(GetRValue(p) - GetRValue(q)), std::abs(GetGValue(p) - GetGValue(q)),
                              std::abs(GetBValue(p) - GetBValue(q))});
        }
    return worst;
}

TEST(CanvasDrawBitmap, OneToOneIsExactForEveryPixelFormat) {
    for (TPixelFormat format : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf15bit,
                                TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit, TPixelFormat::pfDevice}) {
        SCOPED_TRACE(int(format));
        TBitmap source(13, 7, format);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x) source.SetPixel(x, y, Pattern(x, y));
        TBitmap target(20, 10, TPixelFormat::pf24bit);
        target.Canvas().DrawBitmap(Bounds(3, 2, 13, 7), source);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x) {
                const bool inside = x >= 3 && x < 16 && y >= 2 && y < 9;
                ASSERT_EQ(target.GetPixel(x, y), inside ? source.GetPixel(x - 3, y - 2) : clWhite) << x << "," << y;
            }
    }
}

TEST(CanvasDrawBitmap, OneToOneCopiesTheBytesOfTheSameFormat) {
    for (TPixelFormat format : {TPixelFormat::pf8bit, TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        TBitmap source(9, 4, format);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 9; ++x) source.SetPixel(x, y, Pattern(x, y));
        TBitmap target(9, 4, format);
        target.Canvas().DrawBitmap(Bounds(0, 0, 9, 4), source);
        for (int y = 0; y < 4; ++y)
            EXPECT_EQ(std::memcmp(source.ScanLine(y), target.ScanLine(y), source.RowStride()), 0) << int(format) << " row " << y;
    }
}

TEST(CanvasDrawBitmap, ShrinkingAveragesAreas) {
    // A 2x2 checker becomes one grey pixel: the mean of 0 and 255.
    const auto checker = Grey24({{0, 255}, {255, 0}});
    TBitmap one(1, 1, TPixelFormat::pf24bit);
    one.Canvas().DrawBitmap(Bounds(0, 0, 1, 1), *checker);
    EXPECT_TRUE(Red(one, 0, 0) == 127 || Red(one, 0, 0) == 128) << Red(one, 0, 0);

    // 4x4 to 2x2: each result is the rounded mean of its 2x2 block, per channel.
    const auto source = Make24(4, 4, Pattern);
    TBitmap half(2, 2, TPixelFormat::pf24bit);
    half.Canvas().DrawBitmap(Bounds(0, 0, 2, 2), *source);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            for (int shift : {0, 8, 16}) {
                int sum = 0;
                for (int k = 0; k < 4; ++k) sum += int(source->GetPixel(2 * x + k % 2, 2 * y + k / 2) >> shift) & 255;
                const int got = int(half.GetPixel(x, y) >> shift) & 255;
                EXPECT_LE(std::abs(got - sum / 4.0), 0.5) << x << "," << y << " shift " << shift;
            }

    // 3 pixels to 2: the middle one is shared half and half (weights 2/3, 1/3).
    const auto row = Grey24({{30, 90, 240}});
    TBitmap two(2, 1, TPixelFormat::pf24bit);
    two.Canvas().DrawBitmap(Bounds(0, 0, 2, 1), *row);
    EXPECT_EQ(Red(two, 0, 0), 50);   // (30 * 2 + 90) / 3
    EXPECT_EQ(Red(two, 1, 0), 190);  // (90 + 240 * 2) / 3
}

// Bilinear interpolation with aligned pixel centres, computed independently in doubles.
double Bilinear(const std::vector<std::vector<int>>& img, int dw, int dh, int x, int y) {
    const int sh = int(img.size()), sw = int(img[0].size());
    const auto coord = [](int d, int s, int dsize, double& frac) {
        double p = (d + 0.5) * s / dsize - 0.5;
        p = std::clamp(p, 0.0, double(s - 1));
        const int i = std::min(int(std::floor(p)), std::max(s - 2, 0));
        frac = p - i;
        return i;
    };
    double fx, fy;
    const int ix = coord(x, sw, dw, fx), iy = coord(y, sh, dh, fy);
    const auto at = [&](int yy, int xx) { return double(img[size_t(std::min(yy, sh - 1))][size_t(std::min(xx, sw - 1))]); };
    const double top = at(iy, ix) * (1 - fx) + at(iy, ix + 1) * fx;
    const double bottom = at(iy + 1, ix) * (1 - fx) + at(iy + 1, ix + 1) * fx;
    return top * (1 - fy) + bottom * fy;
}

TEST(CanvasDrawBitmap, EnlargingIsBilinear) {
    struct Case {
        std::vector<std::vector<int>> image;
        int dw, dh;
    };
    const Case cases[] = {
        {{{10, 200}, {90, 40}}, 4, 4},
        {{{0, 100, 255}}, 7, 1},
        {{{5, 250, 17, 128, 66}}, 13, 3},
    };
    for (const Case& c : cases) {
        const auto source = Grey24(c.image);
        TBitmap target(c.dw, c.dh, TPixelFormat::pf24bit);
        target.Canvas().DrawBitmap(Bounds(0, 0, c.dw, c.dh), *source);
        for (int y = 0; y < c.dh; ++y)
            for (int x = 0; x < c.dw; ++x)
                EXPECT_LE(std::abs(Red(target, x, y) - Bilinear(c.image, c.dw, c.dh, x, y)), 0.52) << x << "," << y;
    }
}

TEST(CanvasDrawBitmap, AlphaBitmapsCompositeOverTheDestination) {
    TBitmap source(3, 1, TPixelFormat::pf32bit);
    source.SetAlphaChannel(true);
    const uint8_t alphas[3] = {0, 255, 128};
    for (int x = 0; x < 3; ++x) {
        uint8_t* p = source.ScanLine(0) + 4 * x;
        p[0] = 200, p[1] = 100, p[2] = 0, p[3] = alphas[x];  // blue 200, green 100, red 0
    }
    TBitmap target(3, 1, TPixelFormat::pf24bit);
    target.Canvas().DrawBitmap(Bounds(0, 0, 3, 1), source);
    EXPECT_EQ(target.GetPixel(0, 0), clWhite);
    EXPECT_EQ(target.GetPixel(1, 0), RGB(0, 100, 200));
    EXPECT_EQ(target.GetPixel(2, 0), RGB((255 * 127 + 127) / 255, (100 * 128 + 255 * 127 + 127) / 255, (200 * 128 + 255 * 127 + 127) / 255));

    // Scaled: the transparent pixel's colour (pure green) must not bleed into the opaque red.
    TBitmap pair(2, 1, TPixelFormat::pf32bit);
    pair.SetAlphaChannel(true);
    const uint8_t red[4] = {0, 0, 255, 255}, green[4] = {0, 255, 0, 0};
    std::memcpy(pair.ScanLine(0), red, 4);
    std::memcpy(pair.ScanLine(0) + 4, green, 4);
    for (int width : {8, 1}) {
        TBitmap wide(width, 2, TPixelFormat::pf24bit);
        wide.Canvas().DrawBitmap(Bounds(0, 0, width, 2), pair);
        for (int x = 0; x < width; ++x) {
            const TColor c = wide.GetPixel(x, 1);
            EXPECT_EQ(GetRValue(c), 255) << width << ": " << x;
            EXPECT_EQ(GetGValue(c), GetBValue(c)) << width << ": " << x;  // red over white only
        }
        EXPECT_EQ(wide.GetPixel(0, 0), width == 8 ? RGB(255, 0, 0) : RGB(255, 128, 128));  // 127.5 rounded up
        EXPECT_EQ(wide.GetPixel(width - 1, 0), width == 8 ? clWhite : RGB(255, 128, 128));
    }
}

TEST(CanvasDrawBitmap, KeyColourLeavesTheDestination) {
    const TColor key = RGB(255, 0, 255);
    const auto source = Make24(4, 4, [&](int x, int y) { return (x + y) % 2 ? key : RGB(10, 20, 30); });
    source->SetTransparent(true);
    source->SetTransparentColor(key);
    for (int scale : {1, 2, 3}) {
        TBitmap target(4 * scale, 4 * scale, TPixelFormat::pf24bit);
        target.Canvas().Brush.Color = RGB(0, 128, 0);
        target.Canvas().FillRect(Rect(0, 0, 4 * scale, 4 * scale));
        target.Canvas().DrawBitmap(Bounds(0, 0, 4 * scale, 4 * scale), *source);
        // Nearest-neighbour coverage of the key; the drawn pixels keep the exact non-key colour.
        for (int y = 0; y < 4 * scale; ++y)
            for (int x = 0; x < 4 * scale; ++x) {
                const bool keyed = (x / scale + y / scale) % 2 == 1;
                ASSERT_EQ(target.GetPixel(x, y), keyed ? RGB(0, 128, 0) : RGB(10, 20, 30)) << scale << ": " << x << "," << y;
            }
    }
}

TEST(CanvasDrawBitmap, ClipsToTheTargetAndTheClipRectangle) {
    const auto source = Make24(6, 5, Pattern);
    // Every scale: the visible part of a rectangle reaching outside is the same scaled image.
    for (const TRect& size : {Rect(0, 0, 6, 5), Rect(0, 0, 3, 2), Rect(0, 0, 17, 11), Rect(0, 0, 17, 2)}) {
        TBitmap whole(size.Width(), size.Height(), TPixelFormat::pf24bit);
        whole.Canvas().DrawBitmap(size, *source);
        TBitmap part(size.Width(), size.Height(), TPixelFormat::pf24bit);
        const int dx = size.Width() / 2, dy = size.Height() / 2;
        part.Canvas().DrawBitmap(Bounds(-dx, -dy, size.Width(), size.Height()), *source);
        for (int y = 0; y < size.Height(); ++y)
            for (int x = 0; x < size.Width(); ++x) {
                const TColor expected = x < size.Width() - dx && y < size.Height() - dy ? whole.GetPixel(x + dx, y + dy) : clWhite;
                ASSERT_EQ(part.GetPixel(x, y), expected) << size.Width() << "x" << size.Height() << " at " << x << "," << y;
            }
    }
    // The clip rectangle limits drawing; nothing outside it changes.
    TBitmap target(10, 10, TPixelFormat::pf24bit);
    target.Canvas().SetClipRect(Rect(2, 3, 5, 7));
    target.Canvas().DrawBitmap(Rect(-4, -4, 14, 14), *source);
    TBitmap unclipped(10, 10, TPixelFormat::pf24bit);
    unclipped.Canvas().DrawBitmap(Rect(-4, -4, 14, 14), *source);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 3 && y < 7;
            ASSERT_EQ(target.GetPixel(x, y), inside ? unclipped.GetPixel(x, y) : clWhite) << x << "," << y;
        }
    // Empty and mirrored rectangles draw nothing.
    TBitmap untouched(4, 4, TPixelFormat::pf24bit);
    for (const TRect& r : {Rect(0, 0, 0, 4), Rect(3, 0, 1, 4), Rect(0, 3, 4, 1), Rect(10, 10, 20, 20)})
        untouched.Canvas().DrawBitmap(r, *source);
    EXPECT_EQ(Difference(untouched, TBitmap(4, 4, TPixelFormat::pf24bit)), 0);
}

TEST(CanvasDrawBitmap, ABitmapDrawnOntoItselfReadsItsFormerPixels) {
    for (int width : {7, 9}) {  // shifted at 1:1, and stretched
        const auto original = Make24(7, 3, Pattern);
        TBitmap b;
        b.Assign(*original);
        TBitmap expected;
        expected.Assign(*original);
        expected.Canvas().DrawBitmap(Bounds(2, 1, width, 3), *original);
        b.Canvas().DrawBitmap(Bounds(2, 1, width, 3), b);
        EXPECT_EQ(Difference(b, expected), 0) << width;
    }
}

TEST(CanvasDrawBitmap, DrawsIntoPackedAndIndexedTargets) {
    const auto source = Make24(2, 2, [](int x, int) { return x ? RGB(0, 0, 255) : RGB(255, 0, 0); });
    TBitmap indexed(4, 2, TPixelFormat::pf4bit);
    indexed.Canvas().DrawBitmap(Bounds(1, 0, 2, 2), *source);
    EXPECT_EQ(indexed.GetPixel(0, 1), clWhite);
    EXPECT_EQ(indexed.GetPixel(1, 1), RGB(255, 0, 0));  // in the VGA palette
    EXPECT_EQ(indexed.GetPixel(2, 1), RGB(0, 0, 255));
    EXPECT_EQ(indexed.GetPixel(3, 1), clWhite);
    TBitmap packed(3, 1, TPixelFormat::pf15bit);
    packed.Canvas().DrawBitmap(Bounds(0, 0, 2, 1), *source);
    EXPECT_EQ(packed.GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(packed.GetPixel(2, 0), clWhite);
    // 32-bit targets: the fourth byte is 0 unless the target has an alpha channel.
    for (bool alpha : {false, true}) {
        TBitmap quad(2, 1, TPixelFormat::pf32bit);
        quad.SetAlphaChannel(alpha);
        quad.Canvas().DrawBitmap(Bounds(0, 0, 2, 1), *source);
        EXPECT_EQ(quad.ScanLine(0)[3], alpha ? 255 : 0);
        EXPECT_EQ(quad.GetPixel(1, 0), RGB(0, 0, 255));
    }
}

TEST(CanvasCopyRect, CopyModes) {
    const auto source = Make24(6, 6, Pattern);
    const auto background = Make24(8, 8, [](int x, int y) { return Pattern(y + 40, x); });
    const TColor s = source->GetPixel(3, 1), d = background->GetPixel(2, 1);
    struct Case {
        TCopyMode mode;
        TColor expected;
    };
    const Case cases[] = {
        {TCopyMode::cmSrcCopy, s},           {TCopyMode::cmSrcInvert, s ^ d},        {TCopyMode::cmSrcAnd, s & d},
        {TCopyMode::cmSrcPaint, s | d},      {TCopyMode::cmNotSrcCopy, ~s & 0xFFFFFF}, {TCopyMode::cmBlackness, clBlack},
        {TCopyMode::cmWhiteness, clWhite},
    };
    for (const Case& c : cases) {
        TBitmap target;
        target.Assign(*background);
        target.Canvas().CopyMode = c.mode;
        target.Canvas().CopyRect(Rect(1, 1, 4, 4), *source, Rect(2, 1, 5, 4));
        EXPECT_EQ(target.GetPixel(2, 1), c.expected) << int(c.mode);
        EXPECT_EQ(target.GetPixel(4, 4), background->GetPixel(4, 4)) << int(c.mode);
        EXPECT_EQ(target.GetPixel(0, 0), background->GetPixel(0, 0)) << int(c.mode);
    }
    // Exclusive-or twice restores the destination, also on 15-bit targets.
    for (TPixelFormat format : {TPixelFormat::pf24bit, TPixelFormat::pf15bit, TPixelFormat::pf32bit}) {
        TBitmap target;
        target.Assign(*background);
        target.SetPixelFormat(format);
        TBitmap original;
        original.Assign(target);
        target.Canvas().CopyMode = TCopyMode::cmSrcInvert;
        target.Canvas().CopyRect(Rect(-2, 3, 4, 9), *source, Rect(0, 0, 6, 6));
        EXPECT_GT(Difference(target, original), 0);
        target.Canvas().CopyRect(Rect(-2, 3, 4, 9), *source, Rect(0, 0, 6, 6));
        for (int y = 0; y < 8; ++y) EXPECT_EQ(std::memcmp(target.ScanLine(y), original.ScanLine(y), target.RowStride()), 0);
    }
    // Source copy stretches, and ignores the source's transparency.
    const auto keyed = Make24(2, 2, [](int, int) { return RGB(1, 2, 3); });
    keyed->SetTransparent(true);
    TBitmap target(4, 4, TPixelFormat::pf24bit);
    target.Canvas().CopyRect(Rect(0, 0, 4, 4), *keyed, Rect(0, 0, 2, 2));
    EXPECT_EQ(target.GetPixel(3, 3), RGB(1, 2, 3));
}

// The bounding box of the pixels that are not white.
TRect Extent(const TBitmap& b) {
    TRect r{b.Width(), b.Height(), 0, 0};
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.GetPixel(x, y) != clWhite) r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1), std::max(r.Bottom, y + 1)};
    return r;
}

int Count(const TBitmap& b, TColor c) {
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) n += b.GetPixel(x, y) == c;
    return n;
}

TEST(CanvasShapes, GdiEdgeConventions) {
    const TColor blue = RGB(0, 0, 255), red = RGB(255, 0, 0);
    TBitmap b(12, 10, TPixelFormat::pf24bit);
    TBitmapCanvas& canvas = b.Canvas();
    canvas.Brush.Color = blue;
    canvas.Pen.Color = red;

    canvas.FillRect(Rect(2, 3, 7, 8));
    EXPECT_EQ(Extent(b), Rect(2, 3, 7, 8));
    EXPECT_EQ(Count(b, blue), 25);

    b.Canvas().Brush.Color = clWhite;
    canvas.FillRect(Rect(-5, -5, 50, 50));
    canvas.Brush.Color = blue;
    canvas.Rectangle(Rect(1, 2, 6, 8));
    EXPECT_EQ(Extent(b), Rect(1, 2, 6, 8));
    EXPECT_EQ(Count(b, blue), 3 * 4);     // interior
    EXPECT_EQ(Count(b, red), 5 * 6 - 12);  // outline, one pixel wide

    canvas.Brush.Color = clWhite;
    canvas.FillRect(Rect(0, 0, 12, 10));
    canvas.Brush.Color = blue;
    canvas.Ellipse(Rect(1, 1, 11, 8));
    EXPECT_EQ(Extent(b), Rect(1, 1, 11, 8));
    EXPECT_NE(b.GetPixel(1, 4), clWhite);    // touches the left edge in the middle row
    EXPECT_EQ(b.GetPixel(1, 1), clWhite);    // not the corners
    EXPECT_EQ(b.GetPixel(10, 7), clWhite);
    EXPECT_EQ(b.GetPixel(6, 4), blue);       // filled
    for (int y = 1; y < 8; ++y)              // symmetric
        for (int x = 1; x < 11; ++x) ASSERT_EQ(b.GetPixel(x, y), b.GetPixel(11 - x, y)) << x << "," << y;

    // A polygon without pen fills pixels whose centres lie inside: right and bottom excluded.
    canvas.Brush.Color = clWhite;
    canvas.FillRect(Rect(0, 0, 12, 10));
    canvas.Brush.Color = blue;
    canvas.Pen.Style = TPenStyle::psClear;
    const TPoint square[] = {{2, 2}, {7, 2}, {7, 6}, {2, 6}};
    canvas.Polygon(square);
    EXPECT_EQ(Extent(b), Rect(2, 2, 7, 6));
    EXPECT_EQ(Count(b, blue), 20);
    // With the pen, the outline passes through every vertex.
    canvas.Pen.Style = TPenStyle::psSolid;
    canvas.Polygon(square);
    EXPECT_EQ(Extent(b), Rect(2, 2, 8, 7));
    EXPECT_EQ(b.GetPixel(7, 6), red);
}

TEST(CanvasShapes, PolygonFillsByTheEvenOddRule) {
    TBitmap b(21, 21, TPixelFormat::pf24bit);
    b.Canvas().Brush.Color = clBlack;
    b.Canvas().Pen.Style = TPenStyle::psClear;
    // A five-pointed star drawn in one stroke: its centre is crossed twice, so it stays empty.
    const TPoint star[] = {{10, 0}, {16, 20}, {0, 7}, {20, 7}, {4, 20}};
    b.Canvas().Polygon(star);
    EXPECT_EQ(b.GetPixel(10, 11), clWhite);
    EXPECT_EQ(b.GetPixel(10, 3), clBlack);   // a point
    EXPECT_EQ(b.GetPixel(2, 7), clBlack);    // another point
}

TEST(CanvasShapes, LinesAndClipping) {
    TBitmap b(10, 10, TPixelFormat::pf24bit);
    TBitmapCanvas& canvas = b.Canvas();
    const TPoint line[] = {{1, 1}, {8, 1}, {8, 6}};
    canvas.Polyline(line);
    EXPECT_EQ(Extent(b), Rect(1, 1, 9, 6));  // the last point is not drawn
    EXPECT_EQ(Count(b, clBlack), 7 + 5);

    // A line far outside the bitmap is clipped without walking all of it; wide pens draw squares.
    canvas.Brush.Color = clWhite;
    canvas.FillRect(Rect(0, 0, 10, 10));
    canvas.Pen.Width = 3;
    const TPoint far[] = {{-2000000000, 5}, {2000000000, 5}};
    canvas.Polyline(far);
    EXPECT_EQ(Extent(b), Rect(0, 4, 10, 7));
    canvas.Brush.Color = clWhite;
    canvas.FillRect(Rect(0, 0, 10, 10));
    canvas.Pen.Width = 1;
    const TPoint diagonal[] = {{-2000000000, -2000000000}, {2000000000, 2000000000}};
    canvas.Polyline(diagonal);
    EXPECT_EQ(Count(b, clBlack), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(b.GetPixel(i, i), clBlack);
    // A thick segment has square ends: the square of the pen around both end points.
    canvas.Brush.Color = clWhite;
    canvas.FillRect(Rect(0, 0, 10, 10));
    canvas.Pen.Width = 3;
    const TPoint slanted[] = {{2, 2}, {6, 4}};
    canvas.Polyline(slanted);
    EXPECT_EQ(Extent(b), Rect(1, 1, 8, 6));
    EXPECT_EQ(b.GetPixel(1, 1), clBlack);
    EXPECT_EQ(b.GetPixel(7, 5), clBlack);
    EXPECT_EQ(b.GetPixel(7, 1), clWhite);
    // Pen widths and coordinates from untrusted metafiles cost only the pixels they reach.
    canvas.Pen.Width = INT32_MAX;
    canvas.Polyline(diagonal);
    EXPECT_EQ(Count(b, clBlack), 100);
    canvas.Brush.Color = clWhite;
    canvas.Rectangle(Rect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
    canvas.Ellipse(Rect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
    EXPECT_EQ(Count(b, clBlack), 100);
    canvas.FillRect(Rect(0, 0, 10, 10));
    canvas.Pen.Width = 1;

    // Shapes respect the clip rectangle and never reach outside the bitmap.
    canvas.Brush.Color = clWhite;
    canvas.FillRect(Rect(0, 0, 10, 10));
    canvas.SetClipRect(Rect(3, 3, 6, 6));
    canvas.Brush.Color = clBlack;
    canvas.Ellipse(Rect(-100, -100, 100, 100));
    canvas.Rectangle(Rect(-5, -5, 20, 20));
    const TPoint big[] = {{-50, -50}, {60, -50}, {60, 60}};
    canvas.Polygon(big);
    EXPECT_EQ(Extent(b), Rect(3, 3, 6, 6));
    canvas.CopyMode = TCopyMode::cmWhiteness;
    canvas.CopyRect(Rect(-2000000000, 4, 2000000000, 5), b, Rect(0, 0, 1, 1));
    EXPECT_EQ(Count(b, clBlack), 6);
    canvas.ResetClip();
    canvas.FillRect(Rect(-5, 8, 20, 20));
    EXPECT_EQ(Count(b, clBlack), 6 + 20);
}

// ImageMagick as the reference: a box filter at an integer ratio is the block average, and a
// triangle filter when enlarging is bilinear with the same centre alignment.
TEST(CanvasDrawBitmap, AgreesWithImageMagick) {
    ASSERT_TRUE(test::HaveTool("convert"));
    const std::string dir = test::TempDir();
    const auto source = Make24(40, 24, [](int x, int y) {
        return RGB(uint8_t(x * 6), uint8_t(y * 10), uint8_t((Pattern(x, y) & 0x3F) + 100));
    });
    source->SaveToFile(dir + "/in.bmp");
    struct Case {
        const char* filter;
        int width, height;
    };
    for (const Case& c : {Case{"box", 10, 6}, Case{"box", 20, 12}, Case{"box", 10, 12}, Case{"triangle", 100, 60},
                          Case{"triangle", 83, 41}}) {
        SCOPED_TRACE(std::string(c.filter) + " " + std::to_string(c.width) + "x" + std::to_string(c.height));
        const std::string out = dir + "/out.png";
        ASSERT_EQ(test::Run("convert '" + dir + "/in.bmp' -filter " + c.filter + " -resize " + std::to_string(c.width) + "x" +
                            std::to_string(c.height) + "! '" + out + "'"),
                  0);
        const auto expected = test::PillowDecode(out);
        ASSERT_TRUE(expected.has_value());
        TBitmap ours(c.width, c.height, TPixelFormat::pf24bit);
        ours.Canvas().DrawBitmap(Bounds(0, 0, c.width, c.height), *source);
        EXPECT_LE(test::MaxDifference(test::ToRgba(ours), *expected), 1);
    }
}

TEST(StretchAxis, WeightsSumToOneAndCoverTheSource) {
    for (const auto& [src, dst] : {std::pair{4000, 1000}, {3, 2}, {7, 3}, {1, 5}, {2, 9}, {1000, 999}, {5, 5}}) {
        const TResampleAxis axis(src, dst, 0, dst);
        for (int i = 0; i < axis.Count(); ++i) {
            int sum = 0;
            for (int k = 0; k < axis.Run(i).taps; ++k) sum += axis.Weights(i)[k];
            ASSERT_EQ(sum, TResampleAxis::kOne) << src << "->" << dst << " at " << i;
            ASSERT_GE(axis.Run(i).start, 0);
            ASSERT_LE(axis.Run(i).start + axis.Run(i).taps, src);
        }
    }
}

} // namespace
} // namespace vermaline
