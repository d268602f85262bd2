#include "formats/platform/metafile_canvas.h"

#include "formats/platform/bitmap.h"
#include "formats/platform/metafile.h"
#include "formats/platform/metafile_dib.h"

namespace vermaline {

namespace {

std::vector<TPointF> Corners(const TRect& r) {
    return {{double(r.Left), double(r.Top)}, {double(r.Right), double(r.Bottom)}};
}

std::vector<TPointF> Vertices(std::span<const TPoint> points) {
    std::vector<TPointF> out;
    out.reserve(points.size());
    for (const TPoint& p : points) out.push_back({double(p.X), double(p.Y)});
    return out;
}

uint32_t RopOf(TCopyMode mode) {
    switch (mode) {
    case TCopyMode::cmSrcInvert: return kRopSrcInvert;
    case TCopyMode::cmSrcAnd: return kRopSrcAnd;
    case TCopyMode::cmSrcPaint: return kRopSrcPaint;
    case TCopyMode::cmNotSrcCopy: return kRopNotSrcCopy;
    case TCopyMode::cmBlackness: return kRopBlackness;
    case TCopyMode::cmWhiteness: return kRopWhiteness;
    default: return kRopSrcCopy;
    }
}

} // namespace

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile) : metafile_(metafile) {}

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile, const std::string& creator, const std::string& description)
    : metafile_(metafile) {
    content_.HasDescription = true;
    content_.CreatedBy = creator;
    content_.Description = description;
}

TMetafileCanvas::~TMetafileCanvas() { metafile_.SetRecording(std::move(content_)); }

TPen TMetafileCanvas::CurrentPen() const {
    TPen pen = Pen;
    pen.Color = ColorToRGB(pen.Color) & 0xFFFFFF;
    return pen;
}

TBrush TMetafileCanvas::CurrentBrush() const {
    TBrush brush = Brush;
    brush.Color = ColorToRGB(brush.Color) & 0xFFFFFF;
    return brush;
}

void TMetafileCanvas::DrawBitmap(const TRect& dest, const TBitmap& source) {
    if (dest.IsEmpty() || source.Empty()) return;
    auto copy = std::make_shared<TBitmap>();
    copy->Assign(source);
    TMetafileOp op;
    op.Kind = TMetafileOpKind::mkBitmap;
    op.Points = Corners(dest);
    op.Bitmap = std::move(copy);
    content_.Ops.push_back(std::move(op));
}

void TMetafileCanvas::CopyRect(const TRect& dest, const TBitmap& source, const TRect& srcRect) {
    if (dest.IsEmpty()) return;
    if (CopyMode == TCopyMode::cmBlackness || CopyMode == TCopyMode::cmWhiteness) {
        TMetafileOp op;
        op.Kind = TMetafileOpKind::mkFillRect;
        op.Brush = TBrush{CopyMode == TCopyMode::cmBlackness ? clBlack : clWhite, TBrushStyle::bsSolid};
        op.Points = Corners(dest);
        content_.Ops.push_back(std::move(op));
        return;
    }
    const TRect part = IntersectRect(srcRect, Rect(0, 0, source.Width(), source.Height()));
    if (part.IsEmpty() || part != srcRect) return;
    auto whole = std::make_shared<TBitmap>();
    whole->Assign(source);
    TMetafileOp op;
    op.Kind = TMetafileOpKind::mkBitmap;
    op.Points = Corners(dest);
    op.Bitmap = CropBitmap(whole, part, false, false);
    op.RasterOp = RopOf(CopyMode);
    content_.Ops.push_back(std::move(op));
}

void TMetafileCanvas::FillRect(const TRect& rect) {
    if (rect.IsEmpty() || Brush.Style == TBrushStyle::bsClear) return;
    TMetafileOp op;
    op.Kind = TMetafileOpKind::mkFillRect;
    op.Brush = CurrentBrush();
    op.Points = Corners(rect);
    content_.Ops.push_back(std::move(op));
}

void TMetafileCanvas::AddShape(TMetafileOpKind kind, std::vector<TPointF> points) {
    TMetafileOp op;
    op.Kind = kind;
    op.Pen = CurrentPen();
    op.Brush = CurrentBrush();
    op.Points = std::move(points);
    content_.Ops.push_back(std::move(op));
}

void TMetafileCanvas::Rectangle(const TRect& rect) {
    if (!rect.IsEmpty()) AddShape(TMetafileOpKind::mkRectangle, Corners(rect));
}

void TMetafileCanvas::Ellipse(const TRect& rect) {
    if (!rect.IsEmpty()) AddShape(TMetafileOpKind::mkEllipse, Corners(rect));
}

void TMetafileCanvas::Polygon(std::span<const TPoint> points) {
    if (points.size() >= 2) AddShape(TMetafileOpKind::mkPolygon, Vertices(points));
}

void TMetafileCanvas::Polyline(std::span<const TPoint> points) {
    if (points.size() >= 2) AddShape(TMetafileOpKind::mkPolyline, Vertices(points));
}

} // namespace vermaline
