#pragma once
// Device-independent bitmaps inside metafile records: decoding them (through the BMP reader,
// by giving it a BMP file built in memory), taking part of one, and encoding a bitmap as the
// BITMAPINFO and pixel rows the bitmap records carry.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "formats/platform/graphics_types.h"

namespace vermaline {

class TBitmap;

struct TDecodedDIB {
    std::shared_ptr<TBitmap> Bitmap;
    bool BottomUp = true;  // source rectangles of DIB transfers count rows from the bottom then
};

// A DIB whose BITMAPINFO (header, masks, colour table) and pixels are stored apart (EMF).
TDecodedDIB DecodeDIB(std::span<const uint8_t> bitmapInfo, std::span<const uint8_t> bits);
// A packed DIB (WMF): the pixels follow the colour table.
TDecodedDIB DecodePackedDIB(std::span<const uint8_t> dib);

// The part srcRect (top-down pixel rows) of a bitmap, mirrored as asked; the bitmap itself
// when nothing changes. srcRect must lie inside the bitmap.
std::shared_ptr<const TBitmap> CropBitmap(const std::shared_ptr<const TBitmap>& bitmap, const TRect& srcRect,
                                          bool mirrorX, bool mirrorY);

// A bitmap as a BITMAPINFO (40-byte header and colour table) and bottom-up rows. 1-, 4-, 8-
// and 24-bit bitmaps keep their depth; other depths are stored as 24 bits, alpha bitmaps
// composited over white since the metafile bitmap transfer has no alpha.
struct TEncodedDIB {
    std::vector<uint8_t> Info;
    std::vector<uint8_t> Bits;
};
TEncodedDIB EncodeDIB(const TBitmap& bitmap);

} // namespace vermaline
