#pragma once
// Turns a 24-bit image into palette indices one pixel at a time, in serpentine order: even rows
// left to right, odd rows right to left. The base class maps each pixel to its nearest palette
// colour; the error-diffusion ditherers derive from it.
//
// Calling protocol, for each row from the top: while 0 <= CurrentColumn() < RowWidth(), pass
// the source pixel at CurrentColumn() to DitherPixel (or skip it with AdvanceColumn) and store
// the returned index at that column; then EndRow.
#include <cstdint>

#include "reduce/color_lookup.h"

namespace vermaline {

class TDitherEngine {
public:
    // The lookup is not owned and must outlive the ditherer.
    TDitherEngine(int32_t width, TColorLookup& lookup) : mapper_(lookup), rowWidth_(width) {}
    TDitherEngine(const TDitherEngine&) = delete;
    TDitherEngine& operator=(const TDitherEngine&) = delete;
    virtual ~TDitherEngine() = default;

    // The index for the pixel at CurrentColumn() of the given colour; reports the palette
    // colour chosen and moves to the next column.
    virtual uint8_t DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                                uint8_t& outBlue);
    // Finishes the row; the next one runs the other way.
    virtual void EndRow();
    // Skips the pixel at CurrentColumn(); the diffused error does not move.
    void AdvanceColumn() { currentColumn_ += step_; }

    int32_t Step() const { return step_; }
    int32_t CurrentColumn() const { return currentColumn_; }
    int32_t RowWidth() const { return rowWidth_; }
    TColorLookup& Mapper() const { return mapper_; }

protected:
    int32_t step_ = 1;
    int32_t currentColumn_ = 0;
    TColorLookup& mapper_;
    int32_t rowWidth_;
};

// Clamps a diffused component to a byte.
inline uint8_t ClampComponent(int32_t v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

} // namespace vermaline
