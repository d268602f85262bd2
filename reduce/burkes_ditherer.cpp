#include "reduce/burkes_ditherer.h"

namespace vermaline {

//            *  8  4
//      2  4  8  4  2    (/ 32)
void TBurkesDitherer::Spread(const TCursors& rows, int32_t e) {
    const int32_t s = step_, s2 = DoubleStep;
    int32_t* a0 = rows[0];
    int32_t* a1 = rows[1];
    a0[s] += 8 * e;
    a0[s2] += 4 * e;
    a1[-s2] += 2 * e;
    a1[-s] += 4 * e;
    a1[0] += 8 * e;
    a1[s] += 4 * e;
    a1[s2] += 2 * e;
}

} // namespace vermaline
