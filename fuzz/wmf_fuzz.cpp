// Loads arbitrary bytes as a Windows metafile and plays it onto a small bitmap: malformed input must
// raise EInvalidGraphic, never crash, hang or read outside the data.
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/platform/bitmap.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/metafile.h"
#include "formats/platform/stream.h"
#include "formats/platform/wmf_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vermaline;
    // The other format has its own target.
    if (!IsWmf(std::span(data, size))) return 0;
    try {
        TBytesStream stream(data, size);
        TMetafile metafile;
        metafile.LoadFromStream(stream);
        TBitmap target(48, 32, TPixelFormat::pf24bit);
        target.Canvas().StretchDraw(Rect(0, 0, 48, 32), metafile);
        metafile.SetEnhanced(!metafile.Enhanced());
        TMemoryStream saved;
        metafile.SaveToStream(saved);
    } catch (const EInvalidGraphic&) {
    }
    return 0;
}
