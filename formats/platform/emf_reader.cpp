// Reads an enhanced metafile: checks the header and every record's size and count against the
// data, then plays the drawing records through a metafile player. Records that draw nothing we
// render (text, clipping, paths...) are skipped by their size.
#include <algorithm>
#include <cmath>
#include <optional>

#include "formats/platform/bitmap.h"
#include "formats/platform/emf_format.h"
#include "formats/platform/metafile_bytes.h"
#include "formats/platform/metafile_player.h"

namespace vermaline {

namespace {

constexpr size_t kMinimumHeaderSize = 88;

class TEmfReader {
public:
    TEmfReader(const TRecordView& file, size_t handles, const TXForm& deviceToFrame, double pixelsPerMM)
        : file_(file), objects_(std::max<size_t>(handles, 1)), player_(deviceToFrame, pixelsPerMM, kMapModeText) {}

    void Play(const TRecordView& r, uint32_t type);
    std::vector<TMetafileOp>& Ops() { return player_.Ops(); }

private:
    std::vector<TPointF> ReadPoints(const TRecordView& r, size_t offset, uint64_t count, bool sixteen) const;
    void Poly(const TRecordView& r, uint32_t type);
    void PolyPoly(const TRecordView& r, bool sixteen, bool polygon);
    void SelectObject(uint32_t index);
    void SetObject(uint32_t index, const TGdiObject& object);
    TDecodedDIB Dib(const TRecordView& r, size_t fields) const;
    void Blt(const TRecordView& r, bool stretch);
    void SetDIBitsToDevice(const TRecordView& r);
    void StretchDIBits(const TRecordView& r);

