#pragma once
// Windows metafiles (WMF), with or without the Aldus placeable header: recognising, reading
// into drawing operations, and writing.
#include <cstdint>
#include <span>
#include <vector>

#include "formats/platform/emf_format.h"

namespace vermaline {

// Record functions of the records read or written.
namespace meta {
inline constexpr uint16_t Eof = 0x0000, SaveDC = 0x001E, CreatePalette = 0x00F7, SetMapMode = 0x0103,
                          RestoreDC = 0x0127, SelectObject = 0x012D, DIBCreatePatternBrush = 0x0142,
                          DeleteObject = 0x01F0, CreatePatternBrush = 0x01F9, SetWindowOrg = 0x020B,
                          SetWindowExt = 0x020C, SetViewportOrg = 0x020D, SetViewportExt = 0x020E,
                          OffsetWindowOrg = 0x020F, OffsetViewportOrg = 0x0211, LineTo = 0x0213, MoveTo = 0x0214,
                          CreatePenIndirect = 0x02FA, CreateFontIndirect = 0x02FB, CreateBrushIndirect = 0x02FC,
                          Polygon = 0x0324, Polyline = 0x0325, ScaleWindowExt = 0x0410, ScaleViewportExt = 0x0412,
                          Ellipse = 0x0418, Rectangle = 0x041B, PolyPolygon = 0x0538, PatBlt = 0x061D,
                          CreateRegion = 0x06FF, DIBBitBlt = 0x0940, DIBStretchBlt = 0x0B41, SetDIBToDev = 0x0D33,
                          StretchDIB = 0x0F43;
inline constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
inline constexpr size_t kPlaceableSize = 22;
inline constexpr size_t kHeaderSize = 18;
} // namespace meta

// Whether the bytes start with a placeable header key or a WMF header.
bool IsWmf(std::span<const uint8_t> bytes);
// Plays the records; raises EInvalidGraphic "Métafichier incorrect" for malformed data.
TLoadedMetafile ReadWmf(std::span<const uint8_t> bytes);
// A placeable WMF of the operations: bounding box (0, 0)-(width, height) at 96 units per inch.
// Raises EInvalidGraphic when a coordinate does not fit the format's 16 bits.
std::vector<uint8_t> WriteWmf(const TMetafileContent& content, int width, int height);

} // namespace vermaline
