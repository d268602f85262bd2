#pragma once
// The clipboard: bytes held under registered format names. The GUI installs one backed by the
// system clipboard; tests and the command line use the in-memory one.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vermaline {

// Process-wide identifier of a clipboard format name (the same name gives the same number).
unsigned RegisterClipboardFormat(const std::string& name);
// The name of a registered format; empty when unknown.
std::string ClipboardFormatName(unsigned format);

class TClipboard {
public:
    virtual ~TClipboard() = default;
    virtual bool HasFormat(unsigned format) const = 0;
    // The bytes held under a format; empty when none.
    virtual std::vector<uint8_t> GetData(unsigned format) const = 0;
    // Replaces the whole clipboard content by one format.
    virtual void SetData(unsigned format, const std::vector<uint8_t>& data) = 0;
    virtual void Clear() = 0;
};

class TMemoryClipboard : public TClipboard {
public:
    bool HasFormat(unsigned format) const override;
    std::vector<uint8_t> GetData(unsigned format) const override;
    void SetData(unsigned format, const std::vector<uint8_t>& data) override;
    void Clear() override;

private:
    mutable std::mutex mutex_;
    std::map<unsigned, std::vector<uint8_t>> data_;
};

// The clipboard in use (an in-memory one until another is installed).
TClipboard& Clipboard();
void SetClipboard(std::unique_ptr<TClipboard> clipboard);

} // namespace vermaline
