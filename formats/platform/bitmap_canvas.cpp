// The canvas of a bitmap: stretched and composited bitmap drawing, raster operations and the
// GDI shape primitives (right and bottom edges excluded, as GDI draws them).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "formats/platform/bitmap.h"
#include "formats/platform/canvas.h"
#include "formats/platform/raster.h"
#include "formats/platform/stretch.h"

namespace vermaline {

namespace {

bool Is24(TPixelFormat format) { return format == TPixelFormat::pf24bit || format == TPixelFormat::pfDevice; }

// How source pixels, already scaled to the destination, meet the destination.
enum class TBlend : uint8_t {
    bCopy,                // opaque colour
    bStraightAlpha,       // blue, green, red, alpha; d = (s*a + d*(255-a) + 127) / 255
    bXor,
    bAnd,
    bOr,
    bNotCopy,
};

TBlend BlendOf(TCopyMode mode) {
    switch (mode) {
    case TCopyMode::cmSrcInvert: return TBlend::bXor;
    case TCopyMode::cmSrcAnd: return TBlend::bAnd;
    case TCopyMode::cmSrcPaint: return TBlend::bOr;
    case TCopyMode::cmNotSrcCopy: return TBlend::bNotCopy;
    default: return TBlend::bCopy;
    }
}

// The target's rows for the columns [x0, x1) as blue, green, red pixels of 3 bytes (4 for
// 32-bit targets). 24- and 32-bit rows are used in place; other formats are expanded into a
// scratch row and stored back, indexed ones by nearest palette colour.
class TTargetRows {
public:
    TTargetRows(TBitmap& target, int x0, int x1)
        : target_(target), x0_(x0), x1_(x1), store_(target) {
        const TPixelFormat format = target.PixelFormat();
        direct_ = Is24(format) || format == TPixelFormat::pf32bit;
        pixelSize_ = format == TPixelFormat::pf32bit ? 4 : 3;
        if (!direct_) {
            bgra_.resize(static_cast<size_t>(target.Width()) * 4);
            bgr_.resize(static_cast<size_t>(x1 - x0) * 3);
        }
    }
    int PixelSize() const { return pixelSize_; }
    bool Alpha() const { return target_.AlphaChannel(); }

    uint8_t* Begin(int y) {
        if (direct_) return target_.ScanLine(y) + static_cast<size_t>(x0_) * pixelSize_;
        target_.ReadRowBGRA(y, bgra_.data());
        for (int x = x0_; x < x1_; ++x) std::memcpy(&bgr_[static_cast<size_t>(x - x0_) * 3], &bgra_[static_cast<size_t>(x) * 4], 3);
        return bgr_.data();
    }
    void End(int y) {
        if (direct_) return;
        uint8_t* row = target_.ScanLine(y);
        for (int x = x0_; x < x1_; ++x) {
            const uint8_t* p = &bgr_[static_cast<size_t>(x - x0_) * 3];
            store_.Store(row, x, p[0], p[1], p[2]);
        }
    }

private:
    TBitmap& target_;
    int x0_, x1_;
    bool direct_ = true;
    int pixelSize_ = 3;
    std::vector<uint8_t> bgra_;
    std::vector<uint8_t> bgr_;
    TPixelStore store_;
};

inline uint8_t Over(unsigned s, unsigned a, unsigned d) { return static_cast<uint8_t>((s * a + d * (255 - a) + 127) / 255); }

// Combines n source pixels (srcSize bytes apart) into n destination pixels (dstSize bytes
// apart). The fourth byte of 32-bit destinations holds alpha only when the target has an alpha
// channel (then it is composited too); otherwise drawing writes 0 there. Raster operations
// leave it alone.
void Combine(uint8_t* d, int dstSize, const uint8_t* s, int srcSize, int n, TBlend blend, bool targetAlpha) {
    const uint8_t fourth = targetAlpha ? 255 : 0;
    switch (blend) {
    case TBlend::bCopy:
        if (dstSize == 3 && srcSize == 3) {
            std::memcpy(d, s, static_cast<size_t>(n) * 3);
            return;
        }
        for (int i = 0; i < n; ++i, d += dstSize, s += srcSize) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            if (dstSize == 4) d[3] = fourth;
        }
        return;
    case TBlend::bStraightAlpha:
        for (int i = 0; i < n; ++i, d += dstSize, s += srcSize) {
            const unsigned a = s[3];
            if (a == 0) continue;
            if (a == 255) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                if (dstSize == 4) d[3] = fourth;
                continue;
            }
            for (int c = 0; c < 3; ++c) d[c] = Over(s[c], a, d[c]);
            if (dstSize == 4) d[3] = targetAlpha ? Over(255, a, d[3]) : 0;
        }
        return;
    case TBlend::bXor:
        for (int i = 0; i < n; ++i, d += dstSize, s += srcSize)
            for (int c = 0; c < 3; ++c) d[c] ^= s[c];
        return;
    case TBlend::bAnd:
        for (int i = 0; i < n; ++i, d += dstSize, s += srcSize)
            for (int c = 0; c < 3; ++c) d[c] &= s[c];
        return;
    case TBlend::bOr:
        for (int i = 0; i < n; ++i, d += dstSize, s += srcSize)
            for (int c = 0; c < 3; ++c) d[c] |= s[c];
        return;
    case TBlend::bNotCopy:
        for (int i = 0; i < n; ++i, d += dstSize, s += srcSize)
            for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>(~s[c]);
        return;
    }
}

