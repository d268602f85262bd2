#include "formats/platform/metafile_player.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "formats/platform/bitmap.h"

namespace vermaline {

namespace {

constexpr size_t kMaxSavedStates = 4096;
constexpr int kEllipseVertices = 64;

TColor FromColorRef(uint32_t colorRef) { return colorRef & 0xFFFFFF; }

bool AxisAligned(const TXForm& x) { return x.M12 == 0 && x.M21 == 0; }

bool KnownBitmapRop(uint32_t rop) {
    return rop == kRopSrcCopy || rop == kRopSrcPaint || rop == kRopSrcAnd || rop == kRopSrcInvert ||
           rop == kRopNotSrcCopy;
}

} // namespace

bool TXForm::Finite() const {
    return std::isfinite(M11) && std::isfinite(M12) && std::isfinite(M21) && std::isfinite(M22) &&
           std::isfinite(Dx) && std::isfinite(Dy);
}

TXForm Compose(const TXForm& a, const TXForm& b) {
    return TXForm{a.M11 * b.M11 + a.M12 * b.M21,        a.M11 * b.M12 + a.M12 * b.M22,
                  a.M21 * b.M11 + a.M22 * b.M21,        a.M21 * b.M12 + a.M22 * b.M22,
                  a.Dx * b.M11 + a.Dy * b.M21 + b.Dx,   a.Dx * b.M12 + a.Dy * b.M22 + b.Dy};
}

TGdiObject MakePenObject(uint32_t style, double width, uint32_t colorRef) {
    TGdiObject object;
    object.Kind = TGdiObjectKind::okPen;
    object.Pen.Null = (style & 0x0F) == 5;  // PS_NULL
    object.Pen.Width = std::abs(width);
    object.Pen.Color = FromColorRef(colorRef);
    return object;
}

TGdiObject MakeBrushObject(uint32_t style, uint32_t colorRef) {
    TGdiObject object;
    object.Kind = TGdiObjectKind::okBrush;
    // BS_SOLID 0 and BS_HATCHED 2 carry a colour; BS_NULL 1 and the pattern brushes none.
    object.Brush.Color = FromColorRef(colorRef);
    object.Brush.Style = (style == 0 || style == 2) ? TBrushStyle::bsSolid : TBrushStyle::bsClear;
    return object;
}

TGdiObject StockObject(uint32_t index) {
    static constexpr uint8_t kBrushGreys[] = {0xFF, 0xC0, 0x80, 0x40, 0x00};
    if (index <= 4) return MakeBrushObject(0, RGB(kBrushGreys[index], kBrushGreys[index], kBrushGreys[index]));
    switch (index) {
    case 5: return MakeBrushObject(1, 0);
    case 6: return MakePenObject(0, 0, clWhite);
    case 7: return MakePenObject(0, 0, clBlack);
    case 8: return MakePenObject(5, 0, 0);
    default: return TGdiObject{};
    }
}

TMetafilePlayer::TMetafilePlayer(const TXForm& deviceToFrame, double devicePixelsPerMM, int mapMode)
    : deviceToFrame_(deviceToFrame), devicePixelsPerMM_(devicePixelsPerMM) {
    state_.MapMode = mapMode;
    state_.Brush = TBrush{clWhite, TBrushStyle::bsSolid};
}

void TMetafilePlayer::SetMapMode(int mode) {
    if (mode >= kMapModeText && mode <= kMapModeAnisotropic) state_.MapMode = mode;
}

void TMetafilePlayer::SetWindowExt(double x, double y) {
    if (x != 0 && y != 0) state_.WindowExt = {x, y};
}

void TMetafilePlayer::SetViewportExt(double x, double y) {
    if (x != 0 && y != 0) state_.ViewportExt = {x, y};
}

void TMetafilePlayer::OffsetWindowOrg(double dx, double dy) {
    state_.WindowOrg = {state_.WindowOrg.X + dx, state_.WindowOrg.Y + dy};
}

void TMetafilePlayer::OffsetViewportOrg(double dx, double dy) {
    state_.ViewportOrg = {state_.ViewportOrg.X + dx, state_.ViewportOrg.Y + dy};
}

void TMetafilePlayer::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom != 0 && yDenom != 0)
        SetWindowExt(state_.WindowExt.X * xNum / xDenom, state_.WindowExt.Y * yNum / yDenom);
}

void TMetafilePlayer::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom != 0 && yDenom != 0)
        SetViewportExt(state_.ViewportExt.X * xNum / xDenom, state_.ViewportExt.Y * yNum / yDenom);
}

void TMetafilePlayer::SetWorldTransform(const TXForm& xform) {
    if (xform.Finite()) state_.World = xform;
}

void TMetafilePlayer::ModifyWorldTransform(const TXForm& xform, uint32_t mode) {
    TXForm result;
    switch (mode) {
    case 1: break;
    case 2: result = Compose(xform, state_.World); break;
    case 3: result = Compose(state_.World, xform); break;
    case 4: result = xform; break;
    default: return;
    }
    if (result.Finite()) state_.World = result;
}

