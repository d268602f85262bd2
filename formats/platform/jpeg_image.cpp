#include "formats/platform/jpeg_image.h"

#include <algorithm>

#include "formats/platform/bitmap.h"
#include "formats/platform/canvas.h"
#include "formats/platform/jpeg_codec.h"
#include "formats/platform/picture.h"
#include "formats/platform/stream.h"

namespace vermaline {

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Clear() {
    data_.clear();
    dataWidth_ = dataHeight_ = 0;
    bitmap_.reset();
}

void TJPEGImage::FreeDecodedBitmap() {
    if (!data_.empty()) bitmap_.reset();
}

void TJPEGImage::Assign(const TGraphic& source) {
    if (&source == this) return;
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&source)) {
        data_ = jpeg->data_;
        dataWidth_ = jpeg->dataWidth_;
        dataHeight_ = jpeg->dataHeight_;
        bitmap_.reset();
        if (jpeg->bitmap_) {
            bitmap_ = std::make_unique<TBitmap>();
            bitmap_->Assign(*jpeg->bitmap_);
        }
        quality_ = jpeg->quality_;
        progressive_ = jpeg->progressive_;
        grayscale_ = jpeg->grayscale_;
        pixelFormat_ = jpeg->pixelFormat_;
        performance_ = jpeg->performance_;
        smoothing_ = jpeg->smoothing_;
    } else {
        // TBitmap::Assign copies a bitmap and draws any other graphic at its own size.
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->Assign(source);
        Clear();
        bitmap_ = std::move(bitmap);
    }
    Changed();
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect) {
    if (Empty() || rect.IsEmpty()) return;
    canvas.DrawBitmap(rect, Bitmap());
}

bool TJPEGImage::Empty() const { return data_.empty() && (!bitmap_ || bitmap_->Empty()); }

int TJPEGImage::Width() const { return bitmap_ ? bitmap_->Width() : dataWidth_; }
int TJPEGImage::Height() const { return bitmap_ ? bitmap_->Height() : dataHeight_; }

void TJPEGImage::SetWidth(int) { throw EInvalidGraphicOperation(messages::kJpegSizeFixed); }
void TJPEGImage::SetHeight(int) { throw EInvalidGraphicOperation(messages::kJpegSizeFixed); }

void TJPEGImage::LoadFromStream(TStream& stream) {
    Clear();
    const int64_t size = stream.Size() - stream.Position();
    std::vector<uint8_t> data(static_cast<size_t>(std::max<int64_t>(size, 0)));
    stream.ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
    const TJpegHeader header = ReadJpegHeader(data);
    CheckImageSize(header.Width, header.Height, 24);
    data_ = std::move(data);
    dataWidth_ = header.Width;
    dataHeight_ = header.Height;
    Changed();
}

void TJPEGImage::SaveToStream(TStream& stream) {
    Compress();
    stream.WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}

void TJPEGImage::SetGrayscale(bool value) {
    if (value == grayscale_) return;
    grayscale_ = value;
    FreeDecodedBitmap();
    Changed();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat value) {
    if (value == pixelFormat_) return;
    pixelFormat_ = value;
    FreeDecodedBitmap();
    Changed();
}

void TJPEGImage::SetPerformance(TJPEGPerformance value) {
    if (value == performance_) return;
    performance_ = value;
    FreeDecodedBitmap();
    Changed();
}

void TJPEGImage::SetSmoothing(bool value) {
    if (value == smoothing_) return;
    smoothing_ = value;
    FreeDecodedBitmap();
    Changed();
}

void TJPEGImage::Compress() {
    if (!data_.empty() || !bitmap_ || bitmap_->Empty()) return;
    const TBitmap* source = bitmap_.get();
    TBitmap converted;
    if (source->BitsPerPixel() != 24) {
        converted.Assign(*source);
        converted.SetPixelFormat(TPixelFormat::pf24bit);
        source = &converted;
    }
    const int width = source->Width();
    const int height = source->Height();
    const TRect bounds = Rect(0, 0, width, height);
    const TJpegEncodeSettings settings{quality_, grayscale_, progressive_};
    try {
        Progress(TProgressStage::psStarting, 0, false, bounds, "");
        try {
            data_ = EncodeJpeg(source->ScanLine(0), static_cast<std::ptrdiff_t>(source->RowStride()), width, height,
                               settings);
        } catch (...) {
            data_.clear();
            Progress(TProgressStage::psEnding, 0, false, bounds, "");
            throw;
        }
        dataWidth_ = width;
        dataHeight_ = height;
        Progress(TProgressStage::psEnding, 100, false, bounds, "");
    } catch (const EAbort&) {
        Clear();
        throw;
    }
}

const TBitmap& TJPEGImage::Bitmap() {
    if (!bitmap_) {
        auto bitmap = std::make_unique<TBitmap>();
        if (!data_.empty()) {
            const TJpegDecodeSettings settings{grayscale_, performance_ == TJPEGPerformance::jpBestSpeed, smoothing_};
            DecodeJpeg(data_, settings, *bitmap);
        }
        bitmap_ = std::move(bitmap);
    }
    return *bitmap_;
}

void RegisterJpegImage() {
    const auto factory = [] { return std::unique_ptr<TGraphic>(std::make_unique<TJPEGImage>()); };
    TPicture::RegisterFileFormat("jfif", "Images JFIF", "TJPEGImage", factory);
    TPicture::RegisterFileFormat("jpg", "Images JPG", "TJPEGImage", factory);
    TPicture::RegisterFileFormat("jpe", "Images JPE", "TJPEGImage", factory);
    TPicture::RegisterFileFormat("jpeg", "Images JPEG", "TJPEGImage", factory);
}

} // namespace vermaline
