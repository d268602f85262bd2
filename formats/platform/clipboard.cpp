#include "formats/platform/clipboard.h"

namespace vermaline {

namespace {

struct FormatTable {
    std::mutex mutex;
    std::map<std::string, unsigned> byName;
    std::map<unsigned, std::string> byNumber;
    unsigned next = 0xC000;  // registered formats live above the predefined ones
};

FormatTable& Formats() {
    static FormatTable table;
    return table;
}

std::unique_ptr<TClipboard>& Current() {
    static std::unique_ptr<TClipboard> clipboard = std::make_unique<TMemoryClipboard>();
    return clipboard;
}

} // namespace

unsigned RegisterClipboardFormat(const std::string& name) {
    FormatTable& t = Formats();
    std::lock_guard lock(t.mutex);
    auto it = t.byName.find(name);
    if (it != t.byName.end()) return it->second;
    const unsigned number = t.next++;
    t.byName[name] = number;
    t.byNumber[number] = name;
    return number;
}

std::string ClipboardFormatName(unsigned format) {
    FormatTable& t = Formats();
    std::lock_guard lock(t.mutex);
    auto it = t.byNumber.find(format);
    return it == t.byNumber.end() ? std::string() : it->second;
}

bool TMemoryClipboard::HasFormat(unsigned format) const {
    std::lock_guard lock(mutex_);
    return data_.count(format) != 0;
}

std::vector<uint8_t> TMemoryClipboard::GetData(unsigned format) const {
    std::lock_guard lock(mutex_);
    auto it = data_.find(format);
    return it == data_.end() ? std::vector<uint8_t>() : it->second;
}

void TMemoryClipboard::SetData(unsigned format, const std::vector<uint8_t>& data) {
    std::lock_guard lock(mutex_);
    data_.clear();
    data_[format] = data;
}

void TMemoryClipboard::Clear() {
    std::lock_guard lock(mutex_);
    data_.clear();
}

TClipboard& Clipboard() { return *Current(); }

void SetClipboard(std::unique_ptr<TClipboard> clipboard) {
    if (clipboard) Current() = std::move(clipboard);
}

} // namespace vermaline
