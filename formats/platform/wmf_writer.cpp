// Writes a Windows metafile with the Aldus placeable header, so that readers know its size:
// bounding box (0, 0)-(width, height) at 96 units per inch, the window set to the same box,
// then pens and brushes as the operations need them and one record per operation.
#include <algorithm>
#include <optional>

#include "formats/platform/bitmap.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/metafile_bytes.h"
#include "formats/platform/metafile_dib.h"
#include "formats/platform/metafile_player.h"
#include "formats/platform/wmf_format.h"

namespace vermaline {

namespace {

constexpr uint16_t kPenSolid = 0, kPenNull = 5;
constexpr uint16_t kBrushSolid = 0, kBrushNull = 1;

bool SamePen(const TPen& a, const TPen& b) { return a.Style == b.Style && a.Color == b.Color && a.Width == b.Width; }
bool SameBrush(const TBrush& a, const TBrush& b) { return a.Style == b.Style && a.Color == b.Color; }

class TWmfWriter {
public:
    TWmfWriter(const TMetafileContent& content, int width, int height)
        : content_(content), width_(width), height_(height) {}

    std::vector<uint8_t> Write() {
        if (width_ > INT16_MAX || height_ > INT16_MAX) TooLarge();
        WritePlaceableHeader();
        out_.U16(1);       // in memory
        out_.U16(9);       // header words
        out_.U16(0x0300);  // version
        out_.U32(0);       // size in words, patched
        out_.U16(0);       // objects, patched
        out_.U32(0);       // largest record in words, patched
        out_.U16(0);
        Record(meta::SetMapMode, {kMapModeAnisotropic});
        Record(meta::SetWindowOrg, {0, 0});
        Record(meta::SetWindowExt, {static_cast<int16_t>(height_), static_cast<int16_t>(width_)});
        for (const TMetafileOp& op : content_.Ops) WriteOp(op);
        Record(meta::Eof, {});
        const size_t header = meta::kPlaceableSize;
        out_.PatchU32(header + 6, static_cast<uint32_t>((out_.Size() - header) / 2));
        out_.PatchU16(header + 10, static_cast<uint16_t>(slots_.size()));
        out_.PatchU32(header + 12, largestRecord_);
        return std::move(out_.Bytes());
    }

private:
    [[noreturn]] void TooLarge() const { throw EInvalidGraphic(Format(messages::kWmfTooLarge, width_, height_)); }

    int16_t Coordinate(double value) const {
        const int32_t v = RoundCoordinate(value);
        if (v < INT16_MIN || v > INT16_MAX) TooLarge();
        return static_cast<int16_t>(v);
    }

    void WritePlaceableHeader() {
        const uint16_t words[10] = {uint16_t(meta::kPlaceableKey & 0xFFFF), uint16_t(meta::kPlaceableKey >> 16), 0, 0, 0,
                                    uint16_t(width_), uint16_t(height_), kMetafileDpi, 0, 0};
        uint16_t checksum = 0;
        for (uint16_t w : words) {
            out_.U16(w);
            checksum ^= w;
        }
        out_.U16(checksum);
    }

    size_t Begin(uint16_t function) {
        const size_t start = out_.Size();
        out_.U32(0);
        out_.U16(function);
        return start;
    }
    void End(size_t start) {
        const uint64_t words = (out_.Size() - start) / 2;
        if (words > UINT32_MAX) TooLarge();
        out_.PatchU32(start, static_cast<uint32_t>(words));
        largestRecord_ = std::max(largestRecord_, static_cast<uint32_t>(words));
    }
    void Record(uint16_t function, std::initializer_list<int16_t> parameters) {
        const size_t r = Begin(function);
        for (int16_t p : parameters) out_.I16(p);
        End(r);
    }

    // New objects take the lowest free slot of the object table, as the player expects.
    uint16_t CreateSlot() {
        auto it = std::find(slots_.begin(), slots_.end(), false);
        if (it == slots_.end()) it = slots_.insert(slots_.end(), true);
        *it = true;
        return static_cast<uint16_t>(it - slots_.begin());
    }
    // A WMF cannot select a stock object, so the new object is selected before the old one is deleted.
    void Replace(std::optional<uint16_t>& slot, uint16_t created) {
        Record(meta::SelectObject, {static_cast<int16_t>(created)});
        if (slot) {
            Record(meta::DeleteObject, {static_cast<int16_t>(*slot)});
            slots_[*slot] = false;
        }
        slot = created;
    }

    void UsePen(const TPen& pen) {
        if (pen_ && SamePen(*pen_, pen)) return;
        pen_ = pen;
        const uint16_t slot = CreateSlot();
        const size_t r = Begin(meta::CreatePenIndirect);
        out_.U16(pen.Style == TPenStyle::psClear ? kPenNull : kPenSolid);
        out_.I16(static_cast<int16_t>(std::clamp(pen.Width, 0, int(INT16_MAX))));
        out_.I16(0);
        out_.U32(ColorToRGB(pen.Color) & 0xFFFFFF);
        End(r);
        Replace(penSlot_, slot);
    }

