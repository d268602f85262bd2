#pragma once
// The abstract graphic every image class derives from.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "formats/platform/graphics_types.h"
#include "formats/platform/palette.h"

namespace vermaline {

class TCanvas;
class TStream;

enum class TProgressStage : uint8_t { psStarting, psRunning, psEnding };

class TGraphic;
using TProgressEvent = std::function<void(TGraphic& sender, TProgressStage stage, uint8_t percentDone,
                                          bool redrawNow, const TRect& rect, const std::string& message)>;
using TNotifyEvent = std::function<void(TGraphic& sender)>;

class TGraphic {
public:
    TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;
    virtual ~TGraphic() = default;

    // Copies source into this graphic; raises EConvertError when the classes do not convert.
    virtual void Assign(const TGraphic& source);
    // A new, empty graphic of the same class.
    virtual std::unique_ptr<TGraphic> NewInstance() const = 0;
    // Draws the graphic scaled into rect (nothing when rect has no area).
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
    virtual bool Equals(const TGraphic& other) const;
    virtual bool Empty() const = 0;
    virtual int Height() const = 0;
    virtual int Width() const = 0;
    virtual HPALETTE Palette() const { return nullptr; }
    virtual void SetHeight(int height) = 0;
    virtual void SetPalette(HPALETTE) {}
    virtual void SetWidth(int width) = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    // Clipboard exchange: the bytes held on the clipboard under a registered format.
    virtual void LoadFromClipboardFormat(unsigned format, const std::vector<uint8_t>& data);
    virtual std::vector<uint8_t> SaveToClipboardFormat(unsigned format);
    // Class name, as used in conversion messages.
    virtual const char* ClassName() const = 0;

    virtual bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);

    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    bool PaletteModified = false;
    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

    // Raises the change notification.
    virtual void Changed();
    void Progress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& rect,
                  const std::string& message);

protected:
    [[noreturn]] void RaiseCannotAssign(const TGraphic& source) const;

private:
    bool transparent_ = false;
};

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

} // namespace vermaline
