#include "app/gui/bitmap_image.h"

#include "app/drawing_step.h"
#include "formats/platform/bitmap.h"

namespace vermaline::gui {

QImage ToQImage(const TBitmap& bitmap) {
    if (bitmap.Empty()) return {};
    // Blue, green, red, alpha bytes are a 32-bit ARGB word on a little-endian machine.
    const QImage::Format format = bitmap.AlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    QImage image(bitmap.Width(), bitmap.Height(), format);
    for (int y = 0; y < bitmap.Height(); ++y) bitmap.ReadRowBGRA(y, image.scanLine(y));
    return image;
}

QImage ToQImage(TGraphic& graphic) {
    if (auto* bitmap = dynamic_cast<TBitmap*>(&graphic)) return ToQImage(*bitmap);
    if (graphic.Empty()) return {};
    const std::unique_ptr<TBitmap> drawn = DrawOnNewBitmap(graphic, {graphic.Width(), graphic.Height()});
    return ToQImage(*drawn);
}

} // namespace vermaline::gui
