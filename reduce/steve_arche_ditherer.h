#pragma once
// Stevenson-Arce error diffusion: four rows on a hexagonal pattern, weights out of 200.
#include "reduce/error_rows_ditherer.h"

namespace vermaline {

class TSteveArcheDitherer : public TErrorRowsDitherer {
public:
    TSteveArcheDitherer(int32_t width, TColorLookup& lookup) : TErrorRowsDitherer(width, lookup, 4, 3, 200) {}
    void EndRow() override;

protected:
    void Spread(const TCursors& rows, int32_t e) override;

    int32_t TripleStep = 3;
};

} // namespace vermaline
