#pragma once
// The device context both metafile readers play their records into: mapping mode, window and
// viewport, world transform, selected pen and brush, current position and the saved states.
// Drawing calls take logical coordinates and append operations in the picture's pixel space.
#include <cstdint>
#include <span>
#include <vector>

#include "formats/platform/metafile_content.h"
#include "formats/platform/metafile_dib.h"

namespace vermaline {

// Mapping modes, as both formats number them.
inline constexpr int kMapModeText = 1;
inline constexpr int kMapModeLoMetric = 2;
inline constexpr int kMapModeHiMetric = 3;
inline constexpr int kMapModeLoEnglish = 4;
inline constexpr int kMapModeHiEnglish = 5;
inline constexpr int kMapModeTwips = 6;
inline constexpr int kMapModeIsotropic = 7;
inline constexpr int kMapModeAnisotropic = 8;

// An affine transform in the GDI's row-vector convention: x' = x*M11 + y*M21 + Dx.
struct TXForm {
    double M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;
    TPointF Apply(TPointF p) const { return {p.X * M11 + p.Y * M21 + Dx, p.X * M12 + p.Y * M22 + Dy}; }
    bool Finite() const;
};
// The transform that applies first, then then.
TXForm Compose(const TXForm& first, const TXForm& then);

// A pen as a metafile describes it: width in logical units (0 is one pixel whatever the scale).
struct TLogicalPen {
    bool Null = false;
    double Width = 0;
    TColor Color = clBlack;
};

enum class TGdiObjectKind : uint8_t { okPen, okBrush, okOther };

// An entry of a metafile's object table. Fonts, palettes, regions and pattern brushes are kept
// as okOther so that the table's indices stay right; selecting a pattern brush gives no fill.
struct TGdiObject {
    TGdiObjectKind Kind = TGdiObjectKind::okOther;
    TLogicalPen Pen;
    TBrush Brush;
};

// Pen and brush from their stored style and COLORREF. Dashed pens draw solid, hatched brushes
// fill with their colour; null styles draw nothing.
TGdiObject MakePenObject(uint32_t style, double width, uint32_t colorRef);
TGdiObject MakeBrushObject(uint32_t style, uint32_t colorRef);
// The GDI's stock objects (index without the 0x80000000 flag); okOther when not a pen or brush.
TGdiObject StockObject(uint32_t index);

class TMetafilePlayer {
public:
    // deviceToFrame maps device units to the picture's pixels; devicePixelsPerMM serves the
    // metric and English mapping modes.
    TMetafilePlayer(const TXForm& deviceToFrame, double devicePixelsPerMM, int mapMode);

    void SetMapMode(int mode);
    void SetWindowOrg(double x, double y) { state_.WindowOrg = {x, y}; }
    void SetViewportOrg(double x, double y) { state_.ViewportOrg = {x, y}; }
    // Extents with a zero component are refused, as the GDI does.
    void SetWindowExt(double x, double y);
    void SetViewportExt(double x, double y);
    void OffsetWindowOrg(double dx, double dy);
    void OffsetViewportOrg(double dx, double dy);
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void SetWorldTransform(const TXForm& xform);
    // mode: 1 identity, 2 xform applied before the current one, 3 after it, 4 replace.
    void ModifyWorldTransform(const TXForm& xform, uint32_t mode);
    void SaveDC();
    // relative < 0: that many levels back; relative > 0: the state saved at that level.
    void RestoreDC(int relative);

    void Select(const TGdiObject& object);

    void Rectangle(TPointF a, TPointF b);
    void Ellipse(TPointF a, TPointF b);
    void Polygon(std::span<const TPointF> points);
    void PolyPolygon(std::span<const TPointF> points, std::span<const uint32_t> counts);
    void Polyline(std::span<const TPointF> points);
    void MoveTo(TPointF p) { state_.Position = p; }
    void LineTo(TPointF p);
    void PolylineTo(std::span<const TPointF> points);
    // A pattern transfer: PATCOPY with the brush, BLACKNESS, WHITENESS; other operations are skipped.
    void PatBlt(TPointF origin, TPointF size, uint32_t rop);
    // Transfers the source rectangle of a DIB to the destination rectangle (logical origin and
    // size, negative sizes mirror). sourceFromBottom: ySrc counts from the bottom row of a
    // bottom-up DIB, as the DIB transfers do. Raster operations other than the plain, inverted,
    // AND, OR and XOR copies are skipped.
    void Bitmap(TPointF origin, TPointF size, const TDecodedDIB& dib, int64_t xSrc, int64_t ySrc, int64_t cxSrc,
                int64_t cySrc, bool sourceFromBottom, uint32_t rop);

    std::vector<TMetafileOp>& Ops() { return ops_; }

private:
    struct TState {
        int MapMode = kMapModeText;
        TPointF WindowOrg{0, 0};
        TPointF WindowExt{1, 1};
        TPointF ViewportOrg{0, 0};
        TPointF ViewportExt{1, 1};
        TXForm World;
        TLogicalPen Pen;
        TBrush Brush;
        TPointF Position{0, 0};
    };

    TXForm LogicalToFrame() const;
    TPen FramePen(const TXForm& map) const;
    std::vector<TPointF> Map(std::span<const TPointF> points, const TXForm& map) const;
    void Add(TMetafileOpKind kind, std::vector<TPointF> points, bool withPen, bool withBrush);

    TXForm deviceToFrame_;
    double devicePixelsPerMM_;
    TState state_;
    std::vector<TState> saved_;
    std::vector<TMetafileOp> ops_;
};

} // namespace vermaline
