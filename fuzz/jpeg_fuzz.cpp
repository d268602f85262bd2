// Decodes arbitrary bytes as a JPEG image held in memory: loading reads the header, drawing
// decodes the whole image. Damaged input must raise the platform's invalid-graphic errors.
#include <cstddef>
#include <cstdint>

#include "formats/platform/bitmap.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/jpeg_image.h"
#include "formats/platform/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vermaline;
    TBytesStream stream(data, size);
    TJPEGImage image;
    try {
        image.LoadFromStream(stream);
        // Large frames decode correctly but slowly; the decoder's own size limit is checked
        // on load, so only the time spent here is spared.
        if (static_cast<int64_t>(image.Width()) * image.Height() > 4'000'000) return 0;
        image.Bitmap();
        image.SetPerformance(TJPEGPerformance::jpBestSpeed);
        image.SetGrayscale(true);
        image.Bitmap();
    } catch (const EInvalidGraphic&) {
    }
    return 0;
}
