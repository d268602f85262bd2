#include "app/cli/image_info.h"

#include "formats/platform/bitmap.h"

namespace vermaline::cli {

namespace {

const char* PixelFormatName(TPixelFormat format) {
    static constexpr const char* kNames[] = {"pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit",
                                             "pf16bit",  "pf24bit", "pf32bit", "pfCustom"};
    return kNames[static_cast<int>(format)];
}

} // namespace

std::string DescribeImage(TGraphic& graphic) {
    std::string text = std::string(graphic.ClassName()) + ", " + std::to_string(graphic.Width()) + " x " +
                       std::to_string(graphic.Height());
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&graphic)) {
        text += std::string(", ") + PixelFormatName(bitmap->PixelFormat()) + " (" +
                std::to_string(bitmap->BitsPerPixel()) + " bits par pixel)";
        if (bitmap->AlphaChannel()) text += ", canal alpha";
    }
    return text;
}

} // namespace vermaline::cli