// Composites resampled premultiplied pixels (blue, green, red, alpha, each times 128) over n
// destination pixels: d = s + d * (1 - a), rounded.
void CompositePremultiplied(uint8_t* d, int dstSize, const uint16_t* s, int n, bool targetAlpha) {
    constexpr unsigned kFull = 255u << TResampler::kWideFractionBits;
    for (int i = 0; i < n; ++i, d += dstSize, s += 4) {
        const unsigned a = s[3];
        if (a == 0) continue;
        for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>(std::min(255u, (s[c] * 255u + d[c] * (kFull - a) + kFull / 2) / kFull));
        if (dstSize == 4) d[3] = targetAlpha ? Over(255, (a + 64) >> TResampler::kWideFractionBits, d[3]) : 0;
    }
}

// Whether rows of source can be copied byte for byte into target.
bool SameLayout(const TBitmap& source, const TBitmap& target) {
    const TPixelFormat s = source.PixelFormat(), t = target.PixelFormat();
    if (Is24(s) && Is24(t)) return true;
    if (s != t || source.BitsPerPixel() < 8) return false;
    if (t == TPixelFormat::pf32bit) return !target.AlphaChannel();
    if (IsIndexed(t)) {
        const auto a = source.PaletteEntries(), b = target.PaletteEntries();
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }
    return true;
}

