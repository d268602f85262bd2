#pragma once
// The picture container: a process-wide table from file extension to graphic class, and a
// holder of the graphic loaded from a file.
#include <memory>
#include <string>
#include <vector>

#include "formats/platform/graphic.h"

namespace vermaline {

struct TFileFormat {
    std::string Extension;    // lower case, without the dot
    std::string Description;
    std::string ClassName;
    TGraphicFactory Factory;
};

class TPicture {
public:
    // Registers (or replaces) the class for an extension; the extension is matched in any case.
    static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                   const std::string& className, TGraphicFactory factory);
    // Removes every extension and clipboard format registered for the class.
    static void UnregisterGraphicClass(const std::string& className);
    // Registers the class that reads a clipboard format.
    static void RegisterClipboardFormat(unsigned format, const std::string& className, TGraphicFactory factory);
    // The registration for an extension (with or without the dot), or null.
    static const TFileFormat* FindFileFormat(const std::string& extension);
    static std::vector<TFileFormat> FileFormats();
    static bool SupportsClipboardFormat(unsigned format);
    // A new graphic of the class registered for the extension; raises EInvalidGraphic
    // "Extension de fichier inconnue (.%s)." when there is none.
    static std::unique_ptr<TGraphic> CreateForExtension(const std::string& extension);

    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // Loads a file through the class registered for its extension and keeps it as the current
    // graphic. On failure the previous graphic is kept and the error propagates.
    void LoadFromFile(const std::string& fileName);
    void LoadFromClipboardFormat(unsigned format, const std::vector<uint8_t>& data);
    TGraphic* Graphic() const { return graphic_.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

private:
    std::unique_ptr<TGraphic> graphic_;
};

// Registers the platform's own graphic classes (bitmaps, icons, metafiles, JPEG).
void RegisterPlatformGraphics();

} // namespace vermaline
