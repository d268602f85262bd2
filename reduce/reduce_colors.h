#pragma once
// Reduces any bitmap to a new 8-bit palette bitmap: the colour reduction picks the target
// palette, the dither mode how pixels are mapped to it.
#include <cstdint>
#include <memory>

#include "formats/platform/bitmap.h"
#include "formats/platform/palette.h"

namespace vermaline {

enum class TColorReduction : uint8_t {
    rmNone,             // a 24-bit copy
    rmWindows20,        // the 20 static colours
    rmWindows256,       // the screen's halftone palette
    rmWindowsGray,      // four greys
    rmMonochrome,       // black and white
    rmGrayScale,        // 256 greys
    rmNetscape,         // the 6x6x6 colour cube
    rmQuantize,         // an optimised palette of 2^bits colours
    rmQuantizeWindows,  // 236 optimised colours between the 20 static colours
    rmPalette           // a palette of the caller's
};

enum class TDitherMode : uint8_t {
    dmNearest,
    dmFloydSteinberg,
    dmStucki,
    dmSierra,
    dmJaJuNI,
    dmSteveArche,
    dmBurkes
};

// A new bitmap: for rmNone a 24-bit copy of the source; otherwise an 8-bit bitmap of the
// source's size whose 256-entry colour table holds the target palette followed by black.
// Except for rmNone the source is left converted to pf24bit. Values of reduction or dither mode
// outside their enumerations, reductionBits outside 0 ... 8 for rmQuantize, and a palette the
// lookup cannot use (rmPalette with a null palette) give an empty bitmap and no error.
// Errors of the parts used propagate; nothing is left allocated then.
std::unique_ptr<TBitmap> ReduceColors(TBitmap& source, TColorReduction reduction, TDitherMode ditherMode,
                                      int32_t reductionBits, const HPALETTE& customPalette);

} // namespace vermaline
