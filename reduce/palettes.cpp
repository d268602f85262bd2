#include "reduce/palettes.h"

#include <vector>

#include "reduce/dib_helpers.h"

namespace vermaline {

namespace {

HPALETTE GrayPalette(std::initializer_list<uint8_t> levels) {
    std::vector<TPaletteEntry> entries;
    for (uint8_t v : levels) entries.push_back({v, v, v, PC_NOCOLLAPSE});
    return CheckGdiResult(CreatePalette(entries));
}

} // namespace

HPALETTE WebPalette() {
    std::vector<TPaletteEntry> entries;
    entries.reserve(216);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) entries.push_back({uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51), 0});
    return CheckGdiResult(CreatePalette(entries));
}

HPALETTE GrayRampPalette() {
    std::vector<TPaletteEntry> entries(256);
    for (int i = 0; i < 256; ++i) entries[i] = {uint8_t(i), uint8_t(i), uint8_t(i), PC_NOCOLLAPSE};
    return CheckGdiResult(CreatePalette(entries));
}

HPALETTE BlackWhitePalette() { return GrayPalette({0, 255}); }

HPALETTE FourGrayPalette() { return GrayPalette({0, 128, 192, 255}); }

HPALETTE HalftoneScreenPalette() { return CheckGdiResult(CreateHalftonePalette()); }

} // namespace vermaline
