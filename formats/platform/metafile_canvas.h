#pragma once
// A canvas that records what is drawn on it into a metafile. It has no reference device: its
// coordinates are the metafile's pixels. The recording replaces the metafile's picture when the
// canvas is destroyed.
#include <string>

#include "formats/platform/canvas.h"
#include "formats/platform/metafile_content.h"

namespace vermaline {

class TMetafile;

class TMetafileCanvas : public TCanvas {
public:
    explicit TMetafileCanvas(TMetafile& metafile);
    // With the creator and description texts an enhanced metafile stores in its header.
    TMetafileCanvas(TMetafile& metafile, const std::string& creator, const std::string& description);
    ~TMetafileCanvas() override;
    TMetafileCanvas(const TMetafileCanvas&) = delete;
    TMetafileCanvas& operator=(const TMetafileCanvas&) = delete;

    // Recorded as a stretched DIB transfer (source copy) of a copy of the bitmap.
    void DrawBitmap(const TRect& dest, const TBitmap& source) override;
    // Recorded as a stretched DIB transfer of the source part with the copy mode.
    void CopyRect(const TRect& dest, const TBitmap& source, const TRect& srcRect) override;
    void FillRect(const TRect& rect) override;
    void Rectangle(const TRect& rect) override;
    void Ellipse(const TRect& rect) override;
    void Polygon(std::span<const TPoint> points) override;
    void Polyline(std::span<const TPoint> points) override;

private:
    void AddShape(TMetafileOpKind kind, std::vector<TPointF> points);
    TPen CurrentPen() const;
    TBrush CurrentBrush() const;

    TMetafile& metafile_;
    TMetafileContent content_;
};

} // namespace vermaline
