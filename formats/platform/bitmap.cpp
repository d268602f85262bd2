#include "formats/platform/bitmap.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "formats/platform/canvas.h"
#include "formats/platform/exceptions.h"

namespace vermaline {

namespace {

constexpr std::array<TPaletteEntry, 2> kBlackWhite = {{{0, 0, 0, 0}, {255, 255, 255, 0}}};

int Luminance(uint8_t r, uint8_t g, uint8_t b) { return (r * 77 + g * 150 + b * 29) >> 8; }

} // namespace

size_t BytesPerScanLine(int64_t width, int bitsPerPixel) {
    return static_cast<size_t>(((width * bitsPerPixel + 31) / 32) * 4);
}

void CheckImageSize(int64_t width, int64_t height, int bitsPerPixel) {
    const bool bad = width < 0 || height < 0 || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxImagePixels ||
                     static_cast<uint64_t>(BytesPerScanLine(width, bitsPerPixel)) * static_cast<uint64_t>(height) > kMaxImageBytes;
    if (bad) throw EInvalidGraphic(Format(messages::kImageTooLarge, static_cast<int>(width), static_cast<int>(height)));
}

std::span<const TPaletteEntry> DefaultPaletteFor(TPixelFormat format) {
    switch (format) {
    case TPixelFormat::pf1bit: return kBlackWhite;
    case TPixelFormat::pf4bit: return SystemPalette16();
    case TPixelFormat::pf8bit: return FixedPalette256();
    default: return {};
    }
}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format) {
    Allocate(width, height, format);
    FillWhite();
}

TBitmap::~TBitmap() = default;

void TBitmap::Allocate(int width, int height, TPixelFormat format) {
    if (format == TPixelFormat::pfCustom) throw EInvalidGraphic(messages::kInvalidPixelFormat);
    CheckImageSize(width, height, vermaline::BitsPerPixel(format));
    width_ = width;
    height_ = height;
    format_ = format;
    stride_ = BytesPerScanLine(width, vermaline::BitsPerPixel(format));
    pixels_.assign(stride_ * static_cast<size_t>(height), 0);
    if (IsIndexed(format)) {
        const size_t limit = size_t(1) << vermaline::BitsPerPixel(format);
        if (palette_.empty() || palette_.size() > limit) {
            const auto fixed = DefaultPaletteFor(format);
            palette_.assign(fixed.begin(), fixed.end());
        }
    }
}

void TBitmap::FillWhite() {
    if (pixels_.empty()) return;
    if (!IsIndexed(format_)) {
        std::fill(pixels_.begin(), pixels_.end(), uint8_t(0xFF));
        if (format_ == TPixelFormat::pf15bit)
            for (int y = 0; y < height_; ++y)
                for (int x = 0; x < width_; ++x) ScanLine(y)[2 * x + 1] = 0x7F;
        return;
    }
    const int bits = BitsPerPixel();
    const unsigned index = GetNearestPaletteIndex(palette_, 255, 255, 255);
    uint8_t pattern = 0;
    for (int shift = 8 - bits; shift >= 0; shift -= bits) pattern = uint8_t(pattern | (index << shift));
    std::fill(pixels_.begin(), pixels_.end(), pattern);
}

void TBitmap::Clear() {
    width_ = height_ = 0;
    stride_ = 0;
    format_ = TPixelFormat::pfDevice;
    pixels_.clear();
    palette_.clear();
    alpha_ = false;
    Changed();
}

void TBitmap::Reset(int width, int height, TPixelFormat format, std::span<const TPaletteEntry> palette) {
    palette_.assign(palette.begin(), palette.begin() + static_cast<std::ptrdiff_t>(std::min(palette.size(), kMaxPaletteEntries)));
    alpha_ = false;
    Allocate(width, height, format);
    FillWhite();
}

void TBitmap::SetSize(int width, int height) {
    if (width == width_ && height == height_) return;
    TBitmap old;
    old.width_ = width_;
    old.height_ = height_;
    old.format_ = format_;
    old.stride_ = stride_;
    old.pixels_.swap(pixels_);
    Allocate(width, height, format_);
    FillWhite();
    const int rows = std::min(height_, old.height_);
    const int columns = std::min(width_, old.width_);
    const int bits = BitsPerPixel();
    const size_t fullBytes = static_cast<size_t>(columns) * bits / 8;
    for (int y = 0; y < rows; ++y) {
        std::memcpy(ScanLine(y), old.ScanLine(y), fullBytes);
        const int rest = static_cast<int>((static_cast<size_t>(columns) * bits) % 8);
        if (rest != 0) {
            const uint8_t keep = uint8_t(0xFF00 >> rest);
            uint8_t& b = ScanLine(y)[fullBytes];
            b = uint8_t((old.ScanLine(y)[fullBytes] & keep) | (b & ~keep));
        }
    }
    Changed();
}