    void UseBrush(const TBrush& brush) {
        if (brush_ && SameBrush(*brush_, brush)) return;
        brush_ = brush;
        const uint16_t slot = CreateSlot();
        const size_t r = Begin(meta::CreateBrushIndirect);
        out_.U16(brush.Style == TBrushStyle::bsClear ? kBrushNull : kBrushSolid);
        out_.U32(ColorToRGB(brush.Color) & 0xFFFFFF);
        out_.U16(0);
        End(r);
        Replace(brushSlot_, slot);
    }

    void Points(std::span<const TPointF> points) {
        for (const TPointF& p : points) {
            out_.I16(Coordinate(p.X));
            out_.I16(Coordinate(p.Y));
        }
    }

    uint16_t Count(size_t count) const {
        if (count > size_t(INT16_MAX)) TooLarge();
        return static_cast<uint16_t>(count);
    }

    void WriteOp(const TMetafileOp& op) {
        const bool box = op.Kind == TMetafileOpKind::mkFillRect || op.Kind == TMetafileOpKind::mkRectangle ||
                         op.Kind == TMetafileOpKind::mkEllipse || op.Kind == TMetafileOpKind::mkBitmap;
        if (box && op.Points.size() < 2) return;
        switch (op.Kind) {
        case TMetafileOpKind::mkFillRect: {
            if (op.Brush.Style == TBrushStyle::bsClear) return;
            UseBrush(op.Brush);
            const int16_t left = Coordinate(op.Points[0].X), top = Coordinate(op.Points[0].Y);
            const int16_t right = Coordinate(op.Points[1].X), bottom = Coordinate(op.Points[1].Y);
            const size_t r = Begin(meta::PatBlt);
            out_.U32(kRopPatCopy);
            for (int v : {bottom - top, right - left, int(top), int(left)}) out_.I16(Coordinate(v));
            End(r);
            return;
        }
        case TMetafileOpKind::mkRectangle:
        case TMetafileOpKind::mkEllipse:
            UsePen(op.Pen);
            UseBrush(op.Brush);
            Record(op.Kind == TMetafileOpKind::mkEllipse ? meta::Ellipse : meta::Rectangle,
                   {Coordinate(op.Points[1].Y), Coordinate(op.Points[1].X), Coordinate(op.Points[0].Y),
                    Coordinate(op.Points[0].X)});
            return;
        case TMetafileOpKind::mkPolygon:
        case TMetafileOpKind::mkPolyline: {
            UsePen(op.Pen);
            if (op.Kind == TMetafileOpKind::mkPolygon) UseBrush(op.Brush);
            const size_t r = Begin(op.Kind == TMetafileOpKind::mkPolygon ? meta::Polygon : meta::Polyline);
            out_.U16(Count(op.Points.size()));
            Points(op.Points);
            End(r);
            return;
        }
        case TMetafileOpKind::mkPolyPolygon: {
            UsePen(op.Pen);
            UseBrush(op.Brush);
            const size_t r = Begin(meta::PolyPolygon);
            out_.U16(Count(op.Counts.size()));
            for (uint32_t count : op.Counts) out_.U16(Count(count));
            Points(op.Points);
            End(r);
            return;
        }
        case TMetafileOpKind::mkBitmap: return StretchDIB(op);
        }
    }

    void StretchDIB(const TMetafileOp& op) {
        if (!op.Bitmap || op.Bitmap->Empty()) return;
        if (op.Bitmap->Width() > INT16_MAX || op.Bitmap->Height() > INT16_MAX) TooLarge();
        const TEncodedDIB dib = EncodeDIB(*op.Bitmap);
        const int16_t left = Coordinate(op.Points[0].X), top = Coordinate(op.Points[0].Y);
        const int16_t right = Coordinate(op.Points[1].X), bottom = Coordinate(op.Points[1].Y);
        const size_t r = Begin(meta::StretchDIB);
        out_.U32(op.RasterOp);
        out_.U16(0);  // DIB_RGB_COLORS
        out_.I16(static_cast<int16_t>(op.Bitmap->Height()));
        out_.I16(static_cast<int16_t>(op.Bitmap->Width()));
        out_.I16(0);  // the whole bitmap
        out_.I16(0);
        out_.I16(Coordinate(bottom - top));
        out_.I16(Coordinate(right - left));
        out_.I16(top);
        out_.I16(left);
        out_.Append(dib.Info);
        out_.Append(dib.Bits);
        End(r);
    }

    const TMetafileContent& content_;
    int width_;
    int height_;
    TByteWriter out_;
    uint32_t largestRecord_ = 0;
    std::vector<bool> slots_;
    std::optional<TPen> pen_;
    std::optional<TBrush> brush_;
    std::optional<uint16_t> penSlot_;
    std::optional<uint16_t> brushSlot_;
};

} // namespace

std::vector<uint8_t> WriteWmf(const TMetafileContent& content, int width, int height) {
    return TWmfWriter(content, width, height).Write();
}

} // namespace vermaline
