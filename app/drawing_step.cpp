#include "app/drawing_step.h"

#include "formats/platform/bitmap.h"
#include "formats/platform/canvas.h"

namespace vermaline {

std::unique_ptr<TBitmap> DrawOnNewBitmap(TGraphic& graphic, TTargetSize size) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetWidth(size.Width);
    bitmap->SetHeight(size.Height);
    bitmap->Canvas().StretchDraw(Rect(0, 0, size.Width, size.Height), graphic);
    return bitmap;
}

void ApplyColorDepth(TBitmap& bitmap, int colorIndex) {
    switch (static_cast<TColorDepth>(colorIndex)) {
    case TColorDepth::cdSame: return;
    case TColorDepth::cdMonochrome: bitmap.SetPixelFormat(TPixelFormat::pf1bit); return;
    case TColorDepth::cd16: bitmap.SetPixelFormat(TPixelFormat::pf4bit); return;
    case TColorDepth::cd256: bitmap.SetPixelFormat(TPixelFormat::pf8bit); return;
    case TColorDepth::cdTrueColor: bitmap.SetPixelFormat(TPixelFormat::pf24bit); return;
    }
}

} // namespace vermaline
