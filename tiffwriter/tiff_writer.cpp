#include "tiffwriter/tiff_writer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "formats/platform/bitmap.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/replacing_file.h"
#include "formats/platform/stream.h"

namespace vermaline {

namespace {

// TIFF field types.
constexpr uint16_t kAscii = 2;
constexpr uint16_t kShort = 3;
constexpr uint16_t kLong = 4;
constexpr uint16_t kRational = 5;

// "II", 42, and the offset of the first directory (8 until the real one is filled in).
constexpr std::array<uint8_t, 8> TifHeader = {0x49, 0x49, 42, 0, 8, 0, 0, 0};
constexpr uint16_t NoOfDirs = 15;
constexpr std::array<uint8_t, 4> NullString = {0, 0, 0, 0};
// 87.7 pixels per inch, numerator then denominator.
constexpr std::array<uint32_t, 2> X_Res_Value = {877, 10};
constexpr std::array<uint32_t, 2> Y_Res_Value = {877, 10};
// Stored without a terminating zero; its directory entry counts exactly these 10 characters.
constexpr std::string_view Software = "Tavel Labs";
constexpr std::array<uint16_t, 3> BitsPerSample = {8, 8, 8};

// Rows are converted into a buffer of about this size and written from there: it stays in the
// cache, and a stream receives few large writes.
constexpr size_t kChunkBytes = size_t(256) << 10;

struct TifEntry {
    uint16_t Tag;
    uint16_t Type;
    uint32_t Count;
    uint32_t Value;  // the value itself (SHORT values in the low 16 bits) or an offset
};
using TifDirectory = std::array<TifEntry, NoOfDirs>;

// ImageWidth and ImageLength are SHORT where they fit and LONG beyond, which TIFF allows for
// both; a SHORT would keep only the low 16 bits of a wider image.
TifEntry Dimension(uint16_t tag, uint32_t value) {
    return {tag, value > 0xFFFF ? kLong : kShort, 1, value};
}

class ByteWriter {
public:
    size_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    void Put16(uint16_t v) { bytes_.insert(bytes_.end(), {uint8_t(v), uint8_t(v >> 8)}); }
    void Put32(uint32_t v) { bytes_.insert(bytes_.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }
    void Put(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    void PutDirectory(const TifDirectory& directory) {
        Put16(NoOfDirs);
        for (const TifEntry& e : directory) {
            Put16(e.Tag);
            Put16(e.Type);
            Put32(e.Count);
            Put32(e.Value);
        }
        Put(NullString.data(), NullString.size());
    }
    void Set32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_.at(at + i) = uint8_t(v >> (8 * i));
    }

private:
    std::vector<uint8_t> bytes_;
};

// The rows the file is made from, top row first. 24- and 32-bit and indexed bitmaps serve their
// own rows; 15- and 16-bit bitmaps are widened to 24 bits first, because TIFF readers expect
// whole bytes per sample and the widening is lossless. Indexed images bring a colour table of
// 2^bits entries.
class TSourceRows {
public:
    explicit TSourceRows(const TBitmap& bitmap) : bitmap_(bitmap), bits_(bitmap.BitsPerPixel()) {
        if (bits_ == 16) {
            try {
                widened_ = bitmap.GetDIB(24, false);
            } catch (const std::bad_alloc&) {
                throw EOutOfMemory(messages::kOutOfMemory);
            }
            bits_ = 24;
        }
        if (bits_ <= 8) {
            const auto palette = bitmap.PaletteEntries();
            colorTable_.resize(size_t(1) << bits_);
            for (size_t i = 0; i < palette.size() && i < colorTable_.size(); ++i)
                colorTable_[i] = {palette[i].peBlue, palette[i].peGreen, palette[i].peRed, 0};
        }
    }
    uint32_t Width() const { return static_cast<uint32_t>(bitmap_.Width()); }
    uint32_t Height() const { return static_cast<uint32_t>(bitmap_.Height()); }
    int BitsPerPixel() const { return bits_; }
    const std::vector<TRGBQuad>& ColorTable() const { return colorTable_; }
    const uint8_t* Row(int y) { return widened_.Bits.empty() ? bitmap_.ScanLine(y) : widened_.Row(y); }

private:
    const TBitmap& bitmap_;
    int bits_;
    TDIBCopy widened_;
    std::vector<TRGBQuad> colorTable_;
};

// Writes the image rows from the top of the image to the bottom, each made of rowBytes bytes
// by convert(source row, output row).
template <typename Convert>
void WriteStrip(TStream& stream, TSourceRows& source, size_t rowBytes, Convert convert) {
    const int height = static_cast<int>(source.Height());
    const size_t rowsPerChunk = std::max<size_t>(1, kChunkBytes / rowBytes);
    std::vector<uint8_t> chunk(std::min<size_t>(rowsPerChunk, static_cast<size_t>(height)) * rowBytes);
    for (int y = 0; y < height;) {
        const int rows = static_cast<int>(std::min<size_t>(rowsPerChunk, static_cast<size_t>(height - y)));
        uint8_t* out = chunk.data();
        for (int i = 0; i < rows; ++i, ++y, out += rowBytes) convert(source.Row(y), out);
        stream.WriteBuffer(chunk.data(), static_cast<int64_t>(out - chunk.data()));
    }
}

#if defined(__x86_64__) || defined(__i386__)
// Four pixels a step with a byte shuffle. Each step reads and writes 16 bytes, so it stops
// where a 16-byte access would pass the end of the input or output row; returns the pixels done.
template <size_t step>
__attribute__((target("ssse3"))) size_t BgrToRgbShuffled(const uint8_t* in, uint8_t* out, size_t pixels) {
    const __m128i order = step == 3 ? _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15)
                                    : _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    size_t x = 0;
    // The last 4 bytes of each store are overwritten by the next step or the scalar rest.
    for (; 3 * x + 16 <= 3 * pixels && step * x + 16 <= step * pixels; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + step * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * x), _mm_shuffle_epi8(v, order));
    }
    return x;
}

