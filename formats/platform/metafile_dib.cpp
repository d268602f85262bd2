#include "formats/platform/metafile_dib.h"

#include <cstring>
#include <string>

#include "formats/platform/bitmap.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/metafile_bytes.h"
#include "formats/platform/stream.h"

namespace vermaline {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr int32_t kPixelsPerMetre96Dpi = 3780;

// Whether rows are stored bottom-up: the BITMAPCOREHEADER (12 bytes) always is, the others
// unless their height is negative.
bool IsBottomUp(const TRecordView& info) {
    const uint32_t headerSize = info.U32(0);
    if (headerSize < 12) RaiseInvalidMetafile();
    if (headerSize == 12) return true;
    return info.I32(8) >= 0;
}

// offBits 0 tells the BMP reader that the pixels follow the colour table.
TDecodedDIB DecodeBmp(std::span<const uint8_t> info, std::span<const uint8_t> bits, uint32_t offBits) {
    TDecodedDIB result;
    result.BottomUp = IsBottomUp(TRecordView(info));
    const uint64_t fileSize = kFileHeaderSize + uint64_t(info.size()) + bits.size();
    if (fileSize > UINT32_MAX) RaiseInvalidMetafile();
    std::vector<uint8_t> file;
    file.reserve(static_cast<size_t>(fileSize));
    TByteWriter header;
    header.U16(0x4D42);  // "BM"
    header.U32(static_cast<uint32_t>(fileSize));
    header.U32(0);
    header.U32(offBits);
    file = std::move(header.Bytes());
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), bits.begin(), bits.end());
    auto bitmap = std::make_shared<TBitmap>();
    try {
        TMemoryStream stream(std::move(file));
        bitmap->LoadFromStream(stream);
    } catch (const EStreamError&) {
        RaiseInvalidMetafile();
    } catch (const EInvalidGraphic& e) {
        // A malformed DIB is a malformed metafile; a DIB too large to allocate keeps its message.
        if (std::string(e.what()) == messages::kInvalidBitmap) RaiseInvalidMetafile();
        throw;
    }
    // The bitmap records copy colours; a fourth byte is never alpha for them.
    bitmap->SetAlphaChannel(false);
    result.Bitmap = std::move(bitmap);
    return result;
}

} // namespace

TDecodedDIB DecodeDIB(std::span<const uint8_t> bitmapInfo, std::span<const uint8_t> bits) {
    return DecodeBmp(bitmapInfo, bits, static_cast<uint32_t>(kFileHeaderSize + bitmapInfo.size()));
}

TDecodedDIB DecodePackedDIB(std::span<const uint8_t> dib) { return DecodeBmp(dib, {}, 0); }

std::shared_ptr<const TBitmap> CropBitmap(const std::shared_ptr<const TBitmap>& bitmap, const TRect& srcRect,
                                          bool mirrorX, bool mirrorY) {
    if (srcRect == Rect(0, 0, bitmap->Width(), bitmap->Height()) && !mirrorX && !mirrorY) return bitmap;
    // Only the rows of the part are converted: the DIB may be far larger than the part drawn.
    auto part = std::make_shared<TBitmap>(srcRect.Width(), srcRect.Height(), TPixelFormat::pf24bit);
    std::vector<uint8_t> row(size_t(bitmap->Width()) * 4);
    for (int y = 0; y < srcRect.Height(); ++y) {
        bitmap->ReadRowBGRA(srcRect.Top + (mirrorY ? srcRect.Height() - 1 - y : y), row.data());
        uint8_t* out = part->ScanLine(y);
        for (int x = 0; x < srcRect.Width(); ++x) {
            const int sourceX = srcRect.Left + (mirrorX ? srcRect.Width() - 1 - x : x);
            std::memcpy(out + size_t(x) * 3, &row[size_t(sourceX) * 4], 3);
        }
    }
    return part;
}

TEncodedDIB EncodeDIB(const TBitmap& bitmap) {
    int bits = 24;
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf1bit: bits = 1; break;
    case TPixelFormat::pf4bit: bits = 4; break;
    case TPixelFormat::pf8bit: bits = 8; break;
    default: break;
    }
    TDIBCopy dib;
    if (bitmap.AlphaChannel()) {
        TBitmap flat(bitmap.Width(), bitmap.Height(), TPixelFormat::pf24bit);
        std::vector<uint8_t> row(size_t(bitmap.Width()) * 4);
        for (int y = 0; y < bitmap.Height(); ++y) {
            bitmap.ReadRowBGRA(y, row.data());
            uint8_t* out = flat.ScanLine(y);
            for (int x = 0; x < bitmap.Width(); ++x) {
                const uint8_t* p = &row[size_t(x) * 4];
                for (int c = 0; c < 3; ++c)
                    out[x * 3 + c] = static_cast<uint8_t>((p[c] * p[3] + 255 * (255 - p[3]) + 127) / 255);
            }
        }
        dib = flat.GetDIB(24, true);
    } else {
        dib = bitmap.GetDIB(bits, true);
    }
    TEncodedDIB encoded;
    TByteWriter info;
    info.U32(kInfoHeaderSize);
    info.I32(dib.Width);
    info.I32(dib.Height);
    info.U16(1);
    info.U16(static_cast<uint16_t>(dib.BitsPerPixel));
    info.U32(0);  // BI_RGB
    info.U32(static_cast<uint32_t>(dib.Bits.size()));
    info.I32(kPixelsPerMetre96Dpi);
    info.I32(kPixelsPerMetre96Dpi);
    info.U32(static_cast<uint32_t>(dib.ColorTable.size()));
    info.U32(0);
    for (const TRGBQuad& q : dib.ColorTable) {
        const uint8_t quad[4] = {q.rgbBlue, q.rgbGreen, q.rgbRed, 0};
        info.Append(quad);
    }
    encoded.Info = std::move(info.Bytes());
    encoded.Bits = std::move(dib.Bits);
    return encoded;
}

} // namespace vermaline
