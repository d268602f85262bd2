#pragma once
// Maps a colour to the 6x6x6 cube of WebPalette by arithmetic.
#include "reduce/color_lookup.h"

namespace vermaline {

class TNetscapeColorLookup : public TColorLookup {
public:
    TNetscapeColorLookup() : TColorLookup(216) {}
    // Each level is (component + 3) div 51: it changes at 48, 99, 150, 201 and 252.
    uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                     uint8_t& outBlue) override;
};

} // namespace vermaline