void TMetafilePlayer::SaveDC() {
    if (saved_.size() < kMaxSavedStates) saved_.push_back(state_);
}

void TMetafilePlayer::RestoreDC(int relative) {
    const int64_t depth = static_cast<int64_t>(saved_.size());
    const int64_t target = relative < 0 ? depth + relative : int64_t(relative) - 1;
    if (relative == 0 || target < 0 || target >= depth) return;
    state_ = saved_[static_cast<size_t>(target)];
    saved_.resize(static_cast<size_t>(target));
}

void TMetafilePlayer::Select(const TGdiObject& object) {
    if (object.Kind == TGdiObjectKind::okPen) state_.Pen = object.Pen;
    if (object.Kind == TGdiObjectKind::okBrush) state_.Brush = object.Brush;
}

TXForm TMetafilePlayer::LogicalToFrame() const {
    const TState& s = state_;
    double sx = 1, sy = 1;
    const double mm = devicePixelsPerMM_;
    switch (s.MapMode) {
    case kMapModeLoMetric: sx = 0.1 * mm; sy = -sx; break;
    case kMapModeHiMetric: sx = 0.01 * mm; sy = -sx; break;
    case kMapModeLoEnglish: sx = 0.254 * mm; sy = -sx; break;
    case kMapModeHiEnglish: sx = 0.0254 * mm; sy = -sx; break;
    case kMapModeTwips: sx = 25.4 / 1440 * mm; sy = -sx; break;
    case kMapModeIsotropic:
    case kMapModeAnisotropic:
        sx = s.ViewportExt.X / s.WindowExt.X;
        sy = s.ViewportExt.Y / s.WindowExt.Y;
        if (s.MapMode == kMapModeIsotropic) {
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
        break;
    default: break;
    }
    const TXForm page{sx, 0, 0, sy, s.ViewportOrg.X - s.WindowOrg.X * sx, s.ViewportOrg.Y - s.WindowOrg.Y * sy};
    return Compose(Compose(s.World, page), deviceToFrame_);
}

TPen TMetafilePlayer::FramePen(const TXForm& map) const {
    TPen pen;
    pen.Color = state_.Pen.Color;
    pen.Style = state_.Pen.Null ? TPenStyle::psClear : TPenStyle::psSolid;
    const double scale = std::sqrt(std::abs(map.M11 * map.M22 - map.M12 * map.M21));
    const double width = state_.Pen.Width * scale;
    pen.Width = std::isfinite(width) ? static_cast<int>(std::clamp(std::lround(std::min(width, 1e6)), 1L, 1000000L)) : 1;
    return pen;
}

std::vector<TPointF> TMetafilePlayer::Map(std::span<const TPointF> points, const TXForm& map) const {
    std::vector<TPointF> out;
    out.reserve(points.size());
    for (const TPointF& p : points) out.push_back(map.Apply(p));
    return out;
}

void TMetafilePlayer::Add(TMetafileOpKind kind, std::vector<TPointF> points, bool withPen, bool withBrush) {
    TMetafileOp op;
    op.Kind = kind;
    op.Pen = FramePen(LogicalToFrame());
    if (!withPen) op.Pen.Style = TPenStyle::psClear;
    op.Brush = state_.Brush;
    if (!withBrush) op.Brush.Style = TBrushStyle::bsClear;
    op.Points = std::move(points);
    ops_.push_back(std::move(op));
}

void TMetafilePlayer::Rectangle(TPointF a, TPointF b) {
    const TXForm map = LogicalToFrame();
    if (!AxisAligned(map)) {
        const TPointF corners[4] = {a, {b.X, a.Y}, b, {a.X, b.Y}};
        Polygon(corners);
        return;
    }
    const TPointF p = map.Apply(a), q = map.Apply(b);
    Add(TMetafileOpKind::mkRectangle, {{std::min(p.X, q.X), std::min(p.Y, q.Y)}, {std::max(p.X, q.X), std::max(p.Y, q.Y)}},
        true, true);
}

void TMetafilePlayer::Ellipse(TPointF a, TPointF b) {
    const TXForm map = LogicalToFrame();
    if (!AxisAligned(map)) {
        std::vector<TPointF> outline;
        const double cx = (a.X + b.X) / 2, cy = (a.Y + b.Y) / 2, rx = (b.X - a.X) / 2, ry = (b.Y - a.Y) / 2;
        for (int i = 0; i < kEllipseVertices; ++i) {
            const double t = 2 * std::numbers::pi * i / kEllipseVertices;
            outline.push_back({cx + rx * std::cos(t), cy + ry * std::sin(t)});
        }
        Polygon(outline);
        return;
    }
    const TPointF p = map.Apply(a), q = map.Apply(b);
    Add(TMetafileOpKind::mkEllipse, {{std::min(p.X, q.X), std::min(p.Y, q.Y)}, {std::max(p.X, q.X), std::max(p.Y, q.Y)}},
        true, true);
}

void TMetafilePlayer::Polygon(std::span<const TPointF> points) {
    if (points.size() < 2) return;
    Add(TMetafileOpKind::mkPolygon, Map(points, LogicalToFrame()), true, true);
}

void TMetafilePlayer::PolyPolygon(std::span<const TPointF> points, std::span<const uint32_t> counts) {
    Add(TMetafileOpKind::mkPolyPolygon, Map(points, LogicalToFrame()), true, true);
    ops_.back().Counts.assign(counts.begin(), counts.end());
}

void TMetafilePlayer::Polyline(std::span<const TPointF> points) {
    if (points.size() < 2) return;
    Add(TMetafileOpKind::mkPolyline, Map(points, LogicalToFrame()), true, false);
}

void TMetafilePlayer::LineTo(TPointF p) {
    const TPointF line[2] = {state_.Position, p};
    Polyline(line);
    state_.Position = p;
}

void TMetafilePlayer::PolylineTo(std::span<const TPointF> points) {
    if (points.empty()) return;
    std::vector<TPointF> line;
    line.reserve(points.size() + 1);
    line.push_back(state_.Position);
    line.insert(line.end(), points.begin(), points.end());
    Polyline(line);
    state_.Position = points.back();
}

void TMetafilePlayer::PatBlt(TPointF origin, TPointF size, uint32_t rop) {
    TBrush brush = state_.Brush;
    if (rop == kRopBlackness || rop == kRopWhiteness)
        brush = TBrush{rop == kRopBlackness ? clBlack : clWhite, TBrushStyle::bsSolid};
    else if (rop != kRopPatCopy)
        return;
    if (brush.Style == TBrushStyle::bsClear) return;
    const TXForm map = LogicalToFrame();
    const TPointF p = map.Apply(origin), q = map.Apply({origin.X + size.X, origin.Y + size.Y});
    TMetafileOp op;
    op.Kind = TMetafileOpKind::mkFillRect;
    op.Brush = brush;
    op.Points = {{std::min(p.X, q.X), std::min(p.Y, q.Y)}, {std::max(p.X, q.X), std::max(p.Y, q.Y)}};
    ops_.push_back(std::move(op));
}

void TMetafilePlayer::Bitmap(TPointF origin, TPointF size, const TDecodedDIB& dib, int64_t xSrc, int64_t ySrc,
                             int64_t cxSrc, int64_t cySrc, bool sourceFromBottom, uint32_t rop) {
    if (!KnownBitmapRop(rop) || !dib.Bitmap || dib.Bitmap->Empty() || cxSrc == 0 || cySrc == 0) return;
    // Normalise the source to positive sizes; a negative source size mirrors like a negative
    // destination size does.
    if (cxSrc < 0) {
        xSrc += cxSrc;
        cxSrc = -cxSrc;
        origin.X += size.X;
        size.X = -size.X;
    }
    if (cySrc < 0) {
        ySrc += cySrc;
        cySrc = -cySrc;
        origin.Y += size.Y;
        size.Y = -size.Y;
    }
    const int64_t width = dib.Bitmap->Width(), height = dib.Bitmap->Height();
    if (sourceFromBottom && dib.BottomUp) ySrc = height - ySrc - cySrc;
    // Keep the part of the source inside the bitmap, and the matching part of the destination.
    const int64_t x0 = std::max<int64_t>(xSrc, 0), x1 = std::min<int64_t>(xSrc + cxSrc, width);
    const int64_t y0 = std::max<int64_t>(ySrc, 0), y1 = std::min<int64_t>(ySrc + cySrc, height);
    if (x1 <= x0 || y1 <= y0) return;
    const double fx = size.X / double(cxSrc), fy = size.Y / double(cySrc);
    const TPointF a{origin.X + double(x0 - xSrc) * fx, origin.Y + double(y0 - ySrc) * fy};
    const TPointF b{origin.X + double(x1 - xSrc) * fx, origin.Y + double(y1 - ySrc) * fy};
    const TXForm map = LogicalToFrame();
    const TPointF p = map.Apply(a), q = map.Apply(b);
    if (p.X == q.X || p.Y == q.Y) return;
    TMetafileOp op;
    op.Kind = TMetafileOpKind::mkBitmap;
    op.RasterOp = rop;
    op.Points = {{std::min(p.X, q.X), std::min(p.Y, q.Y)}, {std::max(p.X, q.X), std::max(p.Y, q.Y)}};
    const TRect source = Rect(static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1),
                              static_cast<int32_t>(y1));
    op.Bitmap = CropBitmap(dib.Bitmap, source, q.X < p.X, q.Y < p.Y);
    ops_.push_back(std::move(op));
}

} // namespace vermaline
