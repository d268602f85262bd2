#pragma once
// What a metafile draws, independent of its file format: a list of drawing operations in the
// picture's own pixel space, where (0, 0)-(Width, Height) is the frame. The metafile canvas
// records into it, the EMF and WMF readers play their records into it, the writers encode it
// and drawing scales it to the destination rectangle.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/platform/canvas.h"

namespace vermaline {

class TBitmap;

// The resolution of the picture's pixels: metafile sizes are pixels of a 96 dpi device.
inline constexpr int kMetafileDpi = 96;

struct TPointF {
    double X = 0;
    double Y = 0;
};

// Ternary raster operations of the GDI, as both file formats store them.
inline constexpr uint32_t kRopSrcCopy = 0x00CC0020;
inline constexpr uint32_t kRopSrcPaint = 0x00EE0086;
inline constexpr uint32_t kRopSrcAnd = 0x008800C6;
inline constexpr uint32_t kRopSrcInvert = 0x00660046;
inline constexpr uint32_t kRopNotSrcCopy = 0x00330008;
inline constexpr uint32_t kRopPatCopy = 0x00F00021;
inline constexpr uint32_t kRopBlackness = 0x00000042;
inline constexpr uint32_t kRopWhiteness = 0x00FF0062;

enum class TMetafileOpKind : uint8_t { mkFillRect, mkRectangle, mkEllipse, mkPolygon, mkPolyPolygon, mkPolyline, mkBitmap };

struct TMetafileOp {
    TMetafileOpKind Kind = TMetafileOpKind::mkFillRect;
    TPen Pen;       // outline of rectangles, ellipses and polygons; the line of poly-lines
    TBrush Brush;   // interior; FillRect uses only the brush
    // Rectangles, ellipses and bitmaps: two corners, left-top then right-bottom (normalised).
    // Polygons and poly-lines: the vertices. Poly-polygons: all vertices, split by Counts.
    std::vector<TPointF> Points;
    std::vector<uint32_t> Counts;
    std::shared_ptr<const TBitmap> Bitmap;  // mkBitmap: the whole bitmap is drawn into the corners
    uint32_t RasterOp = kRopSrcCopy;        // mkBitmap: how the pixels combine with the destination
};

// A loaded or recorded picture: the operations and the size of its frame in pixels.
struct TMetafileContent {
    std::vector<TMetafileOp> Ops;
    bool HasDescription = false;  // whether the creator and description texts were given
    std::string CreatedBy;
    std::string Description;
};

} // namespace vermaline