uint8_t* TBitmap::ScanLine(int y) {
    if (y < 0 || y >= height_) throw EInvalidGraphicOperation(messages::kScanLineIndex);
    return pixels_.data() + static_cast<size_t>(y) * stride_;
}

const uint8_t* TBitmap::ScanLine(int y) const {
    if (y < 0 || y >= height_) throw EInvalidGraphicOperation(messages::kScanLineIndex);
    return pixels_.data() + static_cast<size_t>(y) * stride_;
}

HPALETTE TBitmap::Palette() const {
    if (palette_.empty()) return nullptr;
    return CreatePalette(palette_);
}

void TBitmap::SetPalette(HPALETTE palette) {
    if (palette)
        SetPaletteEntries(palette->palPalEntry);
    else if (!IsIndexed(format_))
        palette_.clear();
}

void TBitmap::SetPaletteEntries(std::span<const TPaletteEntry> entries) {
    size_t n = std::min(entries.size(), kMaxPaletteEntries);
    if (IsIndexed(format_)) n = std::min(n, size_t(1) << BitsPerPixel());
    palette_.assign(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(n));
    PaletteModified = true;
    Changed();
}

void TBitmap::ReadRowBGRA(int y, uint8_t* out) const {
    const uint8_t* row = ScanLine(y);
    const auto fromPalette = [&](unsigned index, uint8_t* o) {
        if (index < palette_.size()) {
            const TPaletteEntry& e = palette_[index];
            o[0] = e.peBlue;
            o[1] = e.peGreen;
            o[2] = e.peRed;
        } else {
            o[0] = o[1] = o[2] = 0;
        }
        o[3] = 255;
    };
    switch (format_) {
    case TPixelFormat::pf1bit:
        for (int x = 0; x < width_; ++x) fromPalette((row[x >> 3] >> (7 - (x & 7))) & 1, out + 4 * x);
        break;
    case TPixelFormat::pf4bit:
        for (int x = 0; x < width_; ++x) fromPalette((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15, out + 4 * x);
        break;
    case TPixelFormat::pf8bit:
        for (int x = 0; x < width_; ++x) fromPalette(row[x], out + 4 * x);
        break;
    case TPixelFormat::pf15bit:
        for (int x = 0; x < width_; ++x) {
            const unsigned w = row[2 * x] | (row[2 * x + 1] << 8);
            const unsigned r = (w >> 10) & 31, g = (w >> 5) & 31, b = w & 31;
            out[4 * x] = uint8_t((b << 3) | (b >> 2));
            out[4 * x + 1] = uint8_t((g << 3) | (g >> 2));
            out[4 * x + 2] = uint8_t((r << 3) | (r >> 2));
            out[4 * x + 3] = 255;
        }
        break;
    case TPixelFormat::pf16bit:
        for (int x = 0; x < width_; ++x) {
            const unsigned w = row[2 * x] | (row[2 * x + 1] << 8);
            const unsigned r = (w >> 11) & 31, g = (w >> 5) & 63, b = w & 31;
            out[4 * x] = uint8_t((b << 3) | (b >> 2));
            out[4 * x + 1] = uint8_t((g << 2) | (g >> 4));
            out[4 * x + 2] = uint8_t((r << 3) | (r >> 2));
            out[4 * x + 3] = 255;
        }
        break;
    case TPixelFormat::pf32bit:
        if (AlphaChannel()) {
            std::memcpy(out, row, static_cast<size_t>(width_) * 4);
        } else {
            for (int x = 0; x < width_; ++x) {
                std::memcpy(out + 4 * x, row + 4 * x, 3);
                out[4 * x + 3] = 255;
            }
        }
        break;
    case TPixelFormat::pfDevice:
    case TPixelFormat::pf24bit:
    case TPixelFormat::pfCustom:
        for (int x = 0; x < width_; ++x) {
            out[4 * x] = row[3 * x];
            out[4 * x + 1] = row[3 * x + 1];
            out[4 * x + 2] = row[3 * x + 2];
            out[4 * x + 3] = 255;
        }
        break;
    }
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == format_) return;
    if (format == TPixelFormat::pfCustom) throw EInvalidGraphic(messages::kInvalidPixelFormat);
    const bool sameLayout = (format == TPixelFormat::pfDevice && format_ == TPixelFormat::pf24bit) ||
                            (format == TPixelFormat::pf24bit && format_ == TPixelFormat::pfDevice);
    if (sameLayout || Empty()) {
        format_ = format;
        if (Empty()) Allocate(width_, height_, format);
        Changed();
        return;
    }
    TBitmap target;
    const int bits = vermaline::BitsPerPixel(format);
    bool byLuminance = false;
    if (IsIndexed(format)) {
        if (!palette_.empty() && palette_.size() <= (size_t(1) << bits)) {
            target.palette_ = palette_;
        } else {
            const auto fixed = DefaultPaletteFor(format);
            target.palette_.assign(fixed.begin(), fixed.end());
            byLuminance = format == TPixelFormat::pf1bit;
        }
    } else {
        target.palette_ = palette_;
    }
    target.Allocate(width_, height_, format);
    std::vector<uint8_t> bgra(static_cast<size_t>(width_) * 4);
    std::unique_ptr<TNearestColorCache> cache;
    if (IsIndexed(format) && !byLuminance) cache = std::make_unique<TNearestColorCache>(target.palette_);
    for (int y = 0; y < height_; ++y) {
        ReadRowBGRA(y, bgra.data());
        if (format_ == TPixelFormat::pf32bit)
            for (int x = 0; x < width_; ++x) bgra[4 * x + 3] = ScanLine(y)[4 * x + 3];
        uint8_t* out = target.ScanLine(y);
        for (int x = 0; x < width_; ++x) {
            const uint8_t b = bgra[4 * x], g = bgra[4 * x + 1], r = bgra[4 * x + 2];
            switch (format) {
            case TPixelFormat::pf1bit: {
                const unsigned i = byLuminance ? (Luminance(r, g, b) >= 128 ? 1u : 0u) : cache->Index(r, g, b);
                if (i) out[x >> 3] = uint8_t(out[x >> 3] | (0x80 >> (x & 7)));
                break;
            }
            case TPixelFormat::pf4bit:
                out[x >> 1] = uint8_t(out[x >> 1] | (cache->Index(r, g, b) << ((x & 1) ? 0 : 4)));
                break;
            case TPixelFormat::pf8bit: out[x] = cache->Index(r, g, b); break;
            case TPixelFormat::pf15bit: {
                const unsigned w = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
                out[2 * x] = uint8_t(w);
                out[2 * x + 1] = uint8_t(w >> 8);
                break;
            }
            case TPixelFormat::pf16bit: {
                const unsigned w = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
                out[2 * x] = uint8_t(w);
                out[2 * x + 1] = uint8_t(w >> 8);
                break;
            }
            case TPixelFormat::pf32bit:
                out[4 * x] = b;
                out[4 * x + 1] = g;
                out[4 * x + 2] = r;
                out[4 * x + 3] = format_ == TPixelFormat::pf32bit ? bgra[4 * x + 3] : 0;
                break;
            default:
                out[3 * x] = b;
                out[3 * x + 1] = g;
                out[3 * x + 2] = r;
                break;
            }
        }
    }
    if (format != TPixelFormat::pf32bit) alpha_ = false;
    format_ = format;
    stride_ = target.stride_;
    pixels_.swap(target.pixels_);
    palette_.swap(target.palette_);
    Changed();
}

