#include "formats/platform/palette.h"

#include <algorithm>
#include <array>

namespace vermaline {

namespace {

constexpr std::array<TPaletteEntry, 20> kStatic = {{
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
    {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
}};

constexpr std::array<TPaletteEntry, 16> kVga = {{
    {0, 0, 0, 0},       {128, 0, 0, 0},   {0, 128, 0, 0},   {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0}, {0, 128, 128, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0},   {0, 255, 0, 0},   {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0}, {0, 255, 255, 0}, {255, 255, 255, 0},
}};

std::array<TPaletteEntry, 256> MakeFixed256() {
    std::array<TPaletteEntry, 256> p{};
    size_t i = 0;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                p[i++] = {uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51), 0};
    for (int k = 0; k < 40; ++k) {
        const auto v = uint8_t((k * 255 + 19) / 39);
        p[i++] = {v, v, v, 0};
    }
    return p;
}

} // namespace

HPALETTE CreatePalette(std::span<const TPaletteEntry> entries) {
    auto palette = std::make_shared<TLogPalette>();
    const size_t n = std::min(entries.size(), kMaxPaletteEntries);
    palette->palPalEntry.assign(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(n));
    return palette;
}

unsigned GetPaletteEntryCount(const HPALETTE& palette) {
    return palette ? static_cast<unsigned>(palette->palPalEntry.size()) : 0;
}

unsigned GetPaletteEntries(const HPALETTE& palette, unsigned start, unsigned count, TPaletteEntry* out) {
    const unsigned size = GetPaletteEntryCount(palette);
    if (start >= size || out == nullptr) return 0;
    const unsigned n = std::min(count, size - start);
    std::copy_n(palette->palPalEntry.begin() + start, n, out);
    return n;
}

unsigned SetPaletteEntries(const HPALETTE& palette, unsigned start, unsigned count, const TPaletteEntry* in) {
    const unsigned size = GetPaletteEntryCount(palette);
    if (start >= size || in == nullptr) return 0;
    const unsigned n = std::min(count, size - start);
    std::copy_n(in, n, palette->palPalEntry.begin() + start);
    return n;
}

HPALETTE CopyPalette(const HPALETTE& palette) {
    if (!palette) return nullptr;
    return std::make_shared<TLogPalette>(*palette);
}

unsigned GetNearestPaletteIndex(std::span<const TPaletteEntry> entries, uint8_t red, uint8_t green, uint8_t blue) {
    unsigned best = 0;
    int bestDistance = 1 << 30;
    for (unsigned i = 0; i < entries.size(); ++i) {
        const int dr = int(entries[i].peRed) - red;
        const int dg = int(entries[i].peGreen) - green;
        const int db = int(entries[i].peBlue) - blue;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0) break;
        }
    }
    return best;
}

std::span<const TPaletteEntry> StaticColors() { return kStatic; }

HPALETTE GetStockDefaultPalette() { return CreatePalette(kStatic); }

HPALETTE CreateHalftonePalette() {
    std::vector<TPaletteEntry> p;
    p.reserve(256);
    p.insert(p.end(), kStatic.begin(), kStatic.begin() + 10);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) p.push_back({uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51), 0});
    for (int k = 1; k <= 20; ++k) {
        const auto v = uint8_t(k * 255 / 21);
        p.push_back({v, v, v, 0});
    }
    p.insert(p.end(), kStatic.begin() + 10, kStatic.end());
    return CreatePalette(p);
}

std::span<const TPaletteEntry> SystemPalette16() { return kVga; }

std::span<const TPaletteEntry> FixedPalette256() {
    static const std::array<TPaletteEntry, 256> fixed = MakeFixed256();
    return fixed;
}

} // namespace vermaline
