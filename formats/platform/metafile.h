#pragma once
// Metafiles: pictures stored as drawing records, saved as enhanced (EMF) or Windows (WMF)
// metafiles. The size is in pixels of a 96 dpi reference device; a metafile canvas records
// into one, and drawing plays the records scaled to the destination rectangle.
#include <memory>
#include <string>
#include <vector>

#include "formats/platform/graphic.h"
#include "formats/platform/metafile_content.h"

namespace vermaline {

class TMetafile : public TGraphic {
public:
    TMetafile();
    ~TMetafile() override;

    const char* ClassName() const override { return "TMetafile"; }
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TMetafile>(); }
    // Copies another metafile; other graphics do not convert (EConvertError).
    void Assign(const TGraphic& source) override;
    // Plays the records so that the frame (0, 0)-(Width, Height) fills rect, clipped to rect.
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool Empty() const override { return width_ <= 0 || height_ <= 0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // Resizing changes the frame; the records keep their coordinates.
    void SetWidth(int width) override;
    void SetHeight(int height) override;

    // Enhanced (EMF, the default) or plain Windows metafile (WMF) when saved.
    bool Enhanced() const { return enhanced_; }
    void SetEnhanced(bool value) { enhanced_ = value; }
    // The creator and description texts of an enhanced metafile (empty when none).
    const std::string& CreatedBy() const { return content_->CreatedBy; }
    const std::string& Description() const { return content_->Description; }
    const TMetafileContent& Content() const { return *content_; }

    // Reads an EMF (header record 1 with the " EMF" signature) or a WMF (with or without the
    // placeable header); raises EInvalidGraphic "Métafichier incorrect" for anything else or
    // for a malformed record.
    void LoadFromStream(TStream& stream) override;
    // Writes an EMF or a WMF, as Enhanced says. A metafile loaded from a file and not changed
    // since is written back byte for byte when its format is kept.
    void SaveToStream(TStream& stream) override;

    void Clear();

private:
    friend class TMetafileCanvas;
    void SetRecording(TMetafileContent content);

    int width_ = 0;
    int height_ = 0;
    bool enhanced_ = true;
    std::shared_ptr<const TMetafileContent> content_;
    std::vector<uint8_t> loadedBytes_;  // the file as loaded, while unchanged
    bool loadedEnhanced_ = true;
};

// Registers wmf and emf with the picture container.
void RegisterMetafile();

} // namespace vermaline
