#pragma once
// Windows icons (.ico): the largest, deepest image of the file, drawn with its transparency.
#include <functional>
#include <memory>

#include "formats/platform/bitmap.h"
#include "formats/platform/graphic.h"

namespace vermaline {

class TIcon : public TGraphic {
public:
    // Decodes a PNG stream into a bitmap; set by the PNG reader so icons may hold PNG images.
    using TPngDecoder = std::function<void(TStream&, TBitmap&)>;
    static void SetPngDecoder(TPngDecoder decoder);

    TIcon();
    ~TIcon() override;

    const char* ClassName() const override { return "TIcon"; }
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TIcon>(); }
    void Assign(const TGraphic& source) override;
    // Composites the image over the canvas: where the mask is set (alpha 0) the canvas shows.
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool Empty() const override { return image_.Empty(); }
    int Width() const override { return image_.Width(); }
    int Height() const override { return image_.Height(); }
    // Resizing keeps the top-left pixels; the new area is transparent.
    void SetWidth(int width) override { SetSize(width, Height()); }
    void SetHeight(int height) override { SetSize(Width(), height); }
    void SetSize(int width, int height);

    // Reads an icon directory and keeps its largest image (the deepest of equal sizes).
    void LoadFromStream(TStream& stream) override;
    // Writes a single-image icon: 32-bit colour pixels with alpha and the AND mask.
    void SaveToStream(TStream& stream) override;

    // The image as 32-bit pixels with straight alpha (the alpha flag always set).
    const TBitmap& Image() const { return image_; }
    // The AND mask: a pf1bit bitmap, index 1 where the image is transparent.
    const TBitmap& Mask() const { return mask_; }

private:
    void SetImage(const TBitmap& image);
    void RebuildMask();

    TBitmap image_;
    TBitmap mask_;
};

} // namespace vermaline