bool HaveShuffle() {
    static const bool have = __builtin_cpu_supports("ssse3");
    return have;
}
#endif

// Blue, green, red pixels of `step` bytes become red, green, blue triples.
template <size_t step>
void BgrToRgb(const uint8_t* in, uint8_t* out, size_t pixels) {
    size_t x = 0;
#if defined(__x86_64__) || defined(__i386__)
    if (HaveShuffle()) x = BgrToRgbShuffled<step>(in, out, pixels);
#endif
    for (in += step * x, out += 3 * x; x < pixels; ++x, in += step, out += 3) {
        const uint8_t b = in[0], g = in[1], r = in[2];
        out[0] = r;
        out[1] = g;
        out[2] = b;
    }
}

// Writes the parts in file order: head (the header and the tables before the strip), strip,
// directory. The directory offset is known beforehand, so the header carries it from the
// start; the stream is left just after it, as callers expect.
template <typename WriteStripRows>
void WriteParts(TStream& stream, int64_t start, ByteWriter& head, uint32_t directoryAt, const TifDirectory& directory,
                WriteStripRows writeStrip) {
    head.Set32(4, directoryAt);
    ByteWriter tail;
    tail.PutDirectory(directory);
    // A memory stream takes its full size at once instead of growing with every part.
    if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
        const int64_t end = start + directoryAt + static_cast<int64_t>(tail.Size());
        if (memory->Size() < end) memory->SetSize(end);
    }
    stream.WriteBuffer(head.Bytes().data(), static_cast<int64_t>(head.Size()));
    writeStrip();
    stream.WriteBuffer(tail.Bytes().data(), static_cast<int64_t>(tail.Size()));
    stream.SetPosition(start + 8);
}

// Palette image (1, 4 or 8 bits): colour map, resolutions and software name, then the strip,
// then the directory.
void WritePaletteLayout(TStream& stream, TSourceRows& source, int64_t start) {
    const uint32_t width = source.Width();
    const uint32_t height = source.Height();
    const int bits = source.BitsPerPixel();
    const uint32_t colors = uint32_t(1) << bits;
    const size_t rowBytes = (static_cast<size_t>(width) * bits + 7) / 8;
    const uint32_t stripBytes = static_cast<uint32_t>(rowBytes * height);

    // TIFF colour maps hold 16-bit intensities: the 8-bit value in the high byte.
    ByteWriter head;
    head.Put(TifHeader.data(), TifHeader.size());
    const uint32_t colorMapAt = static_cast<uint32_t>(head.Size());
    for (const TRGBQuad& q : source.ColorTable()) head.Put16(uint16_t(q.rgbRed << 8));
    for (const TRGBQuad& q : source.ColorTable()) head.Put16(uint16_t(q.rgbGreen << 8));
    for (const TRGBQuad& q : source.ColorTable()) head.Put16(uint16_t(q.rgbBlue << 8));
    const uint32_t xResAt = static_cast<uint32_t>(head.Size());
    head.Put32(X_Res_Value[0]);
    head.Put32(X_Res_Value[1]);
    const uint32_t yResAt = static_cast<uint32_t>(head.Size());
    head.Put32(Y_Res_Value[0]);
    head.Put32(Y_Res_Value[1]);
    const uint32_t softwareAt = static_cast<uint32_t>(head.Size());
    head.Put(Software.data(), Software.size());
    const uint32_t stripAt = static_cast<uint32_t>(head.Size());

    const TifDirectory DirectoryCOL = {{
        {254, kLong, 1, 0},                 // NewSubfileType
        Dimension(256, width),              // ImageWidth
        Dimension(257, height),             // ImageLength
        {258, kShort, 1, uint32_t(bits)},   // BitsPerSample
        {259, kShort, 1, 1},                // Compression: none
        {262, kShort, 1, 3},                // PhotometricInterpretation: palette
        {273, kLong, 1, stripAt},           // StripOffsets
        {277, kShort, 1, 1},                // SamplesPerPixel
        {278, kLong, 1, height},            // RowsPerStrip
        {279, kLong, 1, stripBytes},        // StripByteCounts
        {282, kRational, 1, xResAt},        // XResolution
        {283, kRational, 1, yResAt},        // YResolution
        {296, kShort, 1, 2},                // ResolutionUnit: inch
        {305, kAscii, uint32_t(Software.size()), softwareAt},  // Software
        {320, kShort, 3 * colors, colorMapAt},                 // ColorMap
    }};
    WriteParts(stream, start, head, stripAt + stripBytes, DirectoryCOL, [&] {
        WriteStrip(stream, source, rowBytes, [rowBytes](const uint8_t* in, uint8_t* out) { std::memcpy(out, in, rowBytes); });
    });
}

