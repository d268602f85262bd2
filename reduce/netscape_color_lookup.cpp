#include "reduce/netscape_color_lookup.h"

namespace vermaline {

uint8_t TNetscapeColorLookup::MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed,
                                       uint8_t& outGreen, uint8_t& outBlue) {
    const int r = (red + 3) / 51;
    const int g = (green + 3) / 51;
    const int b = (blue + 3) / 51;
    outRed = uint8_t(r * 51);
    outGreen = uint8_t(g * 51);
    outBlue = uint8_t(b * 51);
    return uint8_t(r * 36 + g * 6 + b);
}

} // namespace vermaline