TColor TBitmap::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return clNone;
    const uint8_t* row = ScanLine(y);
    const auto entry = [&](unsigned i) {
        return i < palette_.size() ? RGB(palette_[i].peRed, palette_[i].peGreen, palette_[i].peBlue) : clBlack;
    };
    switch (format_) {
    case TPixelFormat::pf1bit: return entry((row[x >> 3] >> (7 - (x & 7))) & 1);
    case TPixelFormat::pf4bit: return entry((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
    case TPixelFormat::pf8bit: return entry(row[x]);
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit: {
        std::vector<uint8_t> bgra(static_cast<size_t>(width_) * 4);
        ReadRowBGRA(y, bgra.data());
        return RGB(bgra[4 * x + 2], bgra[4 * x + 1], bgra[4 * x]);
    }
    case TPixelFormat::pf32bit: return RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    default: return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    }
}

void TBitmap::SetPixel(int x, int y, TColor color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    color = ColorToRGB(color);
    const uint8_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    uint8_t* row = ScanLine(y);
    switch (format_) {
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit: {
        const unsigned i = GetNearestPaletteIndex(palette_, r, g, b);
        const int bits = BitsPerPixel();
        const int perByte = 8 / bits;
        const int shift = 8 - bits * (x % perByte + 1);
        uint8_t& cell = row[x / perByte];
        const uint8_t mask = uint8_t(((1u << bits) - 1) << shift);
        cell = uint8_t((cell & ~mask) | ((i << shift) & mask));
        break;
    }
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit: {
        const unsigned w = format_ == TPixelFormat::pf15bit ? ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3)
                                                            : ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
        row[2 * x] = uint8_t(w);
        row[2 * x + 1] = uint8_t(w >> 8);
        break;
    }
    case TPixelFormat::pf32bit:
        row[4 * x] = b;
        row[4 * x + 1] = g;
        row[4 * x + 2] = r;
        row[4 * x + 3] = 255;
        break;
    default:
        row[3 * x] = b;
        row[3 * x + 1] = g;
        row[3 * x + 2] = r;
        break;
    }
}

