// Reads a Windows metafile, with or without the Aldus placeable header: checks the header and
// every record's size against the data, then plays the drawing records through a metafile
// player. The placeable header's box is mapped onto the picture, as a program playing the file
// would set its window and viewport; records that draw nothing we render are skipped by size.
#include <algorithm>
#include <cmath>
#include <optional>

#include "formats/platform/bitmap.h"
#include "formats/platform/metafile_bytes.h"
#include "formats/platform/metafile_player.h"
#include "formats/platform/wmf_format.h"

namespace vermaline {

namespace {

constexpr double kPixelsPerMM = kMetafileDpi / 25.4;

TPointF PointAt(const TRecordView& r, size_t offset) { return {double(r.I16(offset)), double(r.I16(offset + 2))}; }
// Most records store y before x.
TPointF YX(const TRecordView& r, size_t offset) { return {double(r.I16(offset + 2)), double(r.I16(offset))}; }

class TWmfReader {
public:
    TWmfReader(size_t objects, const TXForm& deviceToFrame, int mapMode)
        : objects_(objects), player_(deviceToFrame, kPixelsPerMM, mapMode) {}

    TMetafilePlayer& Player() { return player_; }
    void Play(const TRecordView& r, uint16_t function);

private:
    std::vector<TPointF> Points(const TRecordView& r, size_t offset, uint64_t count) const;
    void Create(const TGdiObject& object);
    void PolyPolygon(const TRecordView& r);
    void DibTransfer(const TRecordView& r, uint16_t function);

