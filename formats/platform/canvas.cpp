#include "formats/platform/canvas.h"

#include "formats/platform/graphic.h"

namespace vermaline {

void TCanvas::StretchDraw(const TRect& rect, TGraphic& graphic) {
    if (rect.IsEmpty()) return;
    graphic.Draw(*this, rect);
}

void TCanvas::Draw(int x, int y, TGraphic& graphic) {
    graphic.Draw(*this, Bounds(x, y, graphic.Width(), graphic.Height()));
}

} // namespace vermaline