// RGB image (24 or 32 bits): resolutions, bits per sample and software name, then the strip of
// red, green, blue triples, then the directory.
void WriteRgbLayout(TStream& stream, TSourceRows& source, int64_t start) {
    const uint32_t width = source.Width();
    const uint32_t height = source.Height();
    const size_t rowBytes = size_t(3) * width;
    const uint32_t stripBytes = static_cast<uint32_t>(rowBytes * height);

    ByteWriter head;
    head.Put(TifHeader.data(), TifHeader.size());
    const uint32_t xResAt = static_cast<uint32_t>(head.Size());
    head.Put32(X_Res_Value[0]);
    head.Put32(X_Res_Value[1]);
    const uint32_t yResAt = static_cast<uint32_t>(head.Size());
    head.Put32(Y_Res_Value[0]);
    head.Put32(Y_Res_Value[1]);
    const uint32_t bitsAt = static_cast<uint32_t>(head.Size());
    for (uint16_t b : BitsPerSample) head.Put16(b);
    const uint32_t softwareAt = static_cast<uint32_t>(head.Size());
    head.Put(Software.data(), Software.size());
    const uint32_t stripAt = static_cast<uint32_t>(head.Size());

    const TifDirectory DirectoryRGB = {{
        {254, kLong, 1, 0},                 // NewSubfileType
        Dimension(256, width),              // ImageWidth
        Dimension(257, height),             // ImageLength
        {258, kShort, 3, bitsAt},           // BitsPerSample
        {259, kShort, 1, 1},                // Compression: none
        {262, kShort, 1, 2},                // PhotometricInterpretation: RGB
        {273, kLong, 1, stripAt},           // StripOffsets
        {277, kShort, 1, 3},                // SamplesPerPixel
        {278, kLong, 1, height},            // RowsPerStrip
        {279, kLong, 1, stripBytes},        // StripByteCounts
        {282, kRational, 1, xResAt},        // XResolution
        {283, kRational, 1, yResAt},        // YResolution
        {284, kShort, 1, 1},                // PlanarConfiguration: chunky
        {296, kShort, 1, 2},                // ResolutionUnit: inch
        {305, kAscii, uint32_t(Software.size()), softwareAt},  // Software
    }};
    // Left at an odd offset when the strip's length is odd, as this writer has always done;
    // TIFF readers accept a directory at any offset.
    WriteParts(stream, start, head, stripAt + stripBytes, DirectoryRGB, [&] {
        // The fourth byte of 32-bit pixels is dropped.
        if (source.BitsPerPixel() == 32)
            WriteStrip(stream, source, rowBytes, [width](const uint8_t* in, uint8_t* out) { BgrToRgb<4>(in, out, width); });
        else
            WriteStrip(stream, source, rowBytes, [width](const uint8_t* in, uint8_t* out) { BgrToRgb<3>(in, out, width); });
    });
}

} // namespace

void WriteTiffToStream(TStream& stream, const TBitmap& bitmap) {
    if (bitmap.Empty()) return;
    TSourceRows source(bitmap);
    const int64_t start = stream.Position();
    if (source.BitsPerPixel() <= 8)
        WritePaletteLayout(stream, source, start);
    else
        WriteRgbLayout(stream, source, start);
}

void WriteTiffToFile(const std::string& fileName, const TBitmap& bitmap) {
    TReplacingFile file(fileName);
    WriteTiffToStream(file.Stream(), bitmap);
    file.Commit();
}

} // namespace vermaline
