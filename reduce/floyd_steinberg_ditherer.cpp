#include "reduce/floyd_steinberg_ditherer.h"

namespace vermaline {

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int32_t width, TColorLookup& lookup) : TDitherEngine(width, lookup) {
    for (Channel& c : channels_) c.ErrorRow.assign(static_cast<size_t>(width) + 2, 0);
}

uint8_t TFloydSteinbergDitherer::DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed,
                                             uint8_t& outGreen, uint8_t& outBlue) {
    const size_t p = static_cast<size_t>(cursor_);
    const std::array<uint8_t, 3> input = {red, green, blue};
    std::array<uint8_t, 3> v{};
    for (int ch = 0; ch < 3; ++ch) {
        const Channel& c = channels_[ch];
        v[ch] = ClampComponent(input[ch] + (c.ErrorRow[p] + c.Carry + 8) / 16);
    }
    const uint8_t index = TDitherEngine::DitherPixel(v[0], v[1], v[2], outRed, outGreen, outBlue);
    const std::array<uint8_t, 3> chosen = {outRed, outGreen, outBlue};
    for (int ch = 0; ch < 3; ++ch) {
        Channel& c = channels_[ch];
        const int32_t e = int32_t(v[ch]) - chosen[ch];
        if (e != 0) {
            c.ErrorRow[p] = c.PendingSum + 3 * e;
            c.PendingSum = c.PendingOne + 5 * e;
            c.PendingOne = e;
            c.Carry = 7 * e;
        } else {
            c.Carry = 0;
        }
    }
    cursor_ += step_;
    return index;
}

void TFloydSteinbergDitherer::EndRow() {
    for (Channel& c : channels_) {
        c.ErrorRow[static_cast<size_t>(cursor_)] = c.PendingSum;
        c.Carry = c.PendingOne = c.PendingSum = 0;
    }
    TDitherEngine::EndRow();
    cursor_ = step_ > 0 ? 0 : rowWidth_ + 1;
}

} // namespace vermaline
