#pragma once
// Canvases: drawing surfaces. TBitmapCanvas draws into a bitmap; metafile canvases record.
#include <cstdint>
#include <mutex>
#include <span>

#include "formats/platform/graphics_types.h"

namespace vermaline {

class TBitmap;
class TGraphic;

enum class TCopyMode : uint8_t { cmSrcCopy, cmSrcInvert, cmSrcAnd, cmSrcPaint, cmNotSrcCopy, cmBlackness, cmWhiteness };
enum class TBrushStyle : uint8_t { bsSolid, bsClear };
enum class TPenStyle : uint8_t { psSolid, psClear };

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
};

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = TPenStyle::psSolid;
};

class TCanvas {
public:
    virtual ~TCanvas() = default;

    TBrush Brush;
    TPen Pen;
    TCopyMode CopyMode = TCopyMode::cmSrcCopy;

    // The graphic draws itself scaled into rect; rects without area draw nothing.
    void StretchDraw(const TRect& rect, TGraphic& graphic);
    // Draws the graphic at its own size with its top-left corner at (x, y).
    void Draw(int x, int y, TGraphic& graphic);

    // Drawing primitives; graphics call DrawBitmap to put their pixels on any canvas.
    // DrawBitmap stretches source into dest: exact at 1:1, area-average when shrinking,
    // bilinear when enlarging; alpha bitmaps composite, key-colour bitmaps skip the key.
    virtual void DrawBitmap(const TRect& dest, const TBitmap& source) = 0;
    // Copies srcRect of source's pixels into dest with CopyMode.
    virtual void CopyRect(const TRect& dest, const TBitmap& source, const TRect& srcRect) = 0;
    // Fills with the brush colour (nothing for a clear brush).
    virtual void FillRect(const TRect& rect) = 0;
    // Outline with the pen, interior with the brush.
    virtual void Rectangle(const TRect& rect) = 0;
    virtual void Ellipse(const TRect& rect) = 0;
    virtual void Polygon(std::span<const TPoint> points) = 0;
    virtual void Polyline(std::span<const TPoint> points) = 0;

    TRect ClipRect() const { return clipRect_; }
    void SetClipRect(const TRect& rect) { clipRect_ = rect; hasClip_ = true; }
    void ResetClip() { hasClip_ = false; }
    bool HasClip() const { return hasClip_; }

    void Lock() { mutex_.lock(); }
    void Unlock() { mutex_.unlock(); }

protected:
    TRect clipRect_{};
    bool hasClip_ = false;

private:
    std::recursive_mutex mutex_;
};

class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap& target) : target_(target) {}
    TBitmap& Target() { return target_; }

    void DrawBitmap(const TRect& dest, const TBitmap& source) override;
    void CopyRect(const TRect& dest, const TBitmap& source, const TRect& srcRect) override;
    void FillRect(const TRect& rect) override;
    void Rectangle(const TRect& rect) override;
    void Ellipse(const TRect& rect) override;
    void Polygon(std::span<const TPoint> points) override;
    void Polyline(std::span<const TPoint> points) override;

private:
    TBitmap& target_;
};

} // namespace vermaline
