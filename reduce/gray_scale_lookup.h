#pragma once
// Maps a colour to its luminance, the index of GrayRampPalette.
#include "reduce/color_lookup.h"

namespace vermaline {

class TGrayScaleLookup : public TColorLookup {
public:
    TGrayScaleLookup() : TColorLookup(256) {}
    uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                     uint8_t& outBlue) override;
};

} // namespace vermaline