// Draws srcRect of source scaled into dest, within drawable (a part of the target). With
// composite, alpha bitmaps are composited and key-colour bitmaps skip their key; otherwise the
// pixels meet the destination by blend.
void Blit(TBitmap& target, const TRect& drawable, TRect dest, const TBitmap& source, TRect srcRect, TBlend blend,
          bool composite) {
    // Rectangles wider than 2^31 - 1 (from far-flung coordinates) draw nothing, like empty ones.
    const auto usable = [](const TRect& r) {
        const int64_t w = int64_t(r.Right) - r.Left, h = int64_t(r.Bottom) - r.Top;
        return w > 0 && h > 0 && w <= INT32_MAX && h <= INT32_MAX;
    };
    if (!usable(dest) || !usable(srcRect)) return;
    if (&source == &target) {
        // Drawing a bitmap onto itself reads the pixels as they were before the call.
        TBitmap copy;
        copy.Assign(source);
        Blit(target, drawable, dest, copy, srcRect, blend, composite);
        return;
    }
    // A source rectangle reaching outside the source keeps its scale: the part inside is drawn
    // where it would have landed.
    const TRect inside = IntersectRect(srcRect, Rect(0, 0, source.Width(), source.Height()));
    if (inside.IsEmpty()) return;
    if (inside != srcRect) {
        const auto map = [](int64_t v, int64_t from, int64_t fromSize, int64_t to, int64_t toSize) {
            return static_cast<int32_t>(to + (v - from) * toSize / fromSize);
        };
        const TRect scaled{map(inside.Left, srcRect.Left, srcRect.Width(), dest.Left, dest.Width()),
                           map(inside.Top, srcRect.Top, srcRect.Height(), dest.Top, dest.Height()),
                           map(inside.Right, srcRect.Left, srcRect.Width(), dest.Left, dest.Width()),
                           map(inside.Bottom, srcRect.Top, srcRect.Height(), dest.Top, dest.Height())};
        dest = scaled;
        srcRect = inside;
        if (dest.IsEmpty()) return;
    }
    const TRect visible = IntersectRect(dest, drawable);
    if (visible.IsEmpty()) return;

    const int sw = srcRect.Width(), sh = srcRect.Height();
    const int dw = dest.Width(), dh = dest.Height();
    const bool oneToOne = sw == dw && sh == dh;
    const bool alpha = composite && source.AlphaChannel();
    const bool key = composite && source.Transparent();
    const TColor keyColor = key ? ColorToRGB(source.TransparentColor()) : clNone;
    const int visibleWidth = visible.Width();

    if (oneToOne && blend == TBlend::bCopy && !alpha && !key && SameLayout(source, target)) {
        const size_t bytes = static_cast<size_t>(source.BitsPerPixel() / 8);
        for (int y = visible.Top; y < visible.Bottom; ++y) {
            const uint8_t* from = source.ScanLine(srcRect.Top + y - dest.Top) + bytes * static_cast<size_t>(srcRect.Left + visible.Left - dest.Left);
            std::memcpy(target.ScanLine(y) + bytes * static_cast<size_t>(visible.Left), from, bytes * static_cast<size_t>(visibleWidth));
        }
        return;
    }

    // Source rows from srcRect.Left on: scan lines in place for 24- and 32-bit opaque sources,
    // otherwise converted to blue, green, red, alpha (alpha 0 on key-colour pixels, colour
    // premultiplied when the pixels are resampled).
    const bool withAlpha = alpha || key;
    const TPixelFormat format = source.PixelFormat();
    const bool inPlace = !withAlpha && (Is24(format) || format == TPixelFormat::pf32bit);
    const int srcStride = inPlace && Is24(format) ? 3 : 4;
    const int channels = withAlpha ? 4 : 3;
    std::vector<uint8_t> converted(inPlace ? 0 : static_cast<size_t>(source.Width()) * 4);
    const auto sourceRow = [&](int y) -> const uint8_t* {
        if (inPlace) return source.ScanLine(srcRect.Top + y) + static_cast<size_t>(srcRect.Left) * srcStride;
        source.ReadRowBGRA(srcRect.Top + y, converted.data());
        uint8_t* row = converted.data() + static_cast<size_t>(srcRect.Left) * 4;
        if (withAlpha) {
            for (uint8_t* p = row; p < row + static_cast<size_t>(sw) * 4; p += 4) {
                if (key && RGB(p[2], p[1], p[0]) == keyColor) p[3] = 0;
                if (!oneToOne && p[3] != 255)
                    for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>((p[c] * p[3] + 127) / 255);
            }
        }
        return row;
    };

    TTargetRows rows(target, visible.Left, visible.Right);
    const int dstSize = rows.PixelSize();
    const bool targetAlpha = rows.Alpha();

    if (oneToOne) {
        const TBlend rowBlend = withAlpha ? TBlend::bStraightAlpha : blend;
        const size_t skip = static_cast<size_t>(visible.Left - dest.Left) * srcStride;
        for (int y = visible.Top; y < visible.Bottom; ++y) {
            const uint8_t* s = sourceRow(y - dest.Top) + skip;
            Combine(rows.Begin(y), dstSize, s, srcStride, visibleWidth, rowBlend, targetAlpha);
            rows.End(y);
        }
        return;
    }

    const TRect window{visible.Left - dest.Left, visible.Top - dest.Top, visible.Right - dest.Left,
                       visible.Bottom - dest.Top};
    TResampler resampler(sw, sh, dw, dh, window, srcStride, channels);

    if (key && !alpha) {
        // Key-colour transparency is not blended when scaling: a destination pixel is left alone
        // when the source pixel nearest to its centre has the key colour, and otherwise takes the
        // average of the non-key pixels around it, so the key never bleeds into the edges.
        std::vector<int> nearestX(static_cast<size_t>(visibleWidth));
        for (int i = 0; i < visibleWidth; ++i) nearestX[static_cast<size_t>(i)] = NearestSource(sw, dw, window.Left + i);
        std::vector<uint8_t> nearestRow(static_cast<size_t>(source.Width()) * 4);
        std::vector<uint8_t> straight(static_cast<size_t>(visibleWidth) * 4);
        resampler.RunWide(sourceRow, [&](int y, const uint16_t* row) {
            source.ReadRowBGRA(srcRect.Top + NearestSource(sh, dh, y), nearestRow.data());
            for (int i = 0; i < visibleWidth; ++i) {
                const uint8_t* n = &nearestRow[static_cast<size_t>(srcRect.Left + nearestX[static_cast<size_t>(i)]) * 4];
                const uint16_t* p = row + static_cast<size_t>(i) * 4;
                uint8_t* o = &straight[static_cast<size_t>(i) * 4];
                if (RGB(n[2], n[1], n[0]) == keyColor) {
                    o[3] = 0;
                    continue;
                }
                o[3] = 255;
                for (int c = 0; c < 3; ++c)
                    o[c] = p[3] == 0 ? n[c] : static_cast<uint8_t>(std::min(255u, (p[c] * 255u + p[3] / 2u) / p[3]));
            }
            const int ty = dest.Top + y;
            Combine(rows.Begin(ty), dstSize, straight.data(), 4, visibleWidth, TBlend::bStraightAlpha, targetAlpha);
            rows.End(ty);
        });
        return;
    }

    if (alpha) {
        resampler.RunWide(sourceRow, [&](int y, const uint16_t* row) {
            const int ty = dest.Top + y;
            CompositePremultiplied(rows.Begin(ty), dstSize, row, visibleWidth, targetAlpha);
            rows.End(ty);
        });
        return;
    }
    resampler.Run(sourceRow, [&](int y, const uint8_t* row) {
        const int ty = dest.Top + y;
        Combine(rows.Begin(ty), dstSize, row, channels, visibleWidth, blend, targetAlpha);
        rows.End(ty);
    });
}

