#include "formats/platform/icon.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "formats/platform/bitmap_bmp.h"
#include "formats/platform/canvas.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/stream.h"

namespace vermaline {

namespace {

constexpr int64_t kDirectorySize = 6;
constexpr int64_t kEntrySize = 16;
constexpr std::array<uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::array<TPaletteEntry, 2> kMaskPalette = {{{0, 0, 0, 0}, {255, 255, 255, 0}}};

[[noreturn]] void InvalidIcon() { throw EInvalidGraphic(messages::kInvalidIcon); }

uint32_t LE16(const uint8_t* p) { return uint32_t(p[0] | (p[1] << 8)); }
uint32_t LE32(const uint8_t* p) { return LE16(p) | (LE16(p + 2) << 16); }
uint32_t BE32(const uint8_t* p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }

TIcon::TPngDecoder& PngDecoder() {
    static TIcon::TPngDecoder decoder;
    return decoder;
}

// One image of the icon directory, measured from its own data (the directory's one-byte sizes
// cannot say 256 or more, and its depth is often left 0).
struct Candidate {
    int64_t offset = 0;
    int64_t size = 0;
    bool png = false;
    int64_t pixels = 0;
    int depth = 0;
};

bool Measure(TStream& stream, int64_t base, const uint8_t* entry, int64_t streamSize, Candidate& c) {
    c.size = LE32(entry + 8);
    c.offset = base + LE32(entry + 12);
    if (c.size < 16 || c.offset + c.size > streamSize) return false;
    std::array<uint8_t, 26> head{};
    stream.SetPosition(c.offset);
    const int64_t n = std::min<int64_t>(c.size, int64_t(head.size()));
    if (stream.Read(head.data(), n) != n) return false;
    int64_t width = 0, height = 0;
    if (n >= 26 && std::equal(kPngSignature.begin(), kPngSignature.end(), head.begin())) {
        static constexpr int kChannels[] = {1, 0, 3, 1, 2, 0, 4};
        c.png = true;
        width = BE32(&head[16]);
        height = BE32(&head[20]);
        c.depth = head[24] * (head[25] <= 6 ? kChannels[head[25]] : 0);
    } else {
        const uint32_t headerSize = LE32(&head[0]);
        if (headerSize == 12) {
            width = LE16(&head[4]);
            height = LE16(&head[6]) / 2;
            c.depth = int(LE16(&head[10]));
        } else if (headerSize >= 16 && n >= 16) {
            width = static_cast<int32_t>(LE32(&head[4]));
            height = static_cast<int32_t>(LE32(&head[8])) / 2;
            c.depth = int(LE16(&head[14]));
        }
    }
    // PNG limits both sizes to 2^31 - 1, which also keeps the product inside 64 bits.
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return false;
    c.pixels = width * height;
    return true;
}

} // namespace

void TIcon::SetPngDecoder(TPngDecoder decoder) { PngDecoder() = std::move(decoder); }

TIcon::TIcon() = default;
TIcon::~TIcon() = default;

void TIcon::Assign(const TGraphic& source) {
    if (&source == this) return;
    if (const auto* icon = dynamic_cast<const TIcon*>(&source)) {
        image_.Assign(icon->image_);
        mask_.Assign(icon->mask_);
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect) {
    if (Empty() || rect.IsEmpty()) return;
    canvas.DrawBitmap(rect, image_);
}

void TIcon::SetImage(const TBitmap& image) {
    image_.Assign(image);
    image_.SetAlphaChannel(true);
    RebuildMask();
    Changed();
}

void TIcon::RebuildMask() {
    const int w = image_.Width(), h = image_.Height();
    mask_.Reset(w, h, TPixelFormat::pf1bit, kMaskPalette);
    for (int y = 0; y < h; ++y) {
        uint8_t* out = mask_.ScanLine(y);
        std::memset(out, 0, mask_.RowStride());
        const uint8_t* in = image_.ScanLine(y);
        for (int x = 0; x < w; ++x)
            if (in[4 * x + 3] == 0) out[x >> 3] = uint8_t(out[x >> 3] | (0x80 >> (x & 7)));
    }
}

void TIcon::SetSize(int width, int height) {
    const int oldWidth = Width(), oldHeight = Height();
    if (width == oldWidth && height == oldHeight) return;
    if (image_.Empty()) image_.Reset(width, height, TPixelFormat::pf32bit, {});
    else image_.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image_.ScanLine(y);
        for (int x = (y < oldHeight ? oldWidth : 0); x < width; ++x) row[4 * x + 3] = 0;
    }
    image_.SetAlphaChannel(true);
    RebuildMask();
    Changed();
}

void TIcon::LoadFromStream(TStream& stream) {
    const int64_t base = stream.Position();
    const int64_t streamSize = stream.Size();
    uint8_t directory[kDirectorySize];
    if (stream.Read(directory, kDirectorySize) != kDirectorySize) InvalidIcon();
    const uint32_t type = LE16(directory + 2);
    const int64_t count = LE16(directory + 4);
    if (LE16(directory) != 0 || (type != 1 && type != 2) || count == 0) InvalidIcon();
    std::vector<uint8_t> entries(static_cast<size_t>(count * kEntrySize));
    if (stream.Read(entries.data(), count * kEntrySize) != count * kEntrySize) InvalidIcon();

    Candidate best;
    bool found = false;
    for (int64_t i = 0; i < count; ++i) {
        Candidate c;
        if (!Measure(stream, base, &entries[static_cast<size_t>(i * kEntrySize)], streamSize, c)) continue;
        if (!found || c.pixels > best.pixels || (c.pixels == best.pixels && c.depth > best.depth)) best = c;
        found = true;
    }
    if (!found) InvalidIcon();

    std::vector<uint8_t> data(static_cast<size_t>(best.size));
    stream.SetPosition(best.offset);
    stream.ReadBuffer(data.data(), best.size);
    TBytesStream entry(data.data(), data.size());
    TBitmap image;
    if (best.png) {
        if (!PngDecoder()) throw EInvalidGraphic(messages::kInvalidIcon);
        PngDecoder()(entry, image);
        const bool alpha = image.AlphaChannel();
        image.SetPixelFormat(TPixelFormat::pf32bit);
        if (!alpha)
            for (int y = 0; y < image.Height(); ++y)
                for (int x = 0; x < image.Width(); ++x) image.ScanLine(y)[4 * x + 3] = 255;
    } else {
        try {
            ReadDIB(entry, image, true);
        } catch (const EInvalidGraphic& e) {
            if (std::string(e.what()) == messages::kInvalidBitmap) InvalidIcon();
            throw;
        }
        const bool alpha = image.AlphaChannel();
        image.SetPixelFormat(TPixelFormat::pf32bit);
        if (!alpha) {
            // The AND mask after the colour pixels: 1 is transparent. Icons whose mask is cut
            // off are drawn opaque.
            const int w = image.Width(), h = image.Height();
            const size_t stride = BytesPerScanLine(w, 1);
            std::vector<uint8_t> mask(stride * static_cast<size_t>(h), 0);
            if (entry.Read(mask.data(), static_cast<int64_t>(mask.size())) != static_cast<int64_t>(mask.size()))
                std::fill(mask.begin(), mask.end(), uint8_t(0));
            for (int y = 0; y < h; ++y) {
                const uint8_t* bits = &mask[static_cast<size_t>(h - 1 - y) * stride];
                uint8_t* row = image.ScanLine(y);
                for (int x = 0; x < w; ++x) row[4 * x + 3] = ((bits[x >> 3] >> (7 - (x & 7))) & 1) ? 0 : 255;
            }
        }
    }
    SetImage(image);
}

void TIcon::SaveToStream(TStream& stream) {
    if (Empty()) return;
    const int w = Width(), h = Height();
    const size_t maskStride = BytesPerScanLine(w, 1);
    const uint64_t pixelBytes = uint64_t(w) * uint64_t(h) * 4 + uint64_t(maskStride) * uint64_t(h);
    if (40 + pixelBytes > UINT32_MAX) throw EInvalidGraphic(Format(messages::kImageTooLarge, w, h));
    std::vector<uint8_t> head(22 + 40, 0);
    const auto put16 = [&](size_t at, uint32_t v) { head[at] = uint8_t(v); head[at + 1] = uint8_t(v >> 8); };
    const auto put32 = [&](size_t at, uint32_t v) { put16(at, v); put16(at + 2, v >> 16); };
    put16(2, 1);   // icon
    put16(4, 1);   // one image
    head[6] = uint8_t(w >= 256 ? 0 : w);
    head[7] = uint8_t(h >= 256 ? 0 : h);
    put16(10, 1);  // planes
    put16(12, 32);
    put32(14, static_cast<uint32_t>(40 + pixelBytes));
    put32(18, 22);
    put32(22, 40);
    put32(26, static_cast<uint32_t>(w));
    put32(30, static_cast<uint32_t>(2 * h));  // colour pixels and AND mask
    put16(34, 1);
    put16(36, 32);
    put32(42, static_cast<uint32_t>(pixelBytes));
    stream.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
    for (int y = h - 1; y >= 0; --y) stream.WriteBuffer(image_.ScanLine(y), int64_t(w) * 4);
    for (int y = h - 1; y >= 0; --y) stream.WriteBuffer(mask_.ScanLine(y), static_cast<int64_t>(maskStride));
}

} // namespace vermaline
