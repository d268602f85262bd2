#pragma once
// Building blocks of the row converters: sample access, the pixel-selection mask walk, packed
// bit fields and the once-per-row choice of a loop variant. Private to the colour folder.
#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "color/component_converters.h"

namespace vermaline::color_detail {

// Samples are bytes or little-endian words at any alignment.
template <typename T>
inline T Load(const uint8_t* p) {
    if constexpr (sizeof(T) == 1) {
        return *p;
    } else {
        return uint16_t(p[0] | (p[1] << 8));
    }
}

template <typename T>
inline void Store(uint8_t* p, T value) {
    if constexpr (sizeof(T) == 1) {
        *p = value;
    } else {
        p[0] = uint8_t(value);
        p[1] = uint8_t(value >> 8);
    }
}

// Reads a 16-bit sample as a number, exchanging its bytes when it is stored most significant
// byte first; bytes pass unchanged.
template <bool Swap, typename T>
inline T Native(T value) {
    if constexpr (Swap && sizeof(T) == 2) {
        return SwapWord(value);
    } else {
        return value;
    }
}

// Interleaved source: Step samples per pixel from one pointer.
template <typename T, size_t Step>
struct InterleavedSource {
    const uint8_t* p;
    T Get(size_t k) const { return Load<T>(p + k * sizeof(T)); }
    void Next() { p += Step * sizeof(T); }
};

// Planar source: sample k of a pixel from plane k.
template <typename T, size_t Planes>
struct PlanarSource {
    std::array<const uint8_t*, Planes> p;
    T Get(size_t k) const { return Load<T>(p[k]); }
    void Next() {
        for (auto& plane : p) plane += sizeof(T);
    }
};

template <typename T, size_t Planes>
inline PlanarSource<T, Planes> MakePlanar(TSourceRow source) {
    PlanarSource<T, Planes> planar{};
    for (size_t k = 0; k < Planes; ++k) planar.p[k] = static_cast<const uint8_t*>(source[k]);
    return planar;
}

// Calls pixel(target) for every target position whose mask bit is set (bit 7 for position 0,
// rotating right); the target moves on by PixelBytes for every position, selected or not.
template <size_t PixelBytes, class Pixel>
inline void ForEachSelected(uint8_t* target, uint32_t count, uint8_t mask, Pixel&& pixel) {
    if (mask == 0xFF) {
        for (uint32_t x = 0; x < count; ++x, target += PixelBytes) pixel(target);
        return;
    }
    for (uint32_t x = 0; x < count; ++x, target += PixelBytes)
        if (mask & (0x80u >> (x & 7))) pixel(target);
}

inline bool Selected(uint8_t mask, uint32_t x) { return (mask & (0x80u >> (x & 7))) != 0; }

// Runs f with std::true_type or std::false_type, so that a run-time choice made once per row
// selects a loop compiled for it.
template <class F>
inline void Select(bool value, F&& f) {
    if (value)
        f(std::true_type{});
    else
        f(std::false_type{});
}

// Runs run(source sample, target sample) with uint8_t or uint16_t values standing for the
// source and target sample widths of 8 or 16 bits.
template <class F>
inline void SelectSampleTypes(unsigned sourceBits, unsigned targetBits, F&& run) {
    if (sourceBits == 8 && targetBits == 8)
        run(uint8_t{}, uint8_t{});
    else if (sourceBits == 8)
        run(uint8_t{}, uint16_t{});
    else if (targetBits == 8)
        run(uint16_t{}, uint8_t{});
    else
        run(uint16_t{}, uint16_t{});
}

// Reads consecutive fields of 1 to 16 bits, most significant bits first, touching no byte
// beyond the last field.
class BitReader {
public:
    BitReader(const uint8_t* data, unsigned width) : data_(data), width_(width), mask_((1u << width) - 1) {}
    uint32_t Next() {
        while (available_ < width_) {
            buffer_ = (buffer_ << 8) | *data_++;
            available_ += 8;
        }
        available_ -= width_;
        return (buffer_ >> available_) & mask_;
    }

private:
    const uint8_t* data_;
    unsigned width_;
    uint32_t mask_;
    uint32_t buffer_ = 0;
    unsigned available_ = 0;
};

// Stores a field of width bits at bit position bit of a row packed most significant bits
// first, keeping the other bits of the bytes it touches.
inline void PutField(uint8_t* row, uint64_t bit, unsigned width, uint32_t value) {
    while (width > 0) {
        uint8_t* byte = row + (bit >> 3);
        const unsigned offset = unsigned(bit & 7);
        const unsigned n = width < 8 - offset ? width : 8 - offset;
        const unsigned shift = 8 - offset - n;
        const uint32_t fieldMask = ((1u << n) - 1) << shift;
        const uint32_t part = ((value >> (width - n)) << shift) & fieldMask;
        *byte = uint8_t((*byte & ~fieldMask) | part);
        width -= n;
        bit += n;
    }
}

} // namespace vermaline::color_detail
