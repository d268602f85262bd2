#pragma once
// Vocabulary shared by the colour manager and the readers: colour schemes, conversion options
// and the layouts in which files store their colour tables.
#include <cstdint>
#include <initializer_list>

namespace vermaline {

enum class TColorScheme : uint8_t {
    csUnknown,
    csIndexed,
    csG,
    csGA,
    csRGB,
    csRGBA,
    csBGR,
    csBGRA,
    csCMY,
    csCMYK,
    csCIELab,
    csYCbCr,
    csPhotoYCC,
};

enum class TConvertOption : uint8_t {
    coAlpha,            // the scheme carries an alpha sample (kept up to date by the manager)
    coApplyGamma,       // target: pass 8-bit results through the gamma table
    coNeedByteSwap,     // source: 16-bit samples are stored most significant byte first
    coLabByteRange,     // source: L* is stored as 0..255 for 0..100
    coLabChromaOffset,  // source: a* and b* are stored with an offset of 128 instead of signed
};

// A set of TConvertOption in one byte; option k has the bit value 1 << k.
class TConvertOptions {
public:
    constexpr TConvertOptions() = default;
    constexpr TConvertOptions(std::initializer_list<TConvertOption> options) {
        for (const TConvertOption option : options) Include(option);
    }
    static constexpr TConvertOptions FromBits(uint8_t bits) {
        TConvertOptions options;
        options.bits_ = bits & kAll;
        return options;
    }

    constexpr bool Contains(TConvertOption option) const { return (bits_ & Bit(option)) != 0; }
    constexpr void Include(TConvertOption option) { bits_ = uint8_t(bits_ | Bit(option)); }
    constexpr void Exclude(TConvertOption option) { bits_ = uint8_t(bits_ & ~Bit(option)); }
    constexpr void Set(TConvertOption option, bool on) { on ? Include(option) : Exclude(option); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr uint8_t Bits() const { return bits_; }

    constexpr TConvertOptions& operator+=(TConvertOption option) {
        Include(option);
        return *this;
    }
    constexpr TConvertOptions& operator-=(TConvertOption option) {
        Exclude(option);
        return *this;
    }
    friend constexpr bool operator==(TConvertOptions, TConvertOptions) = default;

private:
    static constexpr uint8_t kAll = 0x1F;
    static constexpr uint8_t Bit(TConvertOption option) { return uint8_t(1u << unsigned(option)); }
    uint8_t bits_ = 0;
};

// How a file stores a colour table: 8- or 16-bit samples, interleaved per entry (three
// samples, or four with the fourth ignored) or as one plane per colour.
enum class TRawPaletteFormat : uint8_t {
    pfInterlaced8Triple,
    pfInterlaced8Quad,
    pfPlane8Triple,
    pfPlane8Quad,
    pfInterlaced16Triple,
    pfInterlaced16Quad,
    pfPlane16Triple,
    pfPlane16Quad,
};

} // namespace vermaline