TRect Drawable(const TBitmap& target, const TCanvas& canvas) {
    const TRect bounds = Rect(0, 0, target.Width(), target.Height());
    return canvas.HasClip() ? IntersectRect(bounds, canvas.ClipRect()) : bounds;
}

int PenWidth(const TPen& pen) { return std::max(1, pen.Width); }

} // namespace

void TBitmapCanvas::DrawBitmap(const TRect& dest, const TBitmap& source) {
    if (source.Empty()) return;
    Blit(target_, Drawable(target_, *this), dest, source, Rect(0, 0, source.Width(), source.Height()), TBlend::bCopy, true);
}

void TBitmapCanvas::CopyRect(const TRect& dest, const TBitmap& source, const TRect& srcRect) {
    if (CopyMode == TCopyMode::cmBlackness || CopyMode == TCopyMode::cmWhiteness) {
        TSolidFill fill(target_, Drawable(target_, *this), CopyMode == TCopyMode::cmBlackness ? clBlack : clWhite);
        const TRect area = IntersectRect(dest, fill.Clip());
        for (int y = area.Top; y < area.Bottom; ++y) fill.Span(y, area.Left, area.Right);
        return;
    }
    if (source.Empty()) return;
    Blit(target_, Drawable(target_, *this), dest, source, srcRect, BlendOf(CopyMode), false);
}

void TBitmapCanvas::FillRect(const TRect& rect) {
    if (Brush.Style == TBrushStyle::bsClear) return;
    TSolidFill fill(target_, Drawable(target_, *this), Brush.Color);
    const TRect area = IntersectRect(rect, fill.Clip());
    for (int y = area.Top; y < area.Bottom; ++y) fill.Span(y, area.Left, area.Right);
}

