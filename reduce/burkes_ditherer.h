#pragma once
// Burkes error diffusion: two rows, weights out of 32.
#include "reduce/error_rows_ditherer.h"

namespace vermaline {

class TBurkesDitherer : public TErrorRowsDitherer {
public:
    TBurkesDitherer(int32_t width, TColorLookup& lookup) : TErrorRowsDitherer(width, lookup, 2, 2, 32) {}

protected:
    void Spread(const TCursors& rows, int32_t e) override;
};

} // namespace vermaline
