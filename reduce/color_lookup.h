#pragma once
// Maps a 24-bit colour to an index of a target palette. The colour of the chosen entry is
// reported back so that error diffusion can measure what the entry misses.
#include <cstdint>

namespace vermaline {

class TColorLookup {
public:
    TColorLookup() = default;
    TColorLookup(const TColorLookup&) = delete;
    TColorLookup& operator=(const TColorLookup&) = delete;
    virtual ~TColorLookup() = default;

    virtual uint8_t MapColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                             uint8_t& outBlue) = 0;

    // Number of palette entries the lookup can return; 0 means it is unusable and must not be
    // asked to map a colour.
    int32_t PaletteSize() const { return paletteSize_; }

protected:
    explicit TColorLookup(int32_t paletteSize) : paletteSize_(paletteSize) {}
    int32_t paletteSize_ = 0;
};

} // namespace vermaline