    std::vector<std::optional<TGdiObject>> objects_;
    TMetafilePlayer player_;
};

std::vector<TPointF> TWmfReader::Points(const TRecordView& r, size_t offset, uint64_t count) const {
    if (!r.Has(offset, count * 4)) RaiseInvalidMetafile();
    std::vector<TPointF> points(static_cast<size_t>(count));
    for (size_t i = 0; i < points.size(); ++i) points[i] = PointAt(r, offset + 4 * i);
    return points;
}

// A new object takes the lowest free slot; when the table is full the object is not created.
void TWmfReader::Create(const TGdiObject& object) {
    const auto free = std::find_if(objects_.begin(), objects_.end(), [](const auto& o) { return !o.has_value(); });
    if (free != objects_.end()) *free = object;
}

void TWmfReader::PolyPolygon(const TRecordView& r) {
    const size_t polygons = r.U16(6);
    std::vector<uint32_t> counts(polygons);
    uint64_t total = 0;
    for (size_t i = 0; i < polygons; ++i) total += counts[i] = r.U16(8 + 2 * i);
    player_.PolyPolygon(Points(r, 8 + 2 * polygons, total), counts);
}

void TWmfReader::DibTransfer(const TRecordView& r, uint16_t function) {
    const uint32_t rop = function == meta::SetDIBToDev ? kRopSrcCopy : r.U32(6);
    const size_t noBitmapSize = 2 * ((function >> 8) + 3u);
    if ((function == meta::DIBBitBlt || function == meta::DIBStretchBlt) && r.Size() == noBitmapSize) {
        // No DIB: the transfer reads the destination itself; only operations without a source draw.
        const size_t at = function == meta::DIBBitBlt ? 16 : 20;
        const TPointF size = YX(r, at);
        player_.PatBlt(YX(r, at + 4), size, rop);
        return;
    }
    switch (function) {
    case meta::StretchDIB: {
        if (r.U16(10) != 0) return;  // DIB_PAL_COLORS: colours index a palette we do not have
        const TDecodedDIB dib = DecodePackedDIB(r.Bytes(28, r.Size() - 28));
        player_.Bitmap(YX(r, 24), YX(r, 20), dib, r.I16(18), r.I16(16), r.I16(14), r.I16(12), true, rop);
        return;
    }
    case meta::DIBStretchBlt: {
        const TDecodedDIB dib = DecodePackedDIB(r.Bytes(26, r.Size() - 26));
        player_.Bitmap(YX(r, 22), YX(r, 18), dib, r.I16(16), r.I16(14), r.I16(12), r.I16(10), false, rop);
        return;
    }
    case meta::DIBBitBlt: {
        const TDecodedDIB dib = DecodePackedDIB(r.Bytes(22, r.Size() - 22));
        const TPointF size = YX(r, 14);
        player_.Bitmap(YX(r, 18), size, dib, r.I16(12), r.I16(10), int64_t(size.X), int64_t(size.Y), false, rop);
        return;
    }
    case meta::SetDIBToDev: {
        if (r.U16(6) != 0) return;  // DIB_PAL_COLORS
        const TDecodedDIB dib = DecodePackedDIB(r.Bytes(24, r.Size() - 24));
        // Only transfers of the whole DIB at once; banded ones are skipped.
        if (r.U16(10) != 0 || int64_t(r.U16(8)) != dib.Bitmap->Height()) return;
        const TPointF size = YX(r, 16);
        player_.Bitmap(YX(r, 20), size, dib, r.I16(14), r.I16(12), int64_t(size.X), int64_t(size.Y), true, rop);
        return;
    }
    default: return;
    }
}

void TWmfReader::Play(const TRecordView& r, uint16_t function) {
    switch (function) {
    case meta::SetMapMode: return player_.SetMapMode(r.U16(6));
    case meta::SetWindowOrg: return player_.SetWindowOrg(YX(r, 6).X, YX(r, 6).Y);
    case meta::SetWindowExt: return player_.SetWindowExt(YX(r, 6).X, YX(r, 6).Y);
    case meta::SetViewportOrg: return player_.SetViewportOrg(YX(r, 6).X, YX(r, 6).Y);
    case meta::SetViewportExt: return player_.SetViewportExt(YX(r, 6).X, YX(r, 6).Y);
    case meta::OffsetWindowOrg: return player_.OffsetWindowOrg(YX(r, 6).X, YX(r, 6).Y);
    case meta::OffsetViewportOrg: return player_.OffsetViewportOrg(YX(r, 6).X, YX(r, 6).Y);
    case meta::ScaleWindowExt:
        return player_.ScaleWindowExt(r.I16(12), r.I16(10), r.I16(8), r.I16(6));
    case meta::ScaleViewportExt:
        return player_.ScaleViewportExt(r.I16(12), r.I16(10), r.I16(8), r.I16(6));
    case meta::SaveDC: return player_.SaveDC();
    case meta::RestoreDC: return player_.RestoreDC(r.I16(6));
    case meta::CreatePenIndirect: return Create(MakePenObject(r.U16(6), r.I16(8), r.U32(12)));
    case meta::CreateBrushIndirect: return Create(MakeBrushObject(r.U16(6), r.U32(8)));
    case meta::CreatePatternBrush:
    case meta::DIBCreatePatternBrush: return Create(MakeBrushObject(5, 0));
    case meta::CreateFontIndirect:
    case meta::CreatePalette:
    case meta::CreateRegion: return Create(TGdiObject{});
    case meta::SelectObject: {
        const size_t index = r.U16(6);
        if (index < objects_.size() && objects_[index]) player_.Select(*objects_[index]);
        return;
    }
    case meta::DeleteObject: {
        const size_t index = r.U16(6);
        if (index < objects_.size()) objects_[index].reset();
        return;
    }
    case meta::Rectangle:
    case meta::Ellipse: {
        const TPointF rightBottom = YX(r, 6), leftTop = YX(r, 10);
        if (function == meta::Ellipse) player_.Ellipse(leftTop, rightBottom);
        else player_.Rectangle(leftTop, rightBottom);
        return;
    }
    case meta::Polygon:
    case meta::Polyline: {
        const int16_t count = r.I16(6);
        if (count < 0) RaiseInvalidMetafile();
        const std::vector<TPointF> points = Points(r, 8, uint64_t(count));
        if (function == meta::Polygon) player_.Polygon(points);
        else player_.Polyline(points);
        return;
    }
    case meta::PolyPolygon: return PolyPolygon(r);
    case meta::MoveTo: return player_.MoveTo(YX(r, 6));
    case meta::LineTo: return player_.LineTo(YX(r, 6));
    case meta::PatBlt: return player_.PatBlt(YX(r, 14), YX(r, 10), r.U32(6));
    case meta::StretchDIB:
    case meta::DIBStretchBlt:
    case meta::DIBBitBlt:
    case meta::SetDIBToDev: return DibTransfer(r, function);
    default: return;
    }
}

struct TWmfLayout {
    size_t Start = 0;   // offset of the WMF header
    size_t Size = 0;    // bytes of the header and records
    size_t Objects = 0;
};

TWmfLayout CheckHeader(const TRecordView& file, size_t start) {
    const uint16_t type = file.U16(start), headerWords = file.U16(start + 2), version = file.U16(start + 4);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300))
        RaiseInvalidMetafile();
    const uint64_t size = uint64_t(file.U32(start + 6)) * 2;
    if (size < meta::kHeaderSize || !file.Has(start, size)) RaiseInvalidMetafile();
    return {start, static_cast<size_t>(size), file.U16(start + 10)};
}

