#pragma once
// Nearest colour of any palette, cached per 5-5-5 cell of the colour cube.
//
// Each palette colour claims its own cell first (the lower index when two share one). Any
// other cell is filled by the first colour that reaches it, with the palette entry nearest to
// that colour (sum of absolute differences, lowest index on ties); every later colour of that
// cell gets the same entry. Results therefore depend on the order colours are mapped in.
#include <vector>

#include "formats/platform/palette.h"
#include "reduce/color_lookup.h"

namespace vermaline {

class TFastColorLookup : public TColorLookup {
public:
    // Copies up to 256 entries of the palette; a null palette gives PaletteSize 0.
    explicit TFastColorLookup(const HPALETTE& palette);

    uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                     uint8_t& outBlue) override;

    // The cell of a colour: blue, green, red, 5 bits each, blue most significant.
    static int Cell(uint8_t red, uint8_t green, uint8_t blue) {
        return ((blue >> 3) << 10) | ((green >> 3) << 5) | (red >> 3);
    }

private:
    std::vector<TPaletteEntry> paletteEntries_;
    std::vector<int16_t> cellTable_;
};

} // namespace vermaline
