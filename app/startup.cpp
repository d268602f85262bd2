#include "app/startup.h"

#include <mutex>

#include "formats/platform/picture.h"

namespace vermaline {

void RegisterGraphicClasses() {
    static std::once_flag once;
    std::call_once(once, [] { RegisterPlatformGraphics(); });
}

} // namespace vermaline
