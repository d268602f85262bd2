#include "formats/platform/metafile.h"

#include <algorithm>
#include <cmath>

#include "formats/platform/bitmap.h"
#include "formats/platform/canvas.h"
#include "formats/platform/emf_format.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/metafile_bytes.h"
#include "formats/platform/picture.h"
#include "formats/platform/stream.h"
#include "formats/platform/wmf_format.h"

namespace vermaline {

namespace {

TCopyMode CopyModeOf(uint32_t rop) {
    switch (rop) {
    case kRopSrcPaint: return TCopyMode::cmSrcPaint;
    case kRopSrcAnd: return TCopyMode::cmSrcAnd;
    case kRopSrcInvert: return TCopyMode::cmSrcInvert;
    case kRopNotSrcCopy: return TCopyMode::cmNotSrcCopy;
    default: return TCopyMode::cmSrcCopy;
    }
}

// Puts the canvas's drawing state back however the playback ends.
class TCanvasStateGuard {
public:
    explicit TCanvasStateGuard(TCanvas& canvas)
        : canvas_(canvas), pen_(canvas.Pen), brush_(canvas.Brush), copyMode_(canvas.CopyMode),
          hadClip_(canvas.HasClip()), clip_(canvas.ClipRect()) {}
    ~TCanvasStateGuard() {
        canvas_.Pen = pen_;
        canvas_.Brush = brush_;
        canvas_.CopyMode = copyMode_;
        if (hadClip_) canvas_.SetClipRect(clip_);
        else canvas_.ResetClip();
    }
    TCanvasStateGuard(const TCanvasStateGuard&) = delete;
    TCanvasStateGuard& operator=(const TCanvasStateGuard&) = delete;

private:
    TCanvas& canvas_;
    TPen pen_;
    TBrush brush_;
    TCopyMode copyMode_;
    bool hadClip_;
    TRect clip_;
};

class TOpRenderer {
public:
    TOpRenderer(TCanvas& canvas, const TRect& rect, int width, int height)
        : canvas_(canvas), rect_(rect), sx_(double(rect.Width()) / width), sy_(double(rect.Height()) / height) {}

    void Render(const TMetafileOp& op) {
        canvas_.Pen = op.Pen;
        canvas_.Pen.Width = static_cast<int>(
            std::clamp(std::lround(op.Pen.Width * std::sqrt(sx_ * sy_)), 1L, 1000000L));
        canvas_.Brush = op.Brush;
        canvas_.CopyMode = TCopyMode::cmSrcCopy;
        switch (op.Kind) {
        case TMetafileOpKind::mkFillRect: canvas_.FillRect(Box(op)); break;
        case TMetafileOpKind::mkRectangle: canvas_.Rectangle(Box(op)); break;
        case TMetafileOpKind::mkEllipse: canvas_.Ellipse(Box(op)); break;
        case TMetafileOpKind::mkPolygon: canvas_.Polygon(Points(op.Points)); break;
        case TMetafileOpKind::mkPolyline: canvas_.Polyline(Points(op.Points)); break;
        case TMetafileOpKind::mkPolyPolygon: PolyPolygon(op); break;
        case TMetafileOpKind::mkBitmap: Bitmap(op); break;
        }
    }

private:
    TPoint Map(const TPointF& p) const { return {RoundCoordinate(rect_.Left + p.X * sx_), RoundCoordinate(rect_.Top + p.Y * sy_)}; }

    TRect Box(const TMetafileOp& op) const {
        if (op.Points.size() < 2) return {};
        const TPoint a = Map(op.Points[0]), b = Map(op.Points[1]);
        return Rect(a.X, a.Y, b.X, b.Y);
    }

    std::vector<TPoint> Points(std::span<const TPointF> points) const {
        std::vector<TPoint> out;
        out.reserve(points.size());
        for (const TPointF& p : points) out.push_back(Map(p));
        return out;
    }

    // The interior of all polygons at once (even-odd, so that inner polygons make holes): each
    // polygon is joined to the first vertex by a bridge that is walked both ways and cancels
    // out. The outlines are drawn polygon by polygon.
    void PolyPolygon(const TMetafileOp& op) {
        std::vector<std::vector<TPoint>> polygons;
        size_t start = 0;
        for (uint32_t count : op.Counts) {
            if (count > op.Points.size() - start) break;
            if (count >= 2) polygons.push_back(Points(std::span(op.Points).subspan(start, count)));
            start += count;
        }
        if (polygons.empty()) return;
        if (op.Brush.Style != TBrushStyle::bsClear) {
            const TPoint anchor = polygons.front().front();
            std::vector<TPoint> joined;
            for (const auto& polygon : polygons) {
                joined.insert(joined.end(), polygon.begin(), polygon.end());
                joined.push_back(polygon.front());
                joined.push_back(anchor);
            }
            const TPen pen = canvas_.Pen;
            canvas_.Pen.Style = TPenStyle::psClear;
            canvas_.Polygon(joined);
            canvas_.Pen = pen;
        }
        canvas_.Brush.Style = TBrushStyle::bsClear;
        for (const auto& polygon : polygons) canvas_.Polygon(polygon);
    }

