#pragma once
// The fixed target palettes of colour reduction. Each call returns a new palette handle.
#include "formats/platform/palette.h"

namespace vermaline {

// The 6x6x6 colour cube: entry r*36 + g*6 + b holds (r*51, g*51, b*51).
HPALETTE WebPalette();
// 256 greys, entry i = (i, i, i).
HPALETTE GrayRampPalette();
// Black, then white.
HPALETTE BlackWhitePalette();
// The greys 0, 128, 192 and 255.
HPALETTE FourGrayPalette();
// The halftone palette of the screen; raises EOutOfResources when it cannot be created.
HPALETTE HalftoneScreenPalette();

} // namespace vermaline
