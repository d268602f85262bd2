#include "formats/platform/bitmap.h"
#include "formats/platform/icon.h"
#include "formats/platform/jpeg_image.h"
#include "formats/platform/metafile.h"
#include "formats/platform/picture.h"

namespace vermaline {

void RegisterPlatformGraphics() {
    const auto bitmap = [] { return std::unique_ptr<TGraphic>(std::make_unique<TBitmap>()); };
    TPicture::RegisterFileFormat("bmp", "Bitmaps", "TBitmap", bitmap);
    TPicture::RegisterFileFormat("dib", "Bitmaps", "TBitmap", bitmap);
    TPicture::RegisterFileFormat("rle", "Bitmaps", "TBitmap", bitmap);
    TPicture::RegisterFileFormat("ico", "Icônes", "TIcon", [] { return std::unique_ptr<TGraphic>(std::make_unique<TIcon>()); });
    RegisterJpegImage();
    RegisterMetafile();
}

} // namespace vermaline
