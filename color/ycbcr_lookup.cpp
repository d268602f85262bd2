#include <cmath>

#include "color/color_manager.h"

namespace vermaline {

namespace {

// Rounds to nearest, ties to even, into a range the row converters can add to a sample
// without overflow; factors from a file's weights may be infinite or not numbers.
int32_t RoundChroma(long double value) {
    constexpr long double kLimit = 1 << 20;
    if (std::isnan(value)) return 0;
    if (value > kLimit) return int32_t(kLimit);
    if (value < -kLimit) return -int32_t(kLimit);
    return int32_t(std::nearbyint(value));
}

} // namespace

void TColorManager::SetYCbCrParameters(std::span<const float> weights, uint8_t horizontal, uint8_t vertical) {
    for (size_t k = 0; k < weights.size() && k < lumaWeights_.size(); ++k) lumaWeights_[k] = weights[k];
    const auto valid = [](uint8_t factor) { return factor == 1 || factor == 2 || factor == 4; };
    if (!valid(horizontal) || !valid(vertical)) Error(color_messages::kInvalidSubsampling);
    if (horizontal < vertical) Error(color_messages::kVerticalSubsampling);
    subsamplingH_ = horizontal;
    subsamplingV_ = vertical;
}

void TColorManager::CreateYCbCrLookup() {
    const long double kr = lumaWeights_[0];
    const long double kg = lumaWeights_[1];
    const long double kb = lumaWeights_[2];
    const float f1 = float(2 - 2 * kr);
    const float f2 = float(kr * f1 / kg);
    const float f3 = float(2 - 2 * kb);
    const float f4 = float(kb * f3 / kg);
    chromaFactors_ = {f1, f2, f3, f4};
    // YCbCr centres both chroma samples on 128; PhotoYCC stores C1 (blue) around 156 and C2
    // (red) around 137.
    const bool ycbcr = sourceColorScheme_ == TColorScheme::csYCbCr;
    crOffset_ = ycbcr ? 128 : 137;
    cbOffset_ = ycbcr ? 128 : 156;
    for (int i = 0; i < 256; ++i) {
        const long double cr = i - crOffset_;
        const long double cb = i - cbOffset_;
        crToRed_[i] = RoundChroma(cr * f1);
        cbToBlue_[i] = RoundChroma(cb * f3);
        crToGreen_[i] = -RoundChroma(cr * f2);
        cbToGreen_[i] = -RoundChroma(cb * f4);
    }
}

} // namespace vermaline
