#include "reduce/five_by_three_ditherers.h"

namespace vermaline {

namespace {

// Adds the weights w[0..4] x e at columns behind 2 ... ahead 2 of one row.
void SpreadRow(int32_t* a, int32_t s, int32_t s2, const int32_t (&w)[5], int32_t e) {
    a[-s2] += w[0] * e;
    a[-s] += w[1] * e;
    a[0] += w[2] * e;
    a[s] += w[3] * e;
    a[s2] += w[4] * e;
}

} // namespace

//            *  8  4
//      2  4  8  4  2
//      1  2  4  2  1    (/ 42)
void TStuckiDitherer::Spread(const TCursors& rows, int32_t e) {
    const int32_t s = step_, s2 = DoubleStep;
    rows[0][s] += 8 * e;
    rows[0][s2] += 4 * e;
    SpreadRow(rows[1], s, s2, {2, 4, 8, 4, 2}, e);
    SpreadRow(rows[2], s, s2, {1, 2, 4, 2, 1}, e);
}

//            *  5  3
//      2  4  5  4  2
//         2  3  2       (/ 32)
void TSierraDitherer::Spread(const TCursors& rows, int32_t e) {
    const int32_t s = step_, s2 = DoubleStep;
    rows[0][s] += 5 * e;
    rows[0][s2] += 3 * e;
    SpreadRow(rows[1], s, s2, {2, 4, 5, 4, 2}, e);
    SpreadRow(rows[2], s, s2, {0, 2, 3, 2, 0}, e);
}

//            *  7  5
//      3  5  7  5  3
//      1  3  5  3  1    (/ 48)
void TJaJuNiDitherer::Spread(const TCursors& rows, int32_t e) {
    const int32_t s = step_, s2 = DoubleStep;
    rows[0][s] += 7 * e;
    rows[0][s2] += 5 * e;
    SpreadRow(rows[1], s, s2, {3, 5, 7, 5, 3}, e);
    SpreadRow(rows[2], s, s2, {1, 3, 5, 3, 1}, e);
}

} // namespace vermaline