    TRecordView file_;
    std::vector<std::optional<TGdiObject>> objects_;
    TMetafilePlayer player_;
};

std::vector<TPointF> TEmfReader::ReadPoints(const TRecordView& r, size_t offset, uint64_t count, bool sixteen) const {
    const uint64_t size = sixteen ? 4 : 8;
    if (!r.Has(offset, count * size)) RaiseInvalidMetafile();
    std::vector<TPointF> points(static_cast<size_t>(count));
    for (size_t i = 0; i < points.size(); ++i) {
        const size_t at = offset + i * size;
        points[i] = sixteen ? TPointF{double(r.I16(at)), double(r.I16(at + 2))}
                            : TPointF{double(r.I32(at)), double(r.I32(at + 4))};
    }
    return points;
}

void TEmfReader::Poly(const TRecordView& r, uint32_t type) {
    const bool sixteen = type == emr::Polygon16 || type == emr::Polyline16 || type == emr::PolylineTo16;
    const std::vector<TPointF> points = ReadPoints(r, 28, r.U32(24), sixteen);
    if (type == emr::Polygon || type == emr::Polygon16) player_.Polygon(points);
    else if (type == emr::PolylineTo || type == emr::PolylineTo16) player_.PolylineTo(points);
    else player_.Polyline(points);
}

void TEmfReader::PolyPoly(const TRecordView& r, bool sixteen, bool polygon) {
    const uint64_t polygons = r.U32(24), total = r.U32(28);
    if (!r.Has(32, polygons * 4)) RaiseInvalidMetafile();
    std::vector<uint32_t> counts(static_cast<size_t>(polygons));
    uint64_t sum = 0;
    for (size_t i = 0; i < counts.size(); ++i) sum += counts[i] = r.U32(32 + 4 * i);
    if (sum != total) RaiseInvalidMetafile();
    const std::vector<TPointF> points = ReadPoints(r, 32 + 4 * counts.size(), total, sixteen);
    if (polygon) {
        player_.PolyPolygon(points, counts);
        return;
    }
    size_t start = 0;
    for (uint32_t count : counts) {
        player_.Polyline(std::span(points).subspan(start, count));
        start += count;
    }
}

void TEmfReader::SelectObject(uint32_t index) {
    if (index & emr::kStockObject) {
        player_.Select(StockObject(index & ~emr::kStockObject));
    } else if (index < objects_.size() && objects_[index]) {
        player_.Select(*objects_[index]);
    }
}

void TEmfReader::SetObject(uint32_t index, const TGdiObject& object) {
    if (index != 0 && index < objects_.size()) objects_[index] = object;
}

// The DIB of a bitmap record whose offBmi, cbBmi, offBits, cbBits fields start at fields.
TDecodedDIB TEmfReader::Dib(const TRecordView& r, size_t fields) const {
    const uint32_t offBmi = r.U32(fields), cbBmi = r.U32(fields + 4);
    const uint32_t offBits = r.U32(fields + 8), cbBits = r.U32(fields + 12);
    if (cbBmi < 12 || !r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits)) RaiseInvalidMetafile();
    return DecodeDIB(r.Bytes(offBmi, cbBmi), r.Bytes(offBits, cbBits));
}

void TEmfReader::Blt(const TRecordView& r, bool stretch) {
    if (r.Size() < (stretch ? 108u : 100u)) RaiseInvalidMetafile();
    const TPointF origin{double(r.I32(24)), double(r.I32(28))};
    const int32_t cx = r.I32(32), cy = r.I32(36);
    const uint32_t rop = r.U32(40);
    if (r.U32(88) == 0) {  // no source bitmap: a pattern transfer
        player_.PatBlt(origin, {double(cx), double(cy)}, rop);
        return;
    }
    if (r.U32(80) != 0) return;  // DIB_PAL_COLORS: colours index a palette we do not have
    const TDecodedDIB dib = Dib(r, 84);
    const int32_t cxSrc = stretch ? r.I32(100) : cx, cySrc = stretch ? r.I32(104) : cy;
    player_.Bitmap(origin, {double(cx), double(cy)}, dib, r.I32(44), r.I32(48), cxSrc, cySrc, false, rop);
}

void TEmfReader::SetDIBitsToDevice(const TRecordView& r) {
    if (r.Size() < 76) RaiseInvalidMetafile();
    if (r.U32(64) != 0) return;  // DIB_PAL_COLORS
    const TDecodedDIB dib = Dib(r, 48);
    // Only transfers of the whole DIB at once; banded ones are skipped.
    if (r.U32(68) != 0 || int64_t(r.U32(72)) != dib.Bitmap->Height()) return;
    const int32_t cx = r.I32(40), cy = r.I32(44);
    player_.Bitmap({double(r.I32(24)), double(r.I32(28))}, {double(cx), double(cy)}, dib, r.I32(32), r.I32(36), cx,
                   cy, true, kRopSrcCopy);
}

void TEmfReader::StretchDIBits(const TRecordView& r) {
    if (r.Size() < 80) RaiseInvalidMetafile();
    if (r.U32(64) != 0) return;  // DIB_PAL_COLORS
    const uint32_t rop = r.U32(68);
    const TPointF origin{double(r.I32(24)), double(r.I32(28))};
    const TPointF size{double(r.I32(72)), double(r.I32(76))};
    if (r.U32(52) == 0) {
        player_.PatBlt(origin, size, rop);
        return;
    }
    const TDecodedDIB dib = Dib(r, 48);
    player_.Bitmap(origin, size, dib, r.I32(32), r.I32(36), r.I32(40), r.I32(44), true, rop);
}

TXForm ReadXForm(const TRecordView& r, size_t offset) {
    return TXForm{r.F32(offset), r.F32(offset + 4), r.F32(offset + 8), r.F32(offset + 12), r.F32(offset + 16),
                  r.F32(offset + 20)};
}

void TEmfReader::Play(const TRecordView& r, uint32_t type) {
    switch (type) {
    case emr::Polygon:
    case emr::Polyline:
    case emr::PolylineTo:
    case emr::Polygon16:
    case emr::Polyline16:
    case emr::PolylineTo16: return Poly(r, type);
    case emr::PolyPolygon: return PolyPoly(r, false, true);
    case emr::PolyPolygon16: return PolyPoly(r, true, true);
    case emr::PolyPolyline: return PolyPoly(r, false, false);
    case emr::PolyPolyline16: return PolyPoly(r, true, false);
    case emr::SetWindowExtEx: return player_.SetWindowExt(r.I32(8), r.I32(12));
    case emr::SetWindowOrgEx: return player_.SetWindowOrg(r.I32(8), r.I32(12));
    case emr::SetViewportExtEx: return player_.SetViewportExt(r.I32(8), r.I32(12));
    case emr::SetViewportOrgEx: return player_.SetViewportOrg(r.I32(8), r.I32(12));
    case emr::ScaleViewportExtEx: return player_.ScaleViewportExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
    case emr::ScaleWindowExtEx: return player_.ScaleWindowExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
    case emr::SetMapMode: return player_.SetMapMode(static_cast<int>(r.U32(8)));
    case emr::MoveToEx: return player_.MoveTo({double(r.I32(8)), double(r.I32(12))});
    case emr::LineTo: return player_.LineTo({double(r.I32(8)), double(r.I32(12))});
    case emr::SaveDC: return player_.SaveDC();
    case emr::RestoreDC: return player_.RestoreDC(r.I32(8));
    case emr::SetWorldTransform: return player_.SetWorldTransform(ReadXForm(r, 8));
    case emr::ModifyWorldTransform: return player_.ModifyWorldTransform(ReadXForm(r, 8), r.U32(32));
    case emr::SelectObject: return SelectObject(r.U32(8));
    case emr::DeleteObject: {
        const uint32_t index = r.U32(8);
        if (index < objects_.size()) objects_[index].reset();
        return;
    }
    case emr::CreatePen: {
        // LOGPEN: style, width as a point (x used), colour.
        return SetObject(r.U32(8), MakePenObject(r.U32(12), r.I32(16), r.U32(24)));
    }
    case emr::ExtCreatePen: {
        // LOGPENEX: style, width, brush style, colour. Cosmetic pens are one pixel wide.
        const uint32_t style = r.U32(28);
        const bool geometric = (style & 0x000F0000) == 0x00010000;
        TGdiObject pen = MakePenObject(style, geometric ? r.U32(32) : 0, r.U32(40));
        if (r.U32(36) == 1) pen.Pen.Null = true;  // BS_NULL
        return SetObject(r.U32(8), pen);
    }
    case emr::CreateBrushIndirect: return SetObject(r.U32(8), MakeBrushObject(r.U32(12), r.U32(16)));
    case emr::CreateMonoBrush:
    case emr::CreateDIBPatternBrushPt: return SetObject(r.U32(8), MakeBrushObject(5, 0));
    case emr::CreatePalette:
    case emr::ExtCreateFontIndirectW: return SetObject(r.U32(8), TGdiObject{});
    case emr::Ellipse:
    case emr::Rectangle: {
        const TPointF a{double(r.I32(8)), double(r.I32(12))}, b{double(r.I32(16)), double(r.I32(20))};
        if (type == emr::Ellipse) player_.Ellipse(a, b);
        else player_.Rectangle(a, b);
        return;
    }
    case emr::BitBlt: return Blt(r, false);
    case emr::StretchBlt: return Blt(r, true);
    case emr::SetDIBitsToDevice: return SetDIBitsToDevice(r);
    case emr::StretchDIBits: return StretchDIBits(r);
    default: return;
    }
}

std::string DescriptionText(const TRecordView& header, uint32_t count, uint32_t offset) {
    std::u16string text(count, u'\0');
    for (uint32_t i = 0; i < count; ++i) text[i] = header.U16(offset + size_t(i) * 2);
    return Utf16ToUtf8(text);
}

} // namespace

