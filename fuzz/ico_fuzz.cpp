// libFuzzer target: the icon reader over arbitrary bytes must load or raise, nothing else.
#include <cstddef>
#include <cstdint>

#include "formats/platform/exceptions.h"
#include "formats/platform/icon.h"
#include "formats/platform/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vermaline::TBytesStream stream(data, size);
    vermaline::TIcon icon;
    try {
        icon.LoadFromStream(stream);
        vermaline::TMemoryStream saved;
        icon.SaveToStream(saved);
    } catch (const vermaline::Exception&) {
    }
    return 0;
}
