#include "reduce/dither_engine.h"

namespace vermaline {

uint8_t TDitherEngine::DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                                   uint8_t& outBlue) {
    const uint8_t index = mapper_.MapColor(red, green, blue, outRed, outGreen, outBlue);
    AdvanceColumn();
    return index;
}

void TDitherEngine::EndRow() {
    step_ = -step_;
    currentColumn_ = step_ > 0 ? 0 : rowWidth_ - 1;
}

} // namespace vermaline