void TBitmapCanvas::Rectangle(const TRect& rect) {
    if (rect.IsEmpty()) return;
    const TRect drawable = Drawable(target_, *this);
    TRect interior = rect;
    if (Pen.Style != TPenStyle::psClear) {
        // The outline lies inside the rectangle, Pen.Width pixels thick.
        const int64_t w = PenWidth(Pen);
        TSolidFill pen(target_, drawable, Pen.Color);
        const TRect area = IntersectRect(rect, drawable);
        for (int y = area.Top; y < area.Bottom; ++y) {
            if (y < rect.Top + w || y >= rect.Bottom - w) {
                pen.Span(y, rect.Left, rect.Right);
            } else {
                pen.Span(y, rect.Left, rect.Left + w);
                pen.Span(y, rect.Right - w, rect.Right);
            }
        }
        interior = TRect{static_cast<int32_t>(std::min<int64_t>(rect.Left + w, rect.Right)),
                         static_cast<int32_t>(std::min<int64_t>(rect.Top + w, rect.Bottom)),
                         static_cast<int32_t>(std::max<int64_t>(rect.Right - w, rect.Left)),
                         static_cast<int32_t>(std::max<int64_t>(rect.Bottom - w, rect.Top))};
    }
    if (Brush.Style == TBrushStyle::bsClear || interior.IsEmpty()) return;
    TSolidFill brush(target_, drawable, Brush.Color);
    const TRect area = IntersectRect(interior, drawable);
    for (int y = area.Top; y < area.Bottom; ++y) brush.Span(y, area.Left, area.Right);
}

void TBitmapCanvas::Ellipse(const TRect& rect) {
    if (rect.IsEmpty()) return;
    const TRect drawable = Drawable(target_, *this);
    const bool withPen = Pen.Style != TPenStyle::psClear;
    const bool withBrush = Brush.Style != TBrushStyle::bsClear;
    const int64_t w = withPen ? PenWidth(Pen) : 0;
    // The outline is the ring between the ellipse and the one inscribed Pen.Width pixels inside.
    TRect inner{};
    if (withPen && int64_t(rect.Right) - rect.Left > 2 * w && int64_t(rect.Bottom) - rect.Top > 2 * w)
        inner = TRect{static_cast<int32_t>(rect.Left + w), static_cast<int32_t>(rect.Top + w),
                      static_cast<int32_t>(rect.Right - w), static_cast<int32_t>(rect.Bottom - w)};
    TSolidFill pen(target_, drawable, Pen.Color);
    TSolidFill brush(target_, drawable, Brush.Color);
    const int top = std::max(rect.Top, drawable.Top), bottom = std::min(rect.Bottom, drawable.Bottom);
    for (int y = top; y < bottom; ++y) {
        int64_t x0, x1;
        if (!EllipseRow(rect, y, x0, x1)) continue;
        if (!withPen) {
            if (withBrush) brush.Span(y, x0, x1);
            continue;
        }
        int64_t i0, i1;
        if (inner.IsEmpty() || !EllipseRow(inner, y, i0, i1)) {
            pen.Span(y, x0, x1);
            continue;
        }
        pen.Span(y, x0, i0);
        pen.Span(y, i1, x1);
        if (withBrush) brush.Span(y, i0, i1);
    }
}

void TBitmapCanvas::Polygon(std::span<const TPoint> points) {
    if (points.empty()) return;
    const TRect drawable = Drawable(target_, *this);
    if (Brush.Style != TBrushStyle::bsClear && points.size() >= 3) {
        const auto [lo, hi] = std::minmax_element(points.begin(), points.end(),
                                                  [](const TPoint& a, const TPoint& b) { return a.Y < b.Y; });
        TSolidFill brush(target_, drawable, Brush.Color);
        PolygonSpans(points, std::max(lo->Y, drawable.Top), std::min(hi->Y, drawable.Bottom),
                     [&](int y, int64_t x0, int64_t x1) { brush.Span(y, x0, x1); });
    }
    Polyline(points);
    if (points.size() >= 2) {
        const TPoint closing[2] = {points.back(), points.front()};
        Polyline(closing);
    }
}

void TBitmapCanvas::Polyline(std::span<const TPoint> points) {
    if (Pen.Style == TPenStyle::psClear || points.size() < 2) return;
    const TRect drawable = Drawable(target_, *this);
    TSolidFill pen(target_, drawable, Pen.Color);
    const int w = PenWidth(Pen);
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        if (w == 1)
            LinePixels(points[i], points[i + 1], drawable, [&](int64_t x, int64_t y) { pen.Span(y, x, x + 1); });
        else
            ThickLineSpans(points[i], points[i + 1], w, drawable.Top, drawable.Bottom,
                           [&](int y, int64_t x0, int64_t x1) { pen.Span(y, x0, x1); });
    }
}

} // namespace vermaline
