#include "formats/platform/picture.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "formats/platform/exceptions.h"
#include "formats/platform/file_names.h"

namespace vermaline {

namespace {

struct ClipboardRegistration {
    unsigned Format;
    std::string ClassName;
    TGraphicFactory Factory;
};

struct Registry {
    std::mutex mutex;
    std::vector<TFileFormat> formats;
    std::vector<ClipboardRegistration> clipboard;
};

Registry& Table() {
    static Registry registry;
    return registry;
}

std::string Normalise(std::string extension) {
    if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

} // namespace

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  const std::string& className, TGraphicFactory factory) {
    Registry& r = Table();
    std::lock_guard lock(r.mutex);
    const std::string key = Normalise(extension);
    auto it = std::find_if(r.formats.begin(), r.formats.end(), [&](const TFileFormat& f) { return f.Extension == key; });
    TFileFormat format{key, description, className, std::move(factory)};
    if (it != r.formats.end())
        *it = std::move(format);
    else
        r.formats.push_back(std::move(format));
}

void TPicture::UnregisterGraphicClass(const std::string& className) {
    Registry& r = Table();
    std::lock_guard lock(r.mutex);
    std::erase_if(r.formats, [&](const TFileFormat& f) { return f.ClassName == className; });
    std::erase_if(r.clipboard, [&](const ClipboardRegistration& c) { return c.ClassName == className; });
}

void TPicture::RegisterClipboardFormat(unsigned format, const std::string& className, TGraphicFactory factory) {
    Registry& r = Table();
    std::lock_guard lock(r.mutex);
    std::erase_if(r.clipboard, [&](const ClipboardRegistration& c) { return c.Format == format; });
    r.clipboard.push_back({format, className, std::move(factory)});
}

const TFileFormat* TPicture::FindFileFormat(const std::string& extension) {
    Registry& r = Table();
    std::lock_guard lock(r.mutex);
    const std::string key = Normalise(extension);
    auto it = std::find_if(r.formats.begin(), r.formats.end(), [&](const TFileFormat& f) { return f.Extension == key; });
    return it == r.formats.end() ? nullptr : &*it;
}

std::vector<TFileFormat> TPicture::FileFormats() {
    Registry& r = Table();
    std::lock_guard lock(r.mutex);
    return r.formats;
}

bool TPicture::SupportsClipboardFormat(unsigned format) {
    Registry& r = Table();
    std::lock_guard lock(r.mutex);
    return std::any_of(r.clipboard.begin(), r.clipboard.end(), [&](const ClipboardRegistration& c) { return c.Format == format; });
}

std::unique_ptr<TGraphic> TPicture::CreateForExtension(const std::string& extension) {
    TGraphicFactory factory;
    {
        Registry& r = Table();
        std::lock_guard lock(r.mutex);
        const std::string key = Normalise(extension);
        auto it = std::find_if(r.formats.begin(), r.formats.end(), [&](const TFileFormat& f) { return f.Extension == key; });
        if (it == r.formats.end()) {
            std::string shown = extension;
            if (!shown.empty() && shown.front() == '.') shown.erase(0, 1);
            throw EInvalidGraphic(Format(messages::kUnknownExtension, shown.c_str()));
        }
        factory = it->Factory;
    }
    return factory();
}

void TPicture::LoadFromFile(const std::string& fileName) {
    std::unique_ptr<TGraphic> graphic = CreateForExtension(ExtractFileExt(fileName));
    graphic->OnProgress = OnProgress;
    graphic->LoadFromFile(fileName);
    SetGraphic(std::move(graphic));
}

void TPicture::LoadFromClipboardFormat(unsigned format, const std::vector<uint8_t>& data) {
    TGraphicFactory factory;
    {
        Registry& r = Table();
        std::lock_guard lock(r.mutex);
        auto it = std::find_if(r.clipboard.begin(), r.clipboard.end(), [&](const ClipboardRegistration& c) { return c.Format == format; });
        if (it == r.clipboard.end()) throw EInvalidGraphic(messages::kInvalidBitmap);
        factory = it->Factory;
    }
    std::unique_ptr<TGraphic> graphic = factory();
    graphic->LoadFromClipboardFormat(format, data);
    SetGraphic(std::move(graphic));
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    graphic_ = std::move(graphic);
    if (graphic_) {
        graphic_->OnProgress = OnProgress;
        graphic_->OnChange = [this](TGraphic&) {
            if (OnChange && graphic_) OnChange(*graphic_);
        };
    }
    if (OnChange && graphic_) OnChange(*graphic_);
}

} // namespace vermaline
