#include "formats/platform/metafile_bytes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "formats/platform/exceptions.h"

namespace vermaline {

void RaiseInvalidMetafile() { throw EInvalidGraphic(messages::kInvalidMetafile); }

uint8_t TRecordView::U8(size_t offset) const {
    if (!Has(offset, 1)) RaiseInvalidMetafile();
    return bytes_[offset];
}

uint16_t TRecordView::U16(size_t offset) const {
    if (!Has(offset, 2)) RaiseInvalidMetafile();
    return static_cast<uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
}

uint32_t TRecordView::U32(size_t offset) const {
    if (!Has(offset, 4)) RaiseInvalidMetafile();
    return uint32_t(bytes_[offset]) | (uint32_t(bytes_[offset + 1]) << 8) | (uint32_t(bytes_[offset + 2]) << 16) |
           (uint32_t(bytes_[offset + 3]) << 24);
}

float TRecordView::F32(size_t offset) const {
    const uint32_t bits = U32(offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::span<const uint8_t> TRecordView::Bytes(uint64_t offset, uint64_t count) const {
    if (!Has(offset, count)) RaiseInvalidMetafile();
    return bytes_.subspan(static_cast<size_t>(offset), static_cast<size_t>(count));
}

void TByteWriter::U16(uint16_t value) {
    bytes_.push_back(static_cast<uint8_t>(value));
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
}

void TByteWriter::U32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<uint8_t>(value >> shift));
}

void TByteWriter::F32(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    U32(bits);
}

void TByteWriter::PatchU16(size_t offset, uint16_t value) {
    bytes_.at(offset) = static_cast<uint8_t>(value);
    bytes_.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}

void TByteWriter::PatchU32(size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_.at(offset + static_cast<size_t>(i)) = static_cast<uint8_t>(value >> (8 * i));
}

int32_t RoundCoordinate(double value) {
    constexpr double kLimit = 1 << 30;
    if (std::isnan(value)) return 0;
    return static_cast<int32_t>(std::floor(std::clamp(value, -kLimit, kLimit) + 0.5));
}

std::u16string Utf8ToUtf16(const std::string& text) {
    static constexpr uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        const uint8_t lead = static_cast<uint8_t>(text[i]);
        const int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
        uint32_t cp = 0xFFFD;
        size_t length = 1;
        if (extra == 0) {
            cp = lead;
        } else if (extra > 0 && static_cast<size_t>(extra) < text.size() - i) {
            uint32_t value = lead & (0x3Fu >> extra);
            bool ok = true;
            for (int k = 1; ok && k <= extra; ++k) {
                const uint8_t c = static_cast<uint8_t>(text[i + static_cast<size_t>(k)]);
                ok = (c & 0xC0) == 0x80;
                value = (value << 6) | (c & 0x3F);
            }
            if (ok && value >= kMinimum[extra] && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF)) {
                cp = value;
                length = static_cast<size_t>(extra) + 1;
            }
        }
        i += length;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

} // namespace vermaline