TColor TBitmap::TransparentColor() const {
    if (transparentMode_ == TTransparentMode::tmFixed && transparentColor_ != clDefault) return transparentColor_;
    if (Empty()) return clDefault;
    return GetPixel(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
    transparentColor_ = color;
    transparentMode_ = color == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
    Changed();
}

std::unique_ptr<TBitmap> TBitmap::CreateMask(TColor color) const {
    auto mask = std::make_unique<TBitmap>(width_, height_, TPixelFormat::pf1bit);
    std::fill(mask->pixels_.begin(), mask->pixels_.end(), uint8_t(0));
    const TColor key = ColorToRGB(color);
    std::vector<uint8_t> bgra(static_cast<size_t>(width_) * 4);
    for (int y = 0; y < height_; ++y) {
        ReadRowBGRA(y, bgra.data());
        uint8_t* out = mask->ScanLine(y);
        for (int x = 0; x < width_; ++x)
            if (RGB(bgra[4 * x + 2], bgra[4 * x + 1], bgra[4 * x]) == key) out[x >> 3] = uint8_t(out[x >> 3] | (0x80 >> (x & 7)));
    }
    return mask;
}

TBitmapCanvas& TBitmap::Canvas() {
    if (!canvas_) canvas_ = std::make_unique<TBitmapCanvas>(*this);
    return *canvas_;
}

TDIBCopy TBitmap::GetDIB(int bitsPerPixel, bool bottomUp) const {
    const int ownBits = BitsPerPixel();
    if (bitsPerPixel == 0) bitsPerPixel = ownBits;
    const TBitmap* source = this;
    TBitmap converted;
    if (bitsPerPixel != ownBits) {
        TPixelFormat f;
        switch (bitsPerPixel) {
        case 1: f = TPixelFormat::pf1bit; break;
        case 4: f = TPixelFormat::pf4bit; break;
        case 8: f = TPixelFormat::pf8bit; break;
        case 16: f = TPixelFormat::pf15bit; break;
        case 24: f = TPixelFormat::pf24bit; break;
        case 32: f = TPixelFormat::pf32bit; break;
        default: throw EInvalidGraphic(messages::kInvalidPixelFormat);
        }
        converted.Assign(*this);
        converted.SetPixelFormat(f);
        source = &converted;
    }
    TDIBCopy dib;
    dib.Width = width_;
    dib.Height = height_;
    dib.BitsPerPixel = bitsPerPixel;
    dib.BottomUp = bottomUp;
    dib.Stride = source->stride_;
    if (bitsPerPixel <= 8) {
        dib.ColorTable.resize(size_t(1) << bitsPerPixel);
        const auto& pal = source->palette_;
        for (size_t i = 0; i < pal.size() && i < dib.ColorTable.size(); ++i)
            dib.ColorTable[i] = {pal[i].peBlue, pal[i].peGreen, pal[i].peRed, 0};
    }
    dib.Bits.resize(source->pixels_.size());
    for (int y = 0; y < height_; ++y) {
        const int stored = bottomUp ? height_ - 1 - y : y;
        std::memcpy(dib.Row(stored), source->ScanLine(y), dib.Stride);
    }
    return dib;
}

void TBitmap::Assign(const TGraphic& source) {
    if (&source == this) return;
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        width_ = bitmap->width_;
        height_ = bitmap->height_;
        format_ = bitmap->format_;
        stride_ = bitmap->stride_;
        pixels_ = bitmap->pixels_;
        palette_ = bitmap->palette_;
        alpha_ = bitmap->alpha_;
        transparentColor_ = bitmap->transparentColor_;
        transparentMode_ = bitmap->transparentMode_;
        SetTransparent(bitmap->Transparent());
        Changed();
        return;
    }
    // Any other graphic is rendered at its own size onto a white device bitmap.
    palette_.clear();
    alpha_ = false;
    Allocate(source.Width(), source.Height(), TPixelFormat::pfDevice);
    FillWhite();
    if (!Empty()) const_cast<TGraphic&>(source).Draw(Canvas(), Rect(0, 0, width_, height_));
    if (const HPALETTE palette = source.Palette()) palette_ = palette->palPalEntry;
    Changed();
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
    if (Empty() || rect.IsEmpty()) return;
    canvas.DrawBitmap(rect, *this);
}

} // namespace vermaline
