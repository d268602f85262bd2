#pragma once
// Error diffusion over several accumulator rows per channel: row 0 is the current image row,
// row k the k-th row below. Each row has Guard spare entries on both sides, so that kernel
// positions beyond the image need no bounds test; what lands there is never read. Image column
// c lives at entry c + Guard. Weighted errors are added unscaled; a pixel divides its own
// accumulated sum (plus half the divisor) by the divisor when it reads it.
#include <array>
#include <cstddef>
#include <vector>

#include "reduce/dither_engine.h"

namespace vermaline {

class TErrorRowsDitherer : public TDitherEngine {
public:
    uint8_t DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                        uint8_t& outBlue) override;
    void EndRow() override;

protected:
    static constexpr int kMaxRows = 4;
    // The accumulator rows of one channel, each addressed at the current column.
    using TCursors = std::array<int32_t*, kMaxRows>;

    TErrorRowsDitherer(int32_t width, TColorLookup& lookup, int rows, int guard, int32_t divisor);
    // Adds weight x e to every position of the kernel, relative to the cursors.
    virtual void Spread(const TCursors& rows, int32_t e) = 0;

    int32_t KernelDivisor;
    int32_t DoubleStep = 2;

private:
    int rowCount_;
    int guard_;
    std::array<std::vector<std::vector<int32_t>>, 3> rows_;  // [channel][row]
    int32_t cursor_;
};

} // namespace vermaline
