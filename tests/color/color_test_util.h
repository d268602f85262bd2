#pragma once
// Small helpers for the colour manager tests: a manager set up in one call, rows as byte
// vectors, 16-bit rows built from words.
#include <cstdint>
#include <vector>

#include "color/color_manager.h"

namespace vermaline::test {

struct ManagerSetup {
    TColorScheme source = TColorScheme::csRGB;
    TColorScheme target = TColorScheme::csBGR;
    uint8_t sourceBits = 8;
    uint8_t targetBits = 8;
    uint8_t sourceSamples = 3;
    uint8_t targetSamples = 3;
    TConvertOptions sourceFlags{};
    TConvertOptions targetFlags{};
};

inline void Configure(TColorManager& m, const ManagerSetup& s) {
    m.SetSourceColorScheme(s.source);
    m.SetTargetColorScheme(s.target);
    m.SetSourceBitsPerSample(s.sourceBits);
    m.SetTargetBitsPerSample(s.targetBits);
    m.SetSourceSamplesPerPixel(s.sourceSamples);
    m.SetTargetSamplesPerPixel(s.targetSamples);
    m.SourceFlags = s.sourceFlags;
    m.TargetFlags = s.targetFlags;
}

using Bytes = std::vector<uint8_t>;

// Little-endian words as bytes; big-endian when bigEndian.
inline Bytes Words(const std::vector<uint16_t>& words, bool bigEndian = false) {
    Bytes out;
    for (const uint16_t w : words) {
        const auto lo = uint8_t(w);
        const auto hi = uint8_t(w >> 8);
        out.push_back(bigEndian ? hi : lo);
        out.push_back(bigEndian ? lo : hi);
    }
    return out;
}

inline std::vector<uint16_t> ToWords(const Bytes& bytes) {
    std::vector<uint16_t> out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) out.push_back(uint16_t(bytes[i] | (bytes[i + 1] << 8)));
    return out;
}

inline Bytes SwapPairs(Bytes bytes) {
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
    return bytes;
}

// Converts one interleaved row into a target of targetBytes bytes first filled with fill.
inline Bytes Convert(TColorManager& m, const Bytes& source, uint32_t count, size_t targetBytes, uint8_t mask = 0xFF,
                     uint8_t fill = 0xEE) {
    Bytes target(targetBytes, fill);
    m.ConvertRow({source.data()}, target.data(), count, mask);
    return target;
}

// Every 17th value of a sample: 0, 17, ..., 255.
inline std::vector<int> Grid17() {
    std::vector<int> values;
    for (int v = 0; v <= 255; v += 17) values.push_back(v);
    return values;
}

} // namespace vermaline::test
