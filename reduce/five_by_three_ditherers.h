#pragma once
// The error-diffusion kernels five columns wide and three rows deep: Stucki, Sierra and
// Jarvis-Judice-Ninke.
#include "reduce/error_rows_ditherer.h"

namespace vermaline {

class T5by3Ditherer : public TErrorRowsDitherer {
protected:
    T5by3Ditherer(int32_t width, TColorLookup& lookup, int32_t divisor)
        : TErrorRowsDitherer(width, lookup, 3, 2, divisor) {}
};

class TStuckiDitherer : public T5by3Ditherer {
public:
    TStuckiDitherer(int32_t width, TColorLookup& lookup) : T5by3Ditherer(width, lookup, 42) {}

protected:
    void Spread(const TCursors& rows, int32_t e) override;
};

class TSierraDitherer : public T5by3Ditherer {
public:
    TSierraDitherer(int32_t width, TColorLookup& lookup) : T5by3Ditherer(width, lookup, 32) {}

protected:
    void Spread(const TCursors& rows, int32_t e) override;
};

class TJaJuNiDitherer : public T5by3Ditherer {
public:
    TJaJuNiDitherer(int32_t width, TColorLookup& lookup) : T5by3Ditherer(width, lookup, 48) {}

protected:
    void Spread(const TCursors& rows, int32_t e) override;
};

} // namespace vermaline
