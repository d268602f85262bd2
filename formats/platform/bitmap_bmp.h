#pragma once
// Reading of device-independent bitmaps (an information header, its masks and colour table,
// then the pixels), shared by the BMP file reader and the icon reader.
namespace vermaline {

class TBitmap;
class TStream;

// Reads the device-independent bitmap whose information header starts at the stream's
// position; its pixels follow the colour table. Icon entries store twice the image's height
// (the AND mask follows the colour pixels) and keep alpha in the fourth byte of 32-bit pixels
// whatever the header says; for them the stream is left just after the colour pixels.
// Raises EInvalidGraphic for anything malformed or truncated.
void ReadDIB(TStream& stream, TBitmap& bitmap, bool iconEntry);

} // namespace vermaline
