#include "reduce/fast_color_lookup.h"

#include <cstdlib>

namespace vermaline {

namespace {
constexpr int kCells = 32768;
constexpr int16_t kEmpty = -1;
} // namespace

TFastColorLookup::TFastColorLookup(const HPALETTE& palette) : cellTable_(kCells, kEmpty) {
    paletteEntries_.resize(kMaxPaletteEntries);
    const unsigned n = GetPaletteEntries(palette, 0, unsigned(kMaxPaletteEntries), paletteEntries_.data());
    paletteEntries_.resize(n);
    paletteSize_ = int32_t(n);
    for (unsigned i = 0; i < n; ++i) {
        const TPaletteEntry& e = paletteEntries_[i];
        int16_t& cell = cellTable_[Cell(e.peRed, e.peGreen, e.peBlue)];
        if (cell == kEmpty) cell = int16_t(i);
    }
}

uint8_t TFastColorLookup::MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                                   uint8_t& outBlue) {
    int16_t& cell = cellTable_[Cell(red, green, blue)];
    if (cell == kEmpty) {
        int best = 0;
        int bestDistance = 196608;
        for (int i = 0; i < paletteSize_; ++i) {
            const TPaletteEntry& e = paletteEntries_[i];
            const int d = std::abs(red - e.peRed) + std::abs(green - e.peGreen) + std::abs(blue - e.peBlue);
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        cell = int16_t(best);
    }
    const TPaletteEntry& chosen = paletteEntries_[static_cast<size_t>(cell)];
    outRed = chosen.peRed;
    outGreen = chosen.peGreen;
    outBlue = chosen.peBlue;
    return uint8_t(cell);
}

} // namespace vermaline
