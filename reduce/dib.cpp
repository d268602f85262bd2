#include "reduce/dib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "formats/platform/exceptions.h"
#include "formats/platform/stream.h"
#include "reduce/dib_helpers.h"
#include "reduce/gif_error.h"

namespace vermaline {

namespace {

constexpr int64_t kInfoHeaderSize = 40;
constexpr int64_t kFileHeaderSize = 14;
constexpr int64_t kColorTableEntries = 256;

void Put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

} // namespace

TDIBReader::TDIBReader(TBitmap& bitmap, TPixelFormat format) : TDIB(bitmap, format) {
    bitmap.SetPixelFormat(format);
}

uint8_t* TDIBReader::RowAddress(int y) { return BoundBitmap().ScanLine(y); }

TDIBWriter::TDIBWriter(TBitmap& bitmap, TPixelFormat format, int32_t width, int32_t height, HPALETTE palette)
    : TDIB(bitmap, format) {
    if (format != TPixelFormat::pf8bit && format != TPixelFormat::pf24bit) RaiseGifError(sInvalidPixelFormat);
    // A negative width has no meaning in a DIB header; a negative height is a top-down DIB.
    if (width <= 0 || height == 0) RaiseGifError(sBadDimension);
    targetWidth_ = width;
    targetHeight_ = height;
    sourcePalette_ = std::move(palette);
}

TDIBWriter::~TDIBWriter() {
    try {
        Commit();
    } catch (...) {
        // Only running out of memory can fail here; the bitmap then keeps its old content.
    }
}

void TDIBWriter::Commit() {
    StoreIntoBitmap();
    ReleaseImage();
}

int TDIBWriter::BitsPerPixel() const { return BoundFormat() == TPixelFormat::pf8bit ? 8 : 24; }

void TDIBWriter::AllocateImage() {
    ReleaseImage();
    try {
        const bool indexed = BoundFormat() == TPixelFormat::pf8bit;
        const int bits = BitsPerPixel();
        headerBlockSize_ = indexed ? kInfoHeaderSize + 4 * kColorTableEntries : kInfoHeaderSize;
        headerBlock_.assign(static_cast<size_t>(headerBlockSize_), 0);
        uint8_t* h = headerBlock_.data();
        Put32(h + 0, uint32_t(kInfoHeaderSize));
        Put32(h + 4, uint32_t(targetWidth_));
        Put32(h + 8, uint32_t(targetHeight_));
        Put16(h + 12, 1);
        Put16(h + 14, uint16_t(bits));
        // Compression (uncompressed RGB), image size and both resolutions stay zero.
        if (indexed) {
            unsigned n = 0;
            if (sourcePalette_) {
                n = std::min<unsigned>(GetPaletteEntryCount(sourcePalette_), unsigned(kColorTableEntries));
                std::vector<TPaletteEntry> entries(n);
                n = GetPaletteEntries(sourcePalette_, 0, n, entries.data());
                uint8_t* table = h + kInfoHeaderSize;
                for (unsigned i = 0; i < n; ++i) {
                    table[4 * i + 0] = entries[i].peRed;
                    table[4 * i + 1] = entries[i].peGreen;
                    table[4 * i + 2] = entries[i].peBlue;
                    table[4 * i + 3] = entries[i].peFlags;
                }
                SwapRedBlue(std::span<uint8_t>(table, 4 * size_t(n)));
            }
            Put32(h + 32, uint32_t(kColorTableEntries));
            Put32(h + 36, n);
        }
        const int64_t rows = std::abs(int64_t(targetHeight_));
        pixelBlockSize_ = RowBytes(targetWidth_, bits, 32) * rows;
        // Refuse what the platform could never hold instead of asking for it.
        if (uint64_t(targetWidth_) * uint64_t(rows) > kMaxImagePixels || uint64_t(pixelBlockSize_) > kMaxImageBytes)
            throw EOutOfMemory(sOutOfMemDIB);
        try {
            pixelBlock_ = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(pixelBlockSize_));
        } catch (const std::bad_alloc&) {
            throw EOutOfMemory(sOutOfMemDIB);
        }
    } catch (...) {
        ReleaseImage();
        throw;
    }
}

void TDIBWriter::ReleaseImage() {
    headerBlock_.clear();
    headerBlock_.shrink_to_fit();
    pixelBlock_.reset();
    headerBlockSize_ = 0;
    pixelBlockSize_ = 0;
}

void TDIBWriter::EnsureImage() {
    if (!pixelBlock_) AllocateImage();
}

uint8_t* TDIBWriter::RowAddress(int y) {
    EnsureImage();
    if (!pixelBlock_) RaiseGifError(sNoDIB);
    const int64_t height = targetHeight_;
    if (y < 0 || y >= std::abs(height)) throw EInvalidGraphicOperation(messages::kScanLineIndex);
    const int64_t r = height >= 1 ? height - y - 1 : y;
    return pixelBlock_.get() + r * RowBytes(targetWidth_, BitsPerPixel(), 32);
}

void TDIBWriter::StoreIntoBitmap() {
    if (!pixelBlock_) return;
    const int64_t total = kFileHeaderSize + headerBlockSize_ + pixelBlockSize_;
    std::vector<uint8_t> bytes(static_cast<size_t>(total));
    uint8_t* f = bytes.data();
    Put16(f + 0, 19778);  // "BM"
    Put32(f + 2, uint32_t(total));
    Put32(f + 10, uint32_t(kFileHeaderSize + headerBlockSize_));
    std::memcpy(f + kFileHeaderSize, headerBlock_.data(), static_cast<size_t>(headerBlockSize_));
    std::memcpy(f + kFileHeaderSize + headerBlockSize_, pixelBlock_.get(), static_cast<size_t>(pixelBlockSize_));
    TMemoryStream stream(std::move(bytes));
    stream.SetPosition(0);
    BoundBitmap().LoadFromStream(stream);
}

} // namespace vermaline
