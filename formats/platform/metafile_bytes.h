#pragma once
// Little-endian access to metafile records: a bounds-checked view that raises
// "Métafichier incorrect" instead of reading outside the data, and a growing output buffer.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vermaline {

namespace messages {
inline constexpr const char* kInvalidMetafile = "Métafichier incorrect";
inline constexpr const char* kWmfTooLarge =
    "Métafichier Windows trop grand (%d x %d) : ses coordonnées sont limitées à 32767";
} // namespace messages

// Raises EInvalidGraphic "Métafichier incorrect".
[[noreturn]] void RaiseInvalidMetafile();

// A record (or a whole file) seen as bytes; every read is checked against its size.
class TRecordView {
public:
    TRecordView() = default;
    explicit TRecordView(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t Size() const { return bytes_.size(); }
    bool Has(uint64_t offset, uint64_t count) const { return offset <= bytes_.size() && count <= bytes_.size() - offset; }
    uint8_t U8(size_t offset) const;
    uint16_t U16(size_t offset) const;
    int16_t I16(size_t offset) const { return static_cast<int16_t>(U16(offset)); }
    uint32_t U32(size_t offset) const;
    int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
    float F32(size_t offset) const;
    // The bytes [offset, offset + count); raises when they are not all inside.
    std::span<const uint8_t> Bytes(uint64_t offset, uint64_t count) const;
    TRecordView Sub(uint64_t offset, uint64_t count) const { return TRecordView(Bytes(offset, count)); }

private:
    std::span<const uint8_t> bytes_;
};

// Output of the metafile writers.
class TByteWriter {
public:
    void U16(uint16_t value);
    void I16(int16_t value) { U16(static_cast<uint16_t>(value)); }
    void U32(uint32_t value);
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void F32(float value);
    void Append(std::span<const uint8_t> bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }
    void PatchU16(size_t offset, uint16_t value);
    void PatchU32(size_t offset, uint32_t value);
    size_t Size() const { return bytes_.size(); }
    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// Rounds a coordinate to the nearest integer, clamped to +-2^30 (NaN gives 0), so that far
// away or malformed coordinates still convert safely.
int32_t RoundCoordinate(double value);

// Text conversions for the descriptions of enhanced metafiles (UTF-16LE in the file). Bytes
// that are not UTF-8, and lone surrogates, become U+FFFD.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

} // namespace vermaline
