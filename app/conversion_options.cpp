#include "app/conversion_options.h"

namespace vermaline {

const char* OutputExtension(int formatIndex) {
    static constexpr const char* kExtensions[kOutputFormatCount] = {".bmp", ".jpg", ".wmf", ".emf",
                                                                    ".gif", ".tif", ".tga"};
    return formatIndex >= 0 && formatIndex < kOutputFormatCount ? kExtensions[formatIndex] : "";
}

} // namespace vermaline
