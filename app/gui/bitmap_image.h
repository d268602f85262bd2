#pragma once
// The preview shows graphics through Qt: a graphic drawn into a bitmap of its own size,
// handed over as an image.
#include <QImage>

namespace vermaline {
class TBitmap;
class TGraphic;
}

namespace vermaline::gui {

QImage ToQImage(const TBitmap& bitmap);
// Draws any graphic at its own size first (nothing for an empty one).
QImage ToQImage(TGraphic& graphic);

} // namespace vermaline::gui
