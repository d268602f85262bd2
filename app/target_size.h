#pragma once
// The size an image is drawn at, from the "Taille" choice.
#include <cstdint>

#include "app/conversion_options.h"

namespace vermaline {

struct TTargetSize {
    int32_t Width = 0;
    int32_t Height = 0;
    friend bool operator==(const TTargetSize&, const TTargetSize&) = default;
};

// "Identique": the graphic's size. "Proportionnelle": percent × size / 100, a 32-bit product
// (wrapping as 32-bit arithmetic does) divided with truncation toward zero, the percentage read
// once per dimension. "Fixe": the width and height fields. Fields that are not integers raise
// EConvertError; zero or negative results are passed on unchecked.
TTargetSize ComputeTargetSize(const TSizeOptions& size, int32_t graphicWidth, int32_t graphicHeight);

} // namespace vermaline
