// Writes an enhanced metafile: the header (frame and bounds from the size, a 96 dpi reference
// device, the description), pen and brush objects as the operations need them, one drawing
// record per operation, and the end-of-file record.
#include <algorithm>
#include <cmath>
#include <optional>

#include "formats/platform/bitmap.h"
#include "formats/platform/emf_format.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/metafile_bytes.h"
#include "formats/platform/metafile_dib.h"

namespace vermaline {

namespace {

constexpr uint32_t kHeaderSize = 108;  // with the pixel-format and micrometre extensions
// The reference device: 1920 x 1440 pixels on 508 x 381 mm is exactly 96 dpi.
constexpr int32_t kDeviceWidth = 1920, kDeviceHeight = 1440;
constexpr int32_t kDeviceWidthMM = 508, kDeviceHeightMM = 381;
constexpr uint32_t kPenIndex = 1, kBrushIndex = 2;
constexpr uint32_t kWhiteBrush = emr::kStockObject | 0, kNullBrush = emr::kStockObject | 5;
constexpr uint32_t kBlackPen = emr::kStockObject | 7, kNullPen = emr::kStockObject | 8;

struct TBox {
    int32_t Left, Top, Right, Bottom;
};

bool SamePen(const TPen& a, const TPen& b) { return a.Style == b.Style && a.Color == b.Color && a.Width == b.Width; }
bool SameBrush(const TBrush& a, const TBrush& b) { return a.Style == b.Style && a.Color == b.Color; }

bool Fits16(const std::vector<TPointF>& points) {
    return std::all_of(points.begin(), points.end(), [](const TPointF& p) {
        const int32_t x = RoundCoordinate(p.X), y = RoundCoordinate(p.Y);
        return x >= INT16_MIN && x <= INT16_MAX && y >= INT16_MIN && y <= INT16_MAX;
    });
}

// Inclusive device bounds of the points; a box's right and bottom edges are exclusive.
TBox Bounds(const std::vector<TPointF>& points, bool box) {
    if (points.empty()) return {0, 0, -1, -1};
    TBox b{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (const TPointF& p : points) {
        const int32_t x = RoundCoordinate(p.X), y = RoundCoordinate(p.Y);
        b = {std::min(b.Left, x), std::min(b.Top, y), std::max(b.Right, x), std::max(b.Bottom, y)};
    }
    if (box) {
        b.Right = std::max(b.Left, b.Right - 1);
        b.Bottom = std::max(b.Top, b.Bottom - 1);
    }
    return b;
}

class TEmfWriter {
public:
    explicit TEmfWriter(const TMetafileContent& content) : content_(content) {}

    std::vector<uint8_t> Write(int width, int height) {
        WriteHeader(width, height);
        for (const TMetafileOp& op : content_.Ops) WriteOp(op);
        ReleaseObjects();
        const size_t eof = Begin(emr::Eof);
        out_.U32(0);   // no palette
        out_.U32(16);  // where a palette would start
        out_.U32(20);  // this record's size, repeated last
        End(eof);
        out_.PatchU32(48, static_cast<uint32_t>(out_.Size()));
        out_.PatchU32(52, records_);
        out_.PatchU16(56, static_cast<uint16_t>(createdAny_ ? 3 : 1));
        return std::move(out_.Bytes());
    }

private:
    size_t Begin(uint32_t type) {
        const size_t start = out_.Size();
        out_.U32(type);
        out_.U32(0);
        ++records_;
        return start;
    }
    void End(size_t start) { out_.PatchU32(start + 4, static_cast<uint32_t>(out_.Size() - start)); }

    void Box(const TBox& b) {
        out_.I32(b.Left);
        out_.I32(b.Top);
        out_.I32(b.Right);
        out_.I32(b.Bottom);
    }

    void WriteHeader(int width, int height) {
        const size_t start = Begin(emr::Header);
        Box({0, 0, width - 1, height - 1});
        // The frame in 0.01 mm, inclusive, of width x height pixels at 96 dpi.
        const auto hundredthsMM = [](int pixels) {
            return static_cast<int32_t>(std::lround(pixels * 2540.0 / kMetafileDpi)) - 1;
        };
        Box({0, 0, hundredthsMM(width), hundredthsMM(height)});
        out_.U32(emr::kSignature);
        out_.U32(0x10000);  // version
        out_.U32(0);        // nBytes, patched
        out_.U32(0);        // nRecords, patched
        out_.U16(1);        // nHandles, patched
        out_.U16(0);
        std::u16string description;
        if (content_.HasDescription) {
            description = Utf8ToUtf16(content_.CreatedBy);
            description.push_back(0);
            description += Utf8ToUtf16(content_.Description);
            description.push_back(0);
            description.push_back(0);
        }
        out_.U32(static_cast<uint32_t>(description.size()));
        out_.U32(description.empty() ? 0 : kHeaderSize);
        out_.U32(0);  // palette entries
        out_.I32(kDeviceWidth);
        out_.I32(kDeviceHeight);
        out_.I32(kDeviceWidthMM);
        out_.I32(kDeviceHeightMM);
        out_.U32(0);  // no pixel format
        out_.U32(0);
        out_.U32(0);  // not OpenGL
        out_.I32(kDeviceWidthMM * 1000);
        out_.I32(kDeviceHeightMM * 1000);
        for (char16_t c : description) out_.U16(c);
        while (out_.Size() % 4) out_.U16(0);
        End(start);
    }

    void Select(uint32_t index) {
        const size_t r = Begin(emr::SelectObject);
        out_.U32(index);
        End(r);
    }
    void Delete(uint32_t index) {
        const size_t r = Begin(emr::DeleteObject);
        out_.U32(index);
        End(r);
    }

    void UsePen(const TPen& pen) {
        if (pen_ && SamePen(*pen_, pen)) return;
        pen_ = pen;
        if (pen.Style == TPenStyle::psClear) {
            Select(kNullPen);
            return;
        }
        if (penCreated_) {
            Select(kBlackPen);
            Delete(kPenIndex);
        }
        const size_t r = Begin(emr::CreatePen);
        out_.U32(kPenIndex);
        out_.U32(0);  // PS_SOLID
        out_.I32(pen.Width);
        out_.I32(0);
        out_.U32(ColorToRGB(pen.Color) & 0xFFFFFF);
        End(r);
        Select(kPenIndex);
        penCreated_ = createdAny_ = true;
    }

    void UseBrush(const TBrush& brush) {
        if (brush_ && SameBrush(*brush_, brush)) return;
        brush_ = brush;
        if (brush.Style == TBrushStyle::bsClear) {
            Select(kNullBrush);
            return;
        }
        if (brushCreated_) {
            Select(kWhiteBrush);
            Delete(kBrushIndex);
        }
        const size_t r = Begin(emr::CreateBrushIndirect);
        out_.U32(kBrushIndex);
        out_.U32(0);  // BS_SOLID
        out_.U32(ColorToRGB(brush.Color) & 0xFFFFFF);
        out_.U32(0);
        End(r);
        Select(kBrushIndex);
        brushCreated_ = createdAny_ = true;
    }

    void ReleaseObjects() {
        if (penCreated_) {
            Select(kBlackPen);
            Delete(kPenIndex);
        }
        if (brushCreated_) {
            Select(kWhiteBrush);
            Delete(kBrushIndex);
        }
    }

    void Points(const std::vector<TPointF>& points, bool sixteen) {
        for (const TPointF& p : points) {
            if (sixteen) {
                out_.I16(static_cast<int16_t>(RoundCoordinate(p.X)));
                out_.I16(static_cast<int16_t>(RoundCoordinate(p.Y)));
            } else {
                out_.I32(RoundCoordinate(p.X));
                out_.I32(RoundCoordinate(p.Y));
            }
        }
        while (out_.Size() % 4) out_.U16(0);
    }

    void WriteOp(const TMetafileOp& op) {
        switch (op.Kind) {
        case TMetafileOpKind::mkFillRect: return FillRect(op);
        case TMetafileOpKind::mkRectangle:
        case TMetafileOpKind::mkEllipse: {
            if (op.Points.size() < 2) return;
            UsePen(op.Pen);
            UseBrush(op.Brush);
            const size_t r = Begin(op.Kind == TMetafileOpKind::mkEllipse ? emr::Ellipse : emr::Rectangle);
            Box({RoundCoordinate(op.Points[0].X), RoundCoordinate(op.Points[0].Y), RoundCoordinate(op.Points[1].X),
                 RoundCoordinate(op.Points[1].Y)});
            End(r);
            return;
        }
        case TMetafileOpKind::mkPolygon:
        case TMetafileOpKind::mkPolyline: {
            const bool polygon = op.Kind == TMetafileOpKind::mkPolygon;
            UsePen(op.Pen);
            if (polygon) UseBrush(op.Brush);
            const bool sixteen = Fits16(op.Points);
            const size_t r = Begin(polygon ? (sixteen ? emr::Polygon16 : emr::Polygon)
                                           : (sixteen ? emr::Polyline16 : emr::Polyline));
            Box(Bounds(op.Points, false));
            out_.U32(static_cast<uint32_t>(op.Points.size()));
            Points(op.Points, sixteen);
            End(r);
            return;
        }
        case TMetafileOpKind::mkPolyPolygon: {
            UsePen(op.Pen);
            UseBrush(op.Brush);
            const size_t r = Begin(emr::PolyPolygon);
            Box(Bounds(op.Points, false));
            out_.U32(static_cast<uint32_t>(op.Counts.size()));
            out_.U32(static_cast<uint32_t>(op.Points.size()));
            for (uint32_t count : op.Counts) out_.U32(count);
            Points(op.Points, false);
            End(r);
            return;
        }
        case TMetafileOpKind::mkBitmap: return StretchDIBits(op);
        }
    }

    // A filled rectangle is a pattern block transfer with the brush.
    void FillRect(const TMetafileOp& op) {
        if (op.Points.size() < 2 || op.Brush.Style == TBrushStyle::bsClear) return;
        UseBrush(op.Brush);
        const TBox b{RoundCoordinate(op.Points[0].X), RoundCoordinate(op.Points[0].Y), RoundCoordinate(op.Points[1].X),
                     RoundCoordinate(op.Points[1].Y)};
        const size_t r = Begin(emr::BitBlt);
        Box(Bounds(op.Points, true));
        out_.I32(b.Left);
        out_.I32(b.Top);
        out_.I32(b.Right - b.Left);
        out_.I32(b.Bottom - b.Top);
        out_.U32(kRopPatCopy);
        out_.I32(0);  // source origin
        out_.I32(0);
        for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) out_.F32(f);  // source transform
        out_.U32(0);  // background colour
        out_.U32(0);  // DIB_RGB_COLORS
        for (int i = 0; i < 4; ++i) out_.U32(0);  // no source bitmap
        End(r);
    }

    void StretchDIBits(const TMetafileOp& op) {
        if (op.Points.size() < 2 || !op.Bitmap || op.Bitmap->Empty()) return;
        const TEncodedDIB dib = EncodeDIB(*op.Bitmap);
        if (80 + uint64_t(dib.Info.size()) + dib.Bits.size() > UINT32_MAX)
            throw EInvalidGraphic(Format(messages::kImageTooLarge, op.Bitmap->Width(), op.Bitmap->Height()));
        const int32_t left = RoundCoordinate(op.Points[0].X), top = RoundCoordinate(op.Points[0].Y);
        const int32_t right = RoundCoordinate(op.Points[1].X), bottom = RoundCoordinate(op.Points[1].Y);
        constexpr uint32_t kFixedSize = 80;
        const size_t r = Begin(emr::StretchDIBits);
        Box(Bounds(op.Points, true));
        out_.I32(left);
        out_.I32(top);
        out_.I32(0);  // the whole bitmap
        out_.I32(0);
        out_.I32(op.Bitmap->Width());
        out_.I32(op.Bitmap->Height());
        out_.U32(kFixedSize);
        out_.U32(static_cast<uint32_t>(dib.Info.size()));
        out_.U32(kFixedSize + static_cast<uint32_t>(dib.Info.size()));
        out_.U32(static_cast<uint32_t>(dib.Bits.size()));
        out_.U32(0);  // DIB_RGB_COLORS
        out_.U32(op.RasterOp);
        out_.I32(right - left);
        out_.I32(bottom - top);
        out_.Append(dib.Info);
        out_.Append(dib.Bits);
        End(r);
    }

    const TMetafileContent& content_;
    TByteWriter out_;
    uint32_t records_ = 0;
    std::optional<TPen> pen_;
    std::optional<TBrush> brush_;
    bool penCreated_ = false;
    bool brushCreated_ = false;
    bool createdAny_ = false;
};

} // namespace

std::vector<uint8_t> WriteEmf(const TMetafileContent& content, int width, int height) {
    return TEmfWriter(content).Write(width, height);
}

} // namespace vermaline
