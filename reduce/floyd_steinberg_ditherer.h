#pragma once
// Floyd-Steinberg error diffusion (7/16 ahead, 3/16, 5/16 and 1/16 on the next row) with one
// error row per channel and running sums carried along the row.
#include <array>
#include <cstddef>
#include <vector>

#include "reduce/dither_engine.h"

namespace vermaline {

class TFloydSteinbergDitherer : public TDitherEngine {
public:
    TFloydSteinbergDitherer(int32_t width, TColorLookup& lookup);

    uint8_t DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                        uint8_t& outBlue) override;
    void EndRow() override;

private:
    struct Channel {
        std::vector<int32_t> ErrorRow;  // RowWidth + 2 entries
        int32_t Carry = 0;
        int32_t PendingOne = 0;
        int32_t PendingSum = 0;
    };
    std::array<Channel, 3> channels_;  // red, green, blue
    int32_t cursor_ = 0;               // entry of ErrorRow, the same for the three channels
};

} // namespace vermaline
