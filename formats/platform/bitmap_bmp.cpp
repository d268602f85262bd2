// The BMP file format: reading every variant of the format (OS/2 1.x and 2.x headers, Windows
// headers v1 to v5, 1 to 32 bits per pixel, RLE4 and RLE8, bit-field masks, top-down rows)
// and writing an uncompressed file with a 40-byte information header.
#include "formats/platform/bitmap_bmp.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <span>
#include <vector>

#include "formats/platform/bitmap.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/stream.h"

namespace vermaline {

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;
constexpr int64_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kLargestHeader = 124;

using Masks = std::array<uint32_t, 4>;  // red, green, blue, alpha
constexpr Masks kMasks555 = {0x7C00, 0x03E0, 0x001F, 0};
constexpr Masks kMasks565 = {0xF800, 0x07E0, 0x001F, 0};
constexpr Masks kMasks888 = {0xFF0000, 0x00FF00, 0x0000FF, 0};
constexpr Masks kMasks8888 = {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000};

[[noreturn]] void Invalid() { throw EInvalidGraphic(messages::kInvalidBitmap); }

uint16_t Word(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t DWord(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
void PutWord(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void PutDWord(uint8_t* p, uint32_t v) {
    PutWord(p, v);
    PutWord(p + 2, v >> 16);
}

void ReadExactly(TStream& stream, void* buffer, int64_t count) {
    if (count > 0 && stream.Read(buffer, count) != count) Invalid();
}

// What the information header (and the masks after a 40-byte one) says.
struct DIBHeader {
    uint32_t size = 0;
    int64_t width = 0;
    int64_t height = 0;  // rows of the image, positive
    bool topDown = false;
    int bits = 0;
    uint32_t compression = kBiRgb;
    uint32_t colorsUsed = 0;
    Masks masks{};
    int entrySize = 4;  // bytes of one colour-table entry
};

bool IsWindowsHeaderSize(uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

DIBHeader ReadInfoHeader(TStream& stream) {
    std::array<uint8_t, kLargestHeader> raw{};
    ReadExactly(stream, raw.data(), 4);
    DIBHeader h;
    h.size = DWord(raw.data());
    if (h.size == kCoreHeaderSize) {
        // OS/2 1.x: 16-bit unsigned sizes, no compression, 3-byte colour entries.
        ReadExactly(stream, raw.data() + 4, 8);
        h.width = Word(&raw[4]);
        h.height = Word(&raw[6]);
        h.bits = Word(&raw[10]);
        h.entrySize = 3;
        return h;
    }
    // OS/2 2.x headers may stop after any field from the bit count on; what is left out is 0.
    const bool os2 = !IsWindowsHeaderSize(h.size);
    if (os2 && (h.size < 16 || h.size > 64)) Invalid();
    ReadExactly(stream, raw.data() + 4, h.size - 4);
    const auto width = static_cast<int32_t>(DWord(&raw[4]));
    const auto height = static_cast<int32_t>(DWord(&raw[8]));
    h.width = width;
    if (height == std::numeric_limits<int32_t>::min()) Invalid();
    h.topDown = height < 0;
    h.height = height < 0 ? -int64_t(height) : height;
    h.bits = Word(&raw[14]);
    h.compression = DWord(&raw[16]);
    h.colorsUsed = DWord(&raw[32]);
    // In OS/2 2.x headers 3 is Huffman 1D and 4 is RLE24, both unsupported here.
    if (os2 && h.compression > kBiRle4) Invalid();
    const bool bitfields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    if (bitfields) {
        if (h.size == kInfoHeaderSize) {
            std::array<uint8_t, 16> masks{};
            const int count = h.compression == kBiAlphaBitfields ? 4 : 3;
            ReadExactly(stream, masks.data(), 4 * count);
            for (int i = 0; i < count; ++i) h.masks[i] = DWord(&masks[4 * i]);
        } else {
            for (int i = 0; i < 3; ++i) h.masks[i] = DWord(&raw[40 + 4 * i]);
            if (h.size >= 56) h.masks[3] = DWord(&raw[52]);
        }
    }
    return h;
}

// How the stored pixels become the bitmap's rows.
enum class Route : uint8_t {
    Direct,   // rows copied as they are
    Expand2,  // 2-bit indices widened to 4 bits
    Masks,    // pixels taken apart by bit masks
    Rle8,
    Rle4,
};

struct Plan {
    Route route = Route::Direct;
    TPixelFormat format = TPixelFormat::pf24bit;
    bool alphaDefined = false;
    Masks masks{};
};

Plan PlanDecoding(DIBHeader& h, bool iconEntry) {
    Plan p;
    switch (h.compression) {
    case kBiRgb:
        switch (h.bits) {
        case 1: p.format = TPixelFormat::pf1bit; break;
        case 2: p.format = TPixelFormat::pf4bit; p.route = Route::Expand2; break;
        case 4: p.format = TPixelFormat::pf4bit; break;
        case 8: p.format = TPixelFormat::pf8bit; break;
        case 16: p.format = TPixelFormat::pf15bit; break;
        case 24: p.format = TPixelFormat::pf24bit; break;
        case 32: p.format = TPixelFormat::pf32bit; p.alphaDefined = iconEntry; break;
        default: Invalid();
        }
        return p;
    case kBiRle8:
        // Icon images are stored uncompressed; a compressed one could claim any size in a few bytes.
        if (h.bits != 8 || iconEntry) Invalid();
        p.format = TPixelFormat::pf8bit;
        p.route = Route::Rle8;
        return p;
    case kBiRle4:
        if (h.bits != 4 || iconEntry) Invalid();
        p.format = TPixelFormat::pf4bit;
        p.route = Route::Rle4;
        return p;
    case kBiBitfields:
    case kBiAlphaBitfields: {
        Masks m = h.masks;
        if ((m[0] | m[1] | m[2]) == 0) {
            // No colour masks at all: the depth's ordinary layout.
            if (h.bits == 16) m = kMasks555;
            else if (h.bits == 24 || h.bits == 32) m = kMasks888;
        }
        if (h.bits == 24 || h.bits == 16) {
            // Bits above the pixel cannot be set.
            const uint32_t limit = h.bits == 16 ? 0xFFFFu : 0xFFFFFFu;
            for (auto& mask : m) mask &= limit;
        } else if (h.bits != 32) {
            Invalid();
        }
        p.masks = m;
        p.alphaDefined = m[3] != 0 || (iconEntry && h.bits == 32);
        if (h.bits == 16 && m == kMasks555) p.format = TPixelFormat::pf15bit;
        else if (h.bits == 16 && m == kMasks565) p.format = TPixelFormat::pf16bit;
        else if (h.bits == 24 && m == kMasks888) p.format = TPixelFormat::pf24bit;
        else if (h.bits == 32 && (m == kMasks888 || m == kMasks8888)) p.format = TPixelFormat::pf32bit;
        else {
            p.route = Route::Masks;
            p.format = m[3] != 0 ? TPixelFormat::pf32bit : TPixelFormat::pf24bit;
        }
        return p;
    }
    default: Invalid();
    }
}

// Scales one masked field of a pixel to 8 bits: narrow fields repeat their bits (all ones give
// 255), as the bitmap widens its 5-5-5 and 5-6-5 layouts; wider fields are rounded.
class FieldScaler {
public:
    explicit FieldScaler(uint32_t mask) {
        if (mask == 0) return;
        shift_ = std::countr_zero(mask);
        int width = std::bit_width(mask >> shift_);
        if (width > 16) {  // the low bits cannot reach an 8-bit sample
            shift_ += width - 16;
            width = 16;
        }
        mask_ = mask;
        table_.resize(size_t(1) << width);
        const uint32_t top = uint32_t(table_.size() - 1);
        for (uint32_t v = 0; v <= top; ++v) {
            if (width > 8) {
                table_[v] = uint8_t((v * 255 + top / 2) / top);
                continue;
            }
            uint32_t repeated = 0;
            int filled = 0;
            for (; filled < 8; filled += width) repeated = (repeated << width) | v;
            table_[v] = uint8_t(repeated >> (filled - 8));
        }
    }
    uint8_t operator()(uint32_t pixel) const {
        if (table_.empty()) return 0;
        const uint32_t v = (pixel & mask_) >> shift_;
        return table_[std::min<size_t>(v, table_.size() - 1)];
    }

private:
    uint32_t mask_ = 0;
    int shift_ = 0;
    std::vector<uint8_t> table_;
};

void DecodeMaskedRow(const uint8_t* in, uint8_t* out, int width, int bytesPerPixel, const std::array<FieldScaler, 4>& f,
                     bool withAlpha) {
    const int outBytes = withAlpha ? 4 : 3;
    for (int x = 0; x < width; ++x, in += bytesPerPixel, out += outBytes) {
        uint32_t pixel = in[0] | (uint32_t(in[1]) << 8);
        if (bytesPerPixel > 2) pixel |= uint32_t(in[2]) << 16;
        if (bytesPerPixel > 3) pixel |= uint32_t(in[3]) << 24;
        out[0] = f[2](pixel);
        out[1] = f[1](pixel);
        out[2] = f[0](pixel);
        if (withAlpha) out[3] = f[3](pixel);
    }
}

void ExpandTwoBitRow(const uint8_t* in, uint8_t* out, int width) {
    for (int x = 0; x < width; x += 2) {
        const unsigned a = (in[x >> 2] >> (6 - 2 * (x & 3))) & 3;
        const unsigned b = x + 1 < width ? (in[(x + 1) >> 2] >> (6 - 2 * ((x + 1) & 3))) & 3 : 0;
        out[x >> 1] = uint8_t((a << 4) | b);
    }
}

// Expands RLE8 or RLE4 data into the rows of an indexed bitmap. Pixels that a delta or an early
// end of line or of bitmap skips keep index 0; runs past the end of a row are cut there.
void DecodeRle(std::span<const uint8_t> data, TBitmap& bitmap, bool rle4, bool topDown) {
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    for (int y = 0; y < height; ++y) std::memset(bitmap.ScanLine(y), 0, bitmap.RowStride());
    int64_t row = 0;
    int64_t x = 0;
    uint8_t* line = bitmap.ScanLine(topDown ? 0 : height - 1);
    const auto put = [&](unsigned index) {
        if (x >= width) return;
        if (rle4) line[x >> 1] = uint8_t(line[x >> 1] | (index << ((x & 1) ? 0 : 4)));
        else line[x] = uint8_t(index);
        ++x;
    };
    const auto moveTo = [&](int64_t newRow) {
        row = newRow;
        if (row < height) line = bitmap.ScanLine(static_cast<int>(topDown ? row : height - 1 - row));
    };
    size_t i = 0;
    while (true) {
        if (data.size() - i < 2) Invalid();  // the data ends before the end-of-bitmap escape
        const unsigned count = data[i];
        const unsigned value = data[i + 1];
        i += 2;
        if (count != 0) {
            for (unsigned k = 0; k < count && x < width; ++k) put(rle4 ? ((k & 1) ? value & 15 : value >> 4) : value);
        } else if (value == 0) {  // end of line
            x = 0;
            moveTo(row + 1);
            if (row >= height) return;
        } else if (value == 1) {  // end of bitmap
            return;
        } else if (value == 2) {  // delta: move right and up (down the stored rows)
            if (data.size() - i < 2) Invalid();
            const int64_t right = data[i];
            const int64_t down = data[i + 1];
            i += 2;
            if (row + down >= height) Invalid();
            x = std::min<int64_t>(x + right, width);
            moveTo(row + down);
        } else {  // absolute run of 'value' pixels, padded to a 16-bit boundary
            const size_t bytes = rle4 ? (value + 1) / 2 : value;
            if (data.size() - i < bytes) Invalid();
            for (unsigned k = 0; k < value && x < width; ++k)
                put(rle4 ? ((k & 1) ? data[i + k / 2] & 15 : data[i + k / 2] >> 4) : data[i + k]);
            i += bytes + (bytes & 1);
            i = std::min(i, data.size());
        }
    }
}

bool AnyAlpha(const TBitmap& bitmap) {
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x)
            if (row[4 * x + 3] != 0) return true;
    }
    return false;
}

// Reads the bitmap after its information header; pixelOffset < 0 means the pixels follow the
// colour table, else it is the absolute stream position the file header gives for them.
void ReadBitmapBody(TStream& stream, TBitmap& bitmap, int64_t pixelOffset, bool iconEntry) {
    DIBHeader h = ReadInfoHeader(stream);
    if (iconEntry) h.height /= 2;
    if (h.width <= 0 || h.height <= 0) Invalid();
    const Plan plan = PlanDecoding(h, iconEntry);
    const int64_t headerEnd = stream.Position();

    // The colour table: as many entries as the header says, no more than the depth can index.
    int64_t entries = h.bits <= 8 ? (h.colorsUsed != 0 ? int64_t(h.colorsUsed) : int64_t(1) << h.bits) : h.colorsUsed;
    int64_t kept = h.bits <= 8 ? std::min<int64_t>(entries, int64_t(1) << h.bits) : 0;
    int64_t pixels = headerEnd + entries * h.entrySize;
    if (pixelOffset >= 0) {
        if (pixelOffset < headerEnd) Invalid();
        // An offset just past the header forgets the colour table that must follow it.
        if (!(pixelOffset == headerEnd && h.bits <= 8)) {
            kept = std::min<int64_t>(kept, (pixelOffset - headerEnd) / h.entrySize);
            pixels = pixelOffset;
        }
    }
    std::vector<TPaletteEntry> palette(static_cast<size_t>(kept));
    if (kept > 0) {
        std::vector<uint8_t> table(static_cast<size_t>(kept * h.entrySize));
        ReadExactly(stream, table.data(), static_cast<int64_t>(table.size()));
        for (size_t i = 0; i < palette.size(); ++i) {
            const uint8_t* e = &table[i * h.entrySize];
            palette[i] = {e[2], e[1], e[0], 0};
        }
    }

    CheckImageSize(h.width, h.height, BitsPerPixel(plan.format));
    const int64_t streamSize = stream.Size();
    if (pixels > streamSize) Invalid();
    const int64_t available = streamSize - pixels;
    const size_t fileStride = BytesPerScanLine(h.width, h.bits);
    const size_t rowBytes = static_cast<size_t>((h.width * h.bits + 7) / 8);
    const bool rle = plan.route == Route::Rle8 || plan.route == Route::Rle4;
    // Uncompressed rows must all be there (the last one may lack its padding).
    if (!rle && static_cast<uint64_t>(available) < uint64_t(fileStride) * uint64_t(h.height - 1) + rowBytes) Invalid();
    stream.SetPosition(pixels);

    const int width = static_cast<int>(h.width);
    const int height = static_cast<int>(h.height);
    bitmap.Reset(width, height, plan.format, palette);
    if (rle) {
        std::vector<uint8_t> data(static_cast<size_t>(available));
        ReadExactly(stream, data.data(), available);
        DecodeRle(data, bitmap, plan.route == Route::Rle4, h.topDown);
    } else if (plan.route == Route::Direct) {
        for (int i = 0; i < height; ++i) {
            uint8_t* row = bitmap.ScanLine(h.topDown ? i : height - 1 - i);
            ReadExactly(stream, row, static_cast<int64_t>(rowBytes));
            std::memset(row + rowBytes, 0, bitmap.RowStride() - rowBytes);
            if (i + 1 < height) stream.Seek(static_cast<int64_t>(fileStride - rowBytes), TSeekOrigin::soCurrent);
        }
    } else {
        std::vector<uint8_t> buffer(fileStride);
        const std::array<FieldScaler, 4> fields = {FieldScaler(plan.masks[0]), FieldScaler(plan.masks[1]),
                                                   FieldScaler(plan.masks[2]), FieldScaler(plan.masks[3])};
        for (int i = 0; i < height; ++i) {
            ReadExactly(stream, buffer.data(), static_cast<int64_t>(i + 1 < height ? fileStride : rowBytes));
            uint8_t* row = bitmap.ScanLine(h.topDown ? i : height - 1 - i);
            if (plan.route == Route::Expand2) ExpandTwoBitRow(buffer.data(), row, width);
            else DecodeMaskedRow(buffer.data(), row, width, h.bits / 8, fields, plan.format == TPixelFormat::pf32bit);
        }
    }
    if (plan.format == TPixelFormat::pf32bit && plan.alphaDefined) bitmap.SetAlphaChannel(AnyAlpha(bitmap));
    if (iconEntry && !rle) stream.SetPosition(pixels + static_cast<int64_t>(fileStride) * height);
}

} // namespace

void ReadDIB(TStream& stream, TBitmap& bitmap, bool iconEntry) {
    ReadBitmapBody(stream, bitmap, -1, iconEntry);
}

void TBitmap::LoadFromStream(TStream& stream) {
    const int64_t start = stream.Position();
    uint8_t header[kFileHeaderSize];
    ReadExactly(stream, header, kFileHeaderSize);
    if (header[0] != 'B' || header[1] != 'M') Invalid();
    const uint32_t offBits = DWord(&header[10]);
    ReadBitmapBody(stream, *this, offBits == 0 ? -1 : start + int64_t(offBits), false);
    Changed();
}

void TBitmap::SaveToStream(TStream& stream) {
    if (Empty()) return;
    int bits;
    uint32_t compression = kBiRgb;
    size_t masksSize = 0;
    switch (format_) {
    case TPixelFormat::pf1bit: bits = 1; break;
    case TPixelFormat::pf4bit: bits = 4; break;
    case TPixelFormat::pf8bit: bits = 8; break;
    case TPixelFormat::pf15bit: bits = 16; break;
    case TPixelFormat::pf16bit: bits = 16; compression = kBiBitfields; masksSize = 12; break;
    case TPixelFormat::pf32bit: bits = 32; break;
    default: bits = 24; break;
    }
    const size_t colors = IsIndexed(format_) ? palette_.size() : 0;
    const uint64_t imageSize = uint64_t(stride_) * uint64_t(height_);
    const uint64_t offBits = kFileHeaderSize + kInfoHeaderSize + masksSize + 4 * colors;
    const uint64_t fileSize = offBits + imageSize;
    if (fileSize > std::numeric_limits<uint32_t>::max()) throw EInvalidGraphic(Format(messages::kImageTooLarge, width_, height_));

    std::vector<uint8_t> head(static_cast<size_t>(offBits), 0);
    head[0] = 'B';
    head[1] = 'M';
    PutDWord(&head[2], static_cast<uint32_t>(fileSize));
    PutDWord(&head[10], static_cast<uint32_t>(offBits));
    uint8_t* info = &head[kFileHeaderSize];
    PutDWord(info, kInfoHeaderSize);
    PutDWord(info + 4, static_cast<uint32_t>(width_));
    PutDWord(info + 8, static_cast<uint32_t>(height_));  // positive: bottom-up rows
    PutWord(info + 12, 1);
    PutWord(info + 14, static_cast<uint32_t>(bits));
    PutDWord(info + 16, compression);
    PutDWord(info + 20, static_cast<uint32_t>(imageSize));
    // Resolution fields stay 0: the bitmap holds no resolution of its own.
    PutDWord(info + 32, static_cast<uint32_t>(colors));
    uint8_t* tail = info + kInfoHeaderSize;
    if (masksSize != 0) {
        PutDWord(tail, kMasks565[0]);
        PutDWord(tail + 4, kMasks565[1]);
        PutDWord(tail + 8, kMasks565[2]);
        tail += masksSize;
    }
    for (size_t i = 0; i < colors; ++i) {
        tail[4 * i] = palette_[i].peBlue;
        tail[4 * i + 1] = palette_[i].peGreen;
        tail[4 * i + 2] = palette_[i].peRed;
    }
    stream.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));

    // Rows bottom-up, with zero padding whatever the bitmap's padding bytes hold.
    const size_t rowBytes = (static_cast<size_t>(width_) * bits + 7) / 8;
    const std::array<uint8_t, 4> zeros{};
    for (int y = height_ - 1; y >= 0; --y) {
        stream.WriteBuffer(ScanLine(y), static_cast<int64_t>(rowBytes));
        stream.WriteBuffer(zeros.data(), static_cast<int64_t>(stride_ - rowBytes));
    }
}

} // namespace vermaline
