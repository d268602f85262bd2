#include "reduce/error_rows_ditherer.h"

#include <algorithm>

namespace vermaline {

TErrorRowsDitherer::TErrorRowsDitherer(int32_t width, TColorLookup& lookup, int rows, int guard, int32_t divisor)
    : TDitherEngine(width, lookup), KernelDivisor(divisor), rowCount_(rows), guard_(guard), cursor_(guard) {
    for (auto& channel : rows_)
        channel.assign(static_cast<size_t>(rows), std::vector<int32_t>(static_cast<size_t>(width) + 2 * guard, 0));
}

uint8_t TErrorRowsDitherer::DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed,
                                        uint8_t& outGreen, uint8_t& outBlue) {
    const int32_t rounding = KernelDivisor / 2;
    const std::array<uint8_t, 3> input = {red, green, blue};
    std::array<TCursors, 3> cursors{};
    std::array<uint8_t, 3> v{};
    for (int ch = 0; ch < 3; ++ch) {
        for (int k = 0; k < rowCount_; ++k) cursors[ch][k] = rows_[ch][k].data() + cursor_;
        v[ch] = ClampComponent(input[ch] + (*cursors[ch][0] + rounding) / KernelDivisor);
    }
    const uint8_t index = TDitherEngine::DitherPixel(v[0], v[1], v[2], outRed, outGreen, outBlue);
    const std::array<uint8_t, 3> chosen = {outRed, outGreen, outBlue};
    for (int ch = 0; ch < 3; ++ch) {
        const int32_t e = int32_t(v[ch]) - chosen[ch];
        if (e != 0) Spread(cursors[ch], e);
    }
    cursor_ += step_;
    return index;
}

void TErrorRowsDitherer::EndRow() {
    for (auto& channel : rows_) {
        std::fill(channel[0].begin(), channel[0].end(), 0);
        std::rotate(channel.begin(), channel.begin() + 1, channel.end());
    }
    TDitherEngine::EndRow();
    DoubleStep = 2 * step_;
    cursor_ = currentColumn_ + guard_;
}

} // namespace vermaline