bool IsEmf(std::span<const uint8_t> bytes) {
    const TRecordView view(bytes);
    return view.Has(0, 44) && view.U32(0) == emr::Header && view.U32(40) == emr::kSignature;
}

TLoadedMetafile ReadEmf(std::span<const uint8_t> bytes) {
    const TRecordView file(bytes);
    if (!IsEmf(bytes)) RaiseInvalidMetafile();
    const uint32_t headerSize = file.U32(4);
    const uint32_t totalBytes = file.U32(48), recordCount = file.U32(52);
    if (headerSize < kMinimumHeaderSize || headerSize % 4 || totalBytes > file.Size() || totalBytes < headerSize)
        RaiseInvalidMetafile();
    const TRecordView header = file.Sub(0, headerSize);
    const TRecordView data = file.Sub(0, totalBytes);

    TLoadedMetafile result;
    const uint32_t descriptionCount = header.U32(60), descriptionOffset = header.U32(64);
    if (descriptionCount > 0) {
        if (!header.Has(descriptionOffset, uint64_t(descriptionCount) * 2)) RaiseInvalidMetafile();
        const std::string text = DescriptionText(header, descriptionCount, descriptionOffset);
        const size_t end = text.find('\0');
        result.Content.HasDescription = true;
        result.Content.CreatedBy = text.substr(0, end);
        if (end != std::string::npos) result.Content.Description = std::string(text.c_str() + end + 1);
    }

    // The reference device: its size in pixels and millimetres (micrometres when the header
    // has that extension and no description or pixel format overlaps it).
    const int32_t devW = header.I32(72), devH = header.I32(76);
    double mmW = header.I32(80), mmH = header.I32(84);
    if (devW <= 0 || devH <= 0 || mmW <= 0 || mmH <= 0) RaiseInvalidMetafile();
    uint64_t fixedEnd = headerSize;
    if (descriptionCount > 0) fixedEnd = std::min<uint64_t>(fixedEnd, descriptionOffset);
    if (headerSize >= 100 && header.U32(88) > 0) fixedEnd = std::min<uint64_t>(fixedEnd, header.U32(92));
    if (fixedEnd >= 108 && header.I32(100) > 0 && header.I32(104) > 0) {
        mmW = header.I32(100) / 1000.0;
        mmH = header.I32(104) / 1000.0;
    }
    const double pxPerMMX = devW / mmW, pxPerMMY = devH / mmH;

    // The frame (0.01 mm, inclusive) in device pixels, or the bounds when the frame is empty.
    double left = header.I32(24) / 100.0 * pxPerMMX, top = header.I32(28) / 100.0 * pxPerMMY;
    double width = (double(header.I32(32)) - header.I32(24) + 1) / 100.0 * pxPerMMX;
    double height = (double(header.I32(36)) - header.I32(28) + 1) / 100.0 * pxPerMMY;
    if (header.I32(32) <= header.I32(24) || header.I32(36) <= header.I32(28)) {
        left = header.I32(8);
        top = header.I32(12);
        width = std::max(0.0, double(header.I32(16)) - left + 1);
        height = std::max(0.0, double(header.I32(20)) - top + 1);
    }
    // The picture's pixels are 96 dpi pixels; the device may have another resolution.
    const auto pixels = [](double devicePixels, double perMM) {
        return static_cast<int>(std::clamp(std::round(devicePixels / perMM * kMetafileDpi / 25.4), 0.0, double(INT32_MAX)));
    };
    result.Width = pixels(width, pxPerMMX);
    result.Height = pixels(height, pxPerMMY);
    const double sx = result.Width > 0 ? result.Width / width : 1, sy = result.Height > 0 ? result.Height / height : 1;
    const TXForm deviceToFrame{sx, 0, 0, sy, -left * sx, -top * sy};

    TEmfReader reader(data, header.U16(56), deviceToFrame, (pxPerMMX + pxPerMMY) / 2);
    size_t offset = headerSize;
    uint64_t records = 1;
    bool ended = false;
    while (!ended && offset < totalBytes) {
        const uint32_t type = data.U32(offset), size = data.U32(offset + 4);
        if (size < 8 || size % 4 || size > totalBytes - offset || ++records > recordCount) RaiseInvalidMetafile();
        reader.Play(data.Sub(offset, size), type);
        ended = type == emr::Eof;
        offset += size;
    }
    if (!ended || records != recordCount) RaiseInvalidMetafile();
    result.Content.Ops = std::move(reader.Ops());
    return result;
}

} // namespace vermaline
