#pragma once
// Maps a colour to black (0) or white (1) of BlackWhitePalette by its luminance.
#include "reduce/color_lookup.h"

namespace vermaline {

class TMonochromeLookup : public TColorLookup {
public:
    TMonochromeLookup() : TColorLookup(2) {}
    // White when the weighted sum 77 r + 150 g + 29 b is above 32512, that of grey 127.
    uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                     uint8_t& outBlue) override;
};

} // namespace vermaline
