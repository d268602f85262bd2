#pragma once
// Enhanced metafiles (EMF): recognising, reading into drawing operations, and writing.
#include <cstdint>
#include <span>
#include <vector>

#include "formats/platform/metafile_content.h"

namespace vermaline {

// Record types of the records read or written.
namespace emr {
inline constexpr uint32_t Header = 1, Polygon = 3, Polyline = 4, PolylineTo = 6, PolyPolyline = 7, PolyPolygon = 8,
                          SetWindowExtEx = 9, SetWindowOrgEx = 10, SetViewportExtEx = 11, SetViewportOrgEx = 12,
                          Eof = 14, SetMapMode = 17, MoveToEx = 27, ScaleViewportExtEx = 31, ScaleWindowExtEx = 32,
                          SaveDC = 33, CreatePalette = 49, ExtCreateFontIndirectW = 82, RestoreDC = 34, SetWorldTransform = 35, ModifyWorldTransform = 36,
                          SelectObject = 37, CreatePen = 38, CreateBrushIndirect = 39, DeleteObject = 40,
                          Ellipse = 42, Rectangle = 43, LineTo = 54, BitBlt = 76, StretchBlt = 77,
                          SetDIBitsToDevice = 80, StretchDIBits = 81, Polygon16 = 86, Polyline16 = 87,
                          PolylineTo16 = 89, PolyPolyline16 = 90, PolyPolygon16 = 91, CreateMonoBrush = 93,
                          CreateDIBPatternBrushPt = 94, ExtCreatePen = 95;
inline constexpr uint32_t kSignature = 0x464D4520;  // " EMF"
inline constexpr uint32_t kStockObject = 0x80000000;
} // namespace emr

struct TLoadedMetafile {
    TMetafileContent Content;
    int Width = 0;   // the frame, in pixels at 96 dpi
    int Height = 0;
};

// Whether the bytes start with an EMF header record (type 1, " EMF" signature at offset 40).
bool IsEmf(std::span<const uint8_t> bytes);
// Plays the records; raises EInvalidGraphic "Métafichier incorrect" for malformed data.
TLoadedMetafile ReadEmf(std::span<const uint8_t> bytes);
// The EMF of the operations, with the frame (0, 0)-(width, height) pixels at 96 dpi.
std::vector<uint8_t> WriteEmf(const TMetafileContent& content, int width, int height);

} // namespace vermaline
