#pragma once
// Device-independent bitmaps with scan-line access. Row 0 is the top row; rows are padded to
// 4 bytes; 24-bit pixels are blue, green, red; indexed pixels are packed most significant bits
// first. pfDevice stores 24-bit pixels and stands for the simulated 24-bit screen.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "formats/platform/graphic.h"

namespace vermaline {

class TBitmapCanvas;

enum class TBitmapHandleType : uint8_t { bmDIB, bmDDB };
enum class TTransparentMode : uint8_t { tmAuto, tmFixed };

// One colour-table entry of a device-independent bitmap: blue, green, red, reserved.
struct TRGBQuad {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
    friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

// A device-independent copy of a bitmap in a requested layout, for the file writers.
struct TDIBCopy {
    int32_t Width = 0;
    int32_t Height = 0;           // rows are stored bottom-up when BottomUp is set
    int BitsPerPixel = 24;
    bool BottomUp = true;
    size_t Stride = 0;            // bytes per row, a multiple of 4
    std::vector<TRGBQuad> ColorTable;  // 2^bits entries for depths up to 8, else empty
    std::vector<uint8_t> Bits;
    uint8_t* Row(int storedIndex) { return Bits.data() + static_cast<size_t>(storedIndex) * Stride; }
};

// Largest image the platform allocates (pixels), and the largest pixel buffer (bytes).
inline constexpr uint64_t kMaxImagePixels = uint64_t(1) << 28;
inline constexpr uint64_t kMaxImageBytes = uint64_t(4) << 30;
// Raises EInvalidGraphic "Image trop grande (%d x %d)." when an image of that size may not be
// allocated in the given bits per pixel.
void CheckImageSize(int64_t width, int64_t height, int bitsPerPixel = 32);
// Bytes of one row of width pixels at bitsPerPixel, padded to 4 bytes.
size_t BytesPerScanLine(int64_t width, int bitsPerPixel);

class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = TPixelFormat::pfDevice);
    ~TBitmap() override;

    const char* ClassName() const override { return "TBitmap"; }
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TBitmap>(); }
    void Assign(const TGraphic& source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool Empty() const override { return width_ == 0 || height_ == 0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetWidth(int width) override { SetSize(width, height_); }
    void SetHeight(int height) override { SetSize(width_, height); }
    // Resizes keeping the top-left pixels; new pixels are white.
    void SetSize(int width, int height);

    TPixelFormat PixelFormat() const { return format_; }
    // Converts the pixels to another format: up losslessly, down to the nearest colour of the
    // bitmap's palette when it fits the depth, else of the fixed palette of that depth.
    void SetPixelFormat(TPixelFormat format);
    TBitmapHandleType HandleType() const {
        return format_ == TPixelFormat::pfDevice ? TBitmapHandleType::bmDDB : TBitmapHandleType::bmDIB;
    }

    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;
    size_t RowStride() const { return stride_; }
    int BitsPerPixel() const { return vermaline::BitsPerPixel(format_); }

    // The palette: for indexed formats the colour table (its size is the number of colours in
    // use, at most 2^bits); other formats may carry one as a hint for later reduction.
    HPALETTE Palette() const override;
    void SetPalette(HPALETTE palette) override;
    std::span<const TPaletteEntry> PaletteEntries() const { return palette_; }
    void SetPaletteEntries(std::span<const TPaletteEntry> entries);

    // Pixel value as a colour, whatever the format; SetPixel maps to the nearest palette entry.
    TColor GetPixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);
    // Converts row y to blue, green, red, alpha quadruples (alpha 255 unless AlphaChannel()).
    void ReadRowBGRA(int y, uint8_t* out) const;

    // Whether the fourth byte of 32-bit pixels is an alpha channel to composite with.
    bool AlphaChannel() const { return alpha_ && format_ == TPixelFormat::pf32bit; }
    void SetAlphaChannel(bool value) { alpha_ = value; }

    // Key-colour transparency: with tmAuto the key is the bottom-left pixel.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode mode) { transparentMode_ = mode; }
    // A pf1bit mask of the same size: 1 (white) where the pixel equals the colour.
    std::unique_ptr<TBitmap> CreateMask(TColor color) const;

    TBitmapCanvas& Canvas();

    // A device-independent copy in the given depth (0: the bitmap's own) and row order.
    TDIBCopy GetDIB(int bitsPerPixel = 0, bool bottomUp = true) const;

    // Reads a complete BMP file (every variant the format allows); writes an uncompressed BMP
    // with a 40-byte information header.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

    // Drops the pixels and palette: an empty bitmap of the device format.
    void Clear();

    // Replaces the whole content at once (used by decoders that build the pixels themselves).
    void Reset(int width, int height, TPixelFormat format, std::span<const TPaletteEntry> palette);

private:
    void Allocate(int width, int height, TPixelFormat format);
    void FillWhite();

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = TPixelFormat::pfDevice;
    size_t stride_ = 0;
    std::vector<uint8_t> pixels_;
    std::vector<TPaletteEntry> palette_;
    bool alpha_ = false;
    TColor transparentColor_ = clDefault;
    TTransparentMode transparentMode_ = TTransparentMode::tmAuto;
    std::unique_ptr<TBitmapCanvas> canvas_;
};

// The palette a new indexed bitmap of that format receives (black and white, VGA, fixed 256).
std::span<const TPaletteEntry> DefaultPaletteFor(TPixelFormat format);

} // namespace vermaline
