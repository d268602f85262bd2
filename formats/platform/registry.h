#pragma once
// The user's settings store: typed values (texts and 32-bit numbers) under key paths, kept in a
// file in the Windows registry export format (REGEDIT4) so it can be read and edited by hand.
#include <cstdint>
#include <map>
#include <string>
#include <variant>

namespace vermaline {

class TRegistry {
public:
    // The store at $XDG_CONFIG_HOME/vermaline/registry.reg (~/.config/... when unset).
    TRegistry();
    // A store in the given file (tests, other tools).
    explicit TRegistry(std::string fileName);
    virtual ~TRegistry() = default;

    static std::string DefaultFileName();

    std::string RootKey = "HKEY_CURRENT_USER";

    // Opens a key path such as "\Software\Morvane\Q.Z.M.\2"; with canCreate an absent key is
    // created. Returns whether a key is open. An unreadable file counts as an absent key.
    bool OpenKey(const std::string& key, bool canCreate);
    void CloseKey();
    bool ValueExists(const std::string& name) const;

    // A missing text reads as an empty text; a missing number or a value of the other type
    // raises ERegistryException.
    std::string ReadString(const std::string& name) const;
    int32_t ReadInteger(const std::string& name) const;
    bool ReadBool(const std::string& name) const { return ReadInteger(name) != 0; }

    // Each write stores the whole file at once (a temporary file renamed over the old one);
    // raises ERegistryException when it cannot be stored.
    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, int32_t value);
    void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

protected:
    // Puts the finished temporary file in place of the store.
    virtual void ReplaceFile(const std::string& temporary, const std::string& target);

private:
    using Value = std::variant<std::string, uint32_t>;
    using Section = std::map<std::string, Value>;

    void Load();
    void Save();
    const Value* Find(const std::string& name) const;
    void Write(const std::string& name, Value value);

    std::string fileName_;
    std::map<std::string, Section> sections_;
    std::string currentKey_;
    bool open_ = false;
};

} // namespace vermaline
