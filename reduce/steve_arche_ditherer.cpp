#include "reduce/steve_arche_ditherer.h"

namespace vermaline {

void TSteveArcheDitherer::EndRow() {
    TErrorRowsDitherer::EndRow();
    TripleStep = 3 * step_;
}

//                  *     32
//      12    26    30    16
//         12    26    12
//       5    12    12     5    (/ 200)
void TSteveArcheDitherer::Spread(const TCursors& rows, int32_t e) {
    const int32_t s = step_, s2 = DoubleStep, s3 = TripleStep;
    rows[0][s2] += 32 * e;
    rows[1][-s3] += 12 * e;
    rows[1][-s] += 26 * e;
    rows[1][s] += 30 * e;
    rows[1][s3] += 16 * e;
    rows[2][-s2] += 12 * e;
    rows[2][0] += 26 * e;
    rows[2][s2] += 12 * e;
    rows[3][-s3] += 5 * e;
    rows[3][-s] += 12 * e;
    rows[3][s] += 12 * e;
    rows[3][s3] += 5 * e;
}

} // namespace vermaline
