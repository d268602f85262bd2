#include "app/startup.h"

#include <mutex>

#include "formats/platform/jpeg_image.h"
#include "formats/platform/metafile.h"
#include "formats/platform/picture.h"

namespace vermaline {

void RegisterGraphicClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterPlatformGraphics();
        RegisterJpegImage();
        RegisterMetafile();
    });
}

} // namespace vermaline
