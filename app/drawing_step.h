#pragma once
// The drawing step of the bitmap-based outputs, and the "Couleurs" depth applied to its result.
#include <memory>

#include "app/target_size.h"

namespace vermaline {

class TBitmap;
class TGraphic;

// A new bitmap (the device format) of the target size, width set first, with the graphic
// stretch-drawn into (0, 0, width, height).
std::unique_ptr<TBitmap> DrawOnNewBitmap(TGraphic& graphic, TTargetSize size);

// Sets the pixel format chosen in "Couleurs" (0 leaves the creation format; 1 pf1bit, 2 pf4bit,
// 3 pf8bit, 4 pf24bit); any other index leaves the bitmap as it is.
void ApplyColorDepth(TBitmap& bitmap, int colorIndex);

} // namespace vermaline
