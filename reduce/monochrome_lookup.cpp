#include "reduce/monochrome_lookup.h"

namespace vermaline {

uint8_t TMonochromeLookup::MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                                    uint8_t& outBlue) {
    const int s = 77 * red + 150 * green + 29 * blue;
    const bool white = s >= 32513;
    outRed = outGreen = outBlue = white ? 255 : 0;
    return white ? 1 : 0;
}

} // namespace vermaline
