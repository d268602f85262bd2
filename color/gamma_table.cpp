#include <cmath>

#include "color/color_manager.h"

namespace vermaline {

// The table maps 8-bit colour values to 8-bit colour values: every user of it (8-bit colour
// samples, palette entries, grey ramp levels) indexes it with a colour value of 0 to 255,
// whatever the depth of the samples in the file.
void TColorManager::SetGamma(float fileGamma, float outputGamma) {
    sourceGamma_ = fileGamma > 0 ? fileGamma : 1.0f;
    outputGamma_ = outputGamma > 0 ? outputGamma : 2.2f;
    const double exponent = 1.0 / (double(sourceGamma_) * double(outputGamma_));
    for (unsigned i = 0; i < gammaTable_.size(); ++i)
        gammaTable_[i] = uint8_t(std::nearbyint(std::pow(i / 255.0, exponent) * 255.0));
}

} // namespace vermaline
