#include "formats/platform/registry.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "formats/platform/exceptions.h"

namespace vermaline {

namespace {

constexpr const char* kHeader = "REGEDIT4";

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

// Reads a quoted string starting at pos (which holds the opening quote); returns false when it
// is not well formed. pos ends after the closing quote.
bool ReadQuoted(const std::string& line, size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"') return false;
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '\\' && pos + 1 < line.size()) {
            out += line[++pos];
        } else if (c == '"') {
            ++pos;
            return true;
        } else {
            out += c;
        }
    }
    return false;
}

std::string SectionName(const std::string& root, std::string key) {
    while (!key.empty() && key.front() == '\\') key.erase(0, 1);
    while (!key.empty() && key.back() == '\\') key.pop_back();
    return key.empty() ? root : root + "\\" + key;
}

} // namespace

TRegistry::TRegistry() : fileName_(DefaultFileName()) {}

TRegistry::TRegistry(std::string fileName) : fileName_(std::move(fileName)) {}

std::string TRegistry::DefaultFileName() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        base = ".config";
    }
    return base + "/vermaline/registry.reg";
}

void TRegistry::Load() {
    sections_.clear();
    std::ifstream in(fileName_, std::ios::binary);
    if (!in) return;
    std::string line;
    if (!std::getline(in, line)) return;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line != kHeader) return;  // not a settings file: treated as empty
    Section* section = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            section = &sections_[line.substr(1, line.size() - 2)];
            continue;
        }
        if (!section) continue;
        size_t pos = 0;
        std::string name;
        if (!ReadQuoted(line, pos, name) || pos >= line.size() || line[pos] != '=') continue;
        ++pos;
        if (pos < line.size() && line[pos] == '"') {
            std::string text;
            if (ReadQuoted(line, pos, text)) (*section)[name] = text;
        } else if (line.compare(pos, 6, "dword:") == 0) {
            const std::string digits = line.substr(pos + 6);
            char* end = nullptr;
            const unsigned long v = std::strtoul(digits.c_str(), &end, 16);
            if (!digits.empty() && end && *end == '\0' && digits.size() <= 8) (*section)[name] = static_cast<uint32_t>(v);
        }
    }
}

void TRegistry::Save() {
    std::ostringstream out;
    out << kHeader << "\r\n";
    for (const auto& [sectionName, values] : sections_) {
        out << "\r\n[" << sectionName << "]\r\n";
        for (const auto& [name, value] : values) {
            out << '"' << Escape(name) << "\"=";
            if (const auto* text = std::get_if<std::string>(&value)) {
                out << '"' << Escape(*text) << '"';
            } else {
                char digits[16];
                std::snprintf(digits, sizeof digits, "dword:%08x", std::get<uint32_t>(value));
                out << digits;
            }
            out << "\r\n";
        }
    }
    const std::string data = out.str();
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(fileName_).parent_path(), ignored);
    const std::string temporary = fileName_ + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(data.data(), static_cast<std::streamsize>(data.size()));
        file.flush();
        if (!file) {
            std::filesystem::remove(temporary, ignored);
            throw ERegistryException(Format("Impossible d'écrire dans le registre (%s)", fileName_.c_str()));
        }
    }
    try {
        ReplaceFile(temporary, fileName_);
    } catch (...) {
        std::filesystem::remove(temporary, ignored);
        throw;
    }
}

void TRegistry::ReplaceFile(const std::string& temporary, const std::string& target) {
    if (std::rename(temporary.c_str(), target.c_str()) != 0)
        throw ERegistryException(Format("Impossible d'écrire dans le registre (%s)", target.c_str()));
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    CloseKey();
    Load();
    const std::string name = SectionName(RootKey, key);
    if (sections_.find(name) == sections_.end()) {
        if (!canCreate) return false;
        sections_[name];
        Save();
    }
    currentKey_ = name;
    open_ = true;
    return true;
}

void TRegistry::CloseKey() {
    open_ = false;
    currentKey_.clear();
}

const TRegistry::Value* TRegistry::Find(const std::string& name) const {
    if (!open_) return nullptr;
    const auto section = sections_.find(currentKey_);
    if (section == sections_.end()) return nullptr;
    const auto value = section->second.find(name);
    return value == section->second.end() ? nullptr : &value->second;
}

bool TRegistry::ValueExists(const std::string& name) const { return Find(name) != nullptr; }

std::string TRegistry::ReadString(const std::string& name) const {
    const Value* value = Find(name);
    if (!value) return {};
    if (const auto* text = std::get_if<std::string>(value)) return *text;
    throw ERegistryException(Format(messages::kRegistryBadValue, name.c_str()));
}

int32_t TRegistry::ReadInteger(const std::string& name) const {
    const Value* value = Find(name);
    if (value)
        if (const auto* number = std::get_if<uint32_t>(value)) return static_cast<int32_t>(*number);
    throw ERegistryException(Format(messages::kRegistryBadValue, name.c_str()));
}

void TRegistry::Write(const std::string& name, Value value) {
    if (!open_) throw ERegistryException(Format(messages::kRegistryBadValue, name.c_str()));
    sections_[currentKey_][name] = std::move(value);
    Save();
}

void TRegistry::WriteString(const std::string& name, const std::string& value) { Write(name, value); }

void TRegistry::WriteInteger(const std::string& name, int32_t value) { Write(name, static_cast<uint32_t>(value)); }

} // namespace vermaline
