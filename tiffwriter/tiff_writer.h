#pragma once
// Writes a bitmap as an uncompressed, single-strip, little-endian TIFF file with one image:
// a palette image for 1-, 4- and 8-bit bitmaps, an RGB image (8 bits a sample) for every
// other depth.
#include <string>

namespace vermaline {

class TBitmap;
class TStream;

// Writes the TIFF file from the stream's current position on; the offsets inside the file
// count from that position. Leaves the stream just after the header's directory offset (8
// bytes past where writing began). An empty bitmap writes nothing. Stream errors propagate.
// Safe to call from several threads at once on different streams.
void WriteTiffToStream(TStream& stream, const TBitmap& bitmap);

// Writes the TIFF file under fileName, replacing any file of that name only once the new one is
// complete: on failure an existing file is left as it was and the error propagates.
void WriteTiffToFile(const std::string& fileName, const TBitmap& bitmap);

} // namespace vermaline
