#pragma once
// The JPEG image class: a graphic that holds JPEG-compressed bytes and, when needed, the bitmap
// they decode to (or the bitmap it was given to compress). Encoding and decoding use libjpeg.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "formats/platform/exceptions.h"
#include "formats/platform/graphic.h"

namespace vermaline {

class TBitmap;

// libjpeg's fatal errors, encoding or decoding. A JPEG that cannot be read is an invalid graphic.
class EJPEG : public EInvalidGraphic {
public:
    explicit EJPEG(const std::string& message) : EInvalidGraphic(message) {}
};

namespace messages {
inline constexpr const char* kJpegError = "Erreur JPEG #%d";  // libjpeg's message code
inline constexpr const char* kJpegSizeFixed = "Impossible de modifier la taille d'une image JPEG";
} // namespace messages

enum class TJPEGPixelFormat : uint8_t { jf24Bit, jf8Bit };
enum class TJPEGPerformance : uint8_t { jpBestQuality, jpBestSpeed };

// The compression quality for the JPEG dialog's rate field: 100 − rate, kept in 8 bits as the
// quality setting is (rate 101 gives 255, which libjpeg then lowers to 100).
constexpr uint8_t JpegQualityFromRate(int rate) { return static_cast<uint8_t>(100 - rate); }

class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;

    const char* ClassName() const override { return "TJPEGImage"; }
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TJPEGImage>(); }
    // From a JPEG image: its data, bitmap and settings. From a bitmap: a copy of it, to be
    // compressed. From any other graphic: the graphic drawn at its own size onto a bitmap.
    void Assign(const TGraphic& source) override;
    // Decodes on first use, then draws the bitmap scaled into rect.
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool Empty() const override;
    // From the held bitmap, else from the JPEG frame header (no decoding needed).
    int Width() const override;
    int Height() const override;
    // A JPEG image is resized by drawing it onto a bitmap: raises EInvalidGraphicOperation.
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    // Reads the rest of the stream as JPEG data and checks its header (EJPEG when it is not
    // JPEG or is damaged there; EInvalidGraphic when the image is too large to decode).
    void LoadFromStream(TStream& stream) override;
    // Writes the compressed data, compressing the held bitmap first when there is none.
    void SaveToStream(TStream& stream) override;

    // Encoding settings. The quality is kept as given; libjpeg limits it to 1..100.
    uint8_t CompressionQuality() const { return quality_; }
    void SetCompressionQuality(uint8_t quality) { quality_ = quality; }
    bool ProgressiveEncoding() const { return progressive_; }
    void SetProgressiveEncoding(bool value) { progressive_ = value; }
    // Grey scale: one luminance component when compressing, and luminance only when decoding.
    bool Grayscale() const { return grayscale_; }
    void SetGrayscale(bool value);
    // Decoding settings: they never change the written bytes. The simulated screen has 24 bits,
    // so decoding always gives a 24-bit bitmap; best speed uses the fast DCT and plain
    // upsampling; smoothing blurs the blocks of an incomplete progressive image.
    TJPEGPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TJPEGPixelFormat value);
    TJPEGPerformance Performance() const { return performance_; }
    void SetPerformance(TJPEGPerformance value);
    bool Smoothing() const { return smoothing_; }
    void SetSmoothing(bool value);

    // Compresses the held bitmap unless compressed data exists. An empty bitmap (or none)
    // leaves the data empty. Progress: a starting notification, then an ending one at 100, or
    // at 0 when compressing failed. libjpeg's errors raise EJPEG; an abort raised by a progress
    // handler empties the image and propagates.
    void Compress();
    // The bitmap, decoded from the data on first use (EJPEG when the data is damaged).
    const TBitmap& Bitmap();
    // The compressed bytes (empty until loaded or compressed).
    std::span<const uint8_t> Data() const { return data_; }

private:
    // Drops a bitmap that can be decoded again from the data; a bitmap waiting to be
    // compressed is the only copy of the image and stays.
    void FreeDecodedBitmap();
    void Clear();

    std::vector<uint8_t> data_;
    int dataWidth_ = 0;   // frame header of data_
    int dataHeight_ = 0;
    std::unique_ptr<TBitmap> bitmap_;

    uint8_t quality_ = 90;
    bool progressive_ = false;
    bool grayscale_ = false;
    TJPEGPixelFormat pixelFormat_ = TJPEGPixelFormat::jf24Bit;
    TJPEGPerformance performance_ = TJPEGPerformance::jpBestQuality;
    bool smoothing_ = true;
};

// Registers TJPEGImage with the picture container for jfif, jpg, jpe and jpeg.
void RegisterJpegImage();

} // namespace vermaline