// Calls visit(record, function) for every record up to the end-of-file record, checking sizes.
template <typename Visit>
void WalkRecords(const TRecordView& data, Visit&& visit) {
    size_t offset = meta::kHeaderSize;
    while (offset < data.Size()) {
        const uint64_t size = uint64_t(data.U32(offset)) * 2;
        const uint16_t function = data.U16(offset + 4);
        if (size < 6 || size > data.Size() - offset) RaiseInvalidMetafile();
        if (function == meta::Eof) return;
        visit(data.Sub(offset, size), function);
        offset += static_cast<size_t>(size);
    }
}

} // namespace

bool IsWmf(std::span<const uint8_t> bytes) {
    const TRecordView view(bytes);
    if (view.Has(0, 4) && view.U32(0) == meta::kPlaceableKey) return true;
    return view.Has(0, meta::kHeaderSize) && (view.U16(0) == 1 || view.U16(0) == 2) && view.U16(2) == 9 &&
           (view.U16(4) == 0x0100 || view.U16(4) == 0x0300);
}

TLoadedMetafile ReadWmf(std::span<const uint8_t> bytes) {
    const TRecordView file(bytes);
    TLoadedMetafile result;
    const bool placeable = file.Has(0, 4) && file.U32(0) == meta::kPlaceableKey;
    const TWmfLayout layout = CheckHeader(file, placeable ? meta::kPlaceableSize : 0);
    const TRecordView data = file.Sub(layout.Start, layout.Size);

    // The picture's box in logical units and how many of them make an inch: the placeable
    // header's, else the first window the records set, in pixels.
    std::optional<TPointF> origin, extent;
    double unitsPerInch = kMetafileDpi;
    if (placeable) {
        const int16_t left = file.I16(6), top = file.I16(8), right = file.I16(10), bottom = file.I16(12);
        unitsPerInch = file.U16(14);
        if (unitsPerInch == 0) RaiseInvalidMetafile();
        if (left != right && top != bottom) {
            origin = TPointF{double(std::min(left, right)), double(std::min(top, bottom))};
            extent = TPointF{std::abs(double(right) - left), std::abs(double(bottom) - top)};
        }
    }
    if (!extent) {
        WalkRecords(data, [&](const TRecordView& r, uint16_t function) {
            if (function == meta::SetWindowOrg && !origin) origin = YX(r, 6);
            if (function == meta::SetWindowExt && !extent && r.I16(6) != 0 && r.I16(8) != 0) extent = YX(r, 6);
        });
        if (!origin) origin = TPointF{0, 0};
        unitsPerInch = kMetafileDpi;
    }

    const auto pixels = [&](double units) {
        return static_cast<int>(std::lround(std::abs(units) * kMetafileDpi / unitsPerInch));
    };
    TWmfReader reader(layout.Objects, TXForm{}, extent ? kMapModeAnisotropic : kMapModeText);
    if (extent) {
        result.Width = pixels(extent->X);
        result.Height = pixels(extent->Y);
        reader.Player().SetWindowOrg(origin->X, origin->Y);
        reader.Player().SetWindowExt(extent->X, extent->Y);
        reader.Player().SetViewportExt(std::max(result.Width, 1), std::max(result.Height, 1));
    }
    WalkRecords(data, [&](const TRecordView& r, uint16_t function) { reader.Play(r, function); });
    result.Content.Ops = std::move(reader.Player().Ops());
    if (!extent) {
        // No box at all: the picture is what the records draw, at one pixel per unit.
        double minX = 0, minY = 0, maxX = 0, maxY = 0;
        bool any = false;
        for (const TMetafileOp& op : result.Content.Ops)
            for (const TPointF& p : op.Points) {
                minX = any ? std::min(minX, p.X) : p.X;
                minY = any ? std::min(minY, p.Y) : p.Y;
                maxX = any ? std::max(maxX, p.X) : p.X;
                maxY = any ? std::max(maxY, p.Y) : p.Y;
                any = true;
            }
        for (TMetafileOp& op : result.Content.Ops)
            for (TPointF& p : op.Points) p = {p.X - minX, p.Y - minY};
        result.Width = static_cast<int>(std::min(std::ceil(maxX - minX), double(INT32_MAX)));
        result.Height = static_cast<int>(std::min(std::ceil(maxY - minY), double(INT32_MAX)));
    }
    return result;
}

} // namespace vermaline
