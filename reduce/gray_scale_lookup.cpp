#include "reduce/gray_scale_lookup.h"

namespace vermaline {

uint8_t TGrayScaleLookup::MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                                   uint8_t& outBlue) {
    const auto y = uint8_t((77 * red + 150 * green + 29 * blue) >> 8);
    outRed = outGreen = outBlue = y;
    return y;
}

} // namespace vermaline