    void Bitmap(const TMetafileOp& op) {
        const TRect dest = Box(op);
        if (!op.Bitmap || dest.IsEmpty()) return;
        if (op.RasterOp == kRopSrcCopy) {
            canvas_.DrawBitmap(dest, *op.Bitmap);
            return;
        }
        canvas_.CopyMode = CopyModeOf(op.RasterOp);
        canvas_.CopyRect(dest, *op.Bitmap, Rect(0, 0, op.Bitmap->Width(), op.Bitmap->Height()));
    }

    TCanvas& canvas_;
    TRect rect_;
    double sx_;
    double sy_;
};

} // namespace

TMetafile::TMetafile() : content_(std::make_shared<TMetafileContent>()) {}

TMetafile::~TMetafile() = default;

void TMetafile::Assign(const TGraphic& source) {
    const auto* other = dynamic_cast<const TMetafile*>(&source);
    if (!other) RaiseCannotAssign(source);
    if (other == this) return;
    width_ = other->width_;
    height_ = other->height_;
    enhanced_ = other->enhanced_;
    content_ = other->content_;
    loadedBytes_ = other->loadedBytes_;
    loadedEnhanced_ = other->loadedEnhanced_;
    Changed();
}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect) {
    if (Empty() || rect.IsEmpty() || content_->Ops.empty()) return;
    TCanvasStateGuard guard(canvas);
    canvas.SetClipRect(canvas.HasClip() ? IntersectRect(canvas.ClipRect(), rect) : rect);
    if (canvas.ClipRect().IsEmpty()) return;
    TOpRenderer renderer(canvas, rect, width_, height_);
    for (const TMetafileOp& op : content_->Ops) renderer.Render(op);
}

void TMetafile::SetWidth(int width) {
    if (width == width_) return;
    width_ = std::max(width, 0);
    loadedBytes_.clear();
    Changed();
}

void TMetafile::SetHeight(int height) {
    if (height == height_) return;
    height_ = std::max(height, 0);
    loadedBytes_.clear();
    Changed();
}

void TMetafile::Clear() {
    width_ = height_ = 0;
    content_ = std::make_shared<TMetafileContent>();
    loadedBytes_.clear();
    Changed();
}

void TMetafile::SetRecording(TMetafileContent content) {
    content_ = std::make_shared<TMetafileContent>(std::move(content));
    loadedBytes_.clear();
    Changed();
}

void TMetafile::LoadFromStream(TStream& stream) {
    const int64_t size = stream.Size() - stream.Position();
    if (size <= 0) RaiseInvalidMetafile();
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    stream.ReadBuffer(bytes.data(), size);
    TLoadedMetafile loaded;
    bool enhanced = true;
    if (IsEmf(bytes)) {
        loaded = ReadEmf(bytes);
    } else if (IsWmf(bytes)) {
        loaded = ReadWmf(bytes);
        enhanced = false;
    } else {
        RaiseInvalidMetafile();
    }
    width_ = loaded.Width;
    height_ = loaded.Height;
    enhanced_ = enhanced;
    content_ = std::make_shared<TMetafileContent>(std::move(loaded.Content));
    loadedBytes_ = std::move(bytes);
    loadedEnhanced_ = enhanced;
    Changed();
}

void TMetafile::SaveToStream(TStream& stream) {
    if (!loadedBytes_.empty() && loadedEnhanced_ == enhanced_) {
        stream.WriteBuffer(loadedBytes_.data(), static_cast<int64_t>(loadedBytes_.size()));
        return;
    }
    const std::vector<uint8_t> bytes =
        enhanced_ ? WriteEmf(*content_, width_, height_) : WriteWmf(*content_, width_, height_);
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void RegisterMetafile() {
    const auto factory = [] { return std::unique_ptr<TGraphic>(std::make_unique<TMetafile>()); };
    TPicture::RegisterFileFormat("wmf", "Metafiles Windows", "TMetafile", factory);
    TPicture::RegisterFileFormat("emf", "Metafiles Windows améliorés", "TMetafile", factory);
}

} // namespace vermaline
