#pragma once
// Row access to bitmaps in the two layouts colour reduction and the GIF codec work in:
// 24 bits per pixel (blue, green, red) and 8 bits per pixel (one palette index per byte).
#include <cstdint>
#include <memory>
#include <vector>

#include "formats/platform/bitmap.h"
#include "formats/platform/palette.h"

namespace vermaline {

class TDIB {
public:
    TDIB(TBitmap& bitmap, TPixelFormat format) : boundBitmap_(bitmap), boundFormat_(format) {}
    TDIB(const TDIB&) = delete;
    TDIB& operator=(const TDIB&) = delete;
    virtual ~TDIB() = default;

    // First byte of row y; row 0 is the top row.
    virtual uint8_t* RowAddress(int y) = 0;

    TBitmap& BoundBitmap() const { return boundBitmap_; }
    TPixelFormat BoundFormat() const { return boundFormat_; }

private:
    TBitmap& boundBitmap_;
    TPixelFormat boundFormat_;
};

// Reads the rows of an existing bitmap. Creating the reader converts the bitmap itself to the
// requested format, and it stays so.
class TDIBReader : public TDIB {
public:
    TDIBReader(TBitmap& bitmap, TPixelFormat format);
    uint8_t* RowAddress(int y) override;
};

// Builds a fresh 8-bit or 24-bit DIB whose rows are written through RowAddress, and stores it
// into the target bitmap as a complete BMP. A writer that never handed out a row leaves its
// bitmap untouched.
class TDIBWriter : public TDIB {
public:
    // Raises "Unsupported PixelFormat" for formats other than pf8bit and pf24bit, and "Invalid
    // image dimensions" for a width below 1 or a height of 0. The palette fills the colour
    // table of an 8-bit DIB; it may be null.
    TDIBWriter(TBitmap& bitmap, TPixelFormat format, int32_t width, int32_t height, HPALETTE palette);
    // Stores the DIB into the bitmap unless Commit did. Errors cannot leave a destructor, so a
    // caller that must know whether storing worked calls Commit.
    ~TDIBWriter() override;

    uint8_t* RowAddress(int y) override;
    // Stores the written rows into the bitmap now and releases the DIB.
    void Commit();

    int64_t HeaderBlockSize() const { return headerBlockSize_; }
    int64_t PixelBlockSize() const { return pixelBlockSize_; }

private:
    void AllocateImage();
    void ReleaseImage();
    void EnsureImage();
    void StoreIntoBitmap();
    int BitsPerPixel() const;

    std::vector<uint8_t> headerBlock_;
    std::unique_ptr<uint8_t[]> pixelBlock_;
    int64_t headerBlockSize_ = 0;
    int64_t pixelBlockSize_ = 0;
    HPALETTE sourcePalette_;
    int32_t targetHeight_ = 0;
    int32_t targetWidth_ = 0;
};

} // namespace vermaline
