#include <algorithm>
#include <vector>

#include "color/component_converters.h"

namespace vermaline {

namespace {

using enum TRawPaletteFormat;

bool Is16Bit(TRawPaletteFormat format) { return format >= pfInterlaced16Triple; }
bool IsPlanar(TRawPaletteFormat format) {
    return format == pfPlane8Triple || format == pfPlane8Quad || format == pfPlane16Triple ||
           format == pfPlane16Quad;
}
bool IsQuad(TRawPaletteFormat format) { return format == pfInterlaced8Quad || format == pfInterlaced16Quad; }

// Reads entry k of a colour table in any of the raw formats, samples converted to 8 bits.
class RawColorTable {
public:
    RawColorTable(TSourceRow data, TRawPaletteFormat format, bool blueFirst, const TGammaTable& gamma, bool applyGamma,
                  bool swap)
        : data_(data), wide_(Is16Bit(format)), planar_(IsPlanar(format)), samples_(IsQuad(format) ? 4 : 3),
          blueFirst_(blueFirst), gamma_(gamma), applyGamma_(applyGamma), swap_(swap) {}

    // Whether the pointers the format needs are there.
    bool Usable() const { return planar_ ? data_.size() >= 3 : !data_.empty(); }

    TPaletteEntry Entry(size_t k) const {
        uint8_t rgb[3];
        for (size_t c = 0; c < 3; ++c) {
            if (planar_) {
                rgb[c] = Sample(data_[c], k);
            } else {
                // The blue-first flag has the same sense for 8- and 16-bit interleaved tables.
                const size_t position = blueFirst_ ? 2 - c : c;
                rgb[c] = Sample(data_[0], k * samples_ + position);
            }
        }
        return TPaletteEntry{rgb[0], rgb[1], rgb[2], 0};
    }

private:
    uint8_t Sample(const void* base, size_t index) const {
        const auto* bytes = static_cast<const uint8_t*>(base);
        if (!wide_) return applyGamma_ ? ComponentGammaConvert(gamma_, bytes[index]) : ComponentNoConvert8(bytes[index]);
        const auto word = uint16_t(bytes[2 * index] | (bytes[2 * index + 1] << 8));
        if (applyGamma_)
            return swap_ ? ComponentSwapScaleGammaConvert(gamma_, word) : ComponentScaleGammaConvert(gamma_, word);
        return swap_ ? ComponentSwapScaleConvert(word) : ComponentScaleConvert(word);
    }

    TSourceRow data_;
    bool wide_;
    bool planar_;
    size_t samples_;
    bool blueFirst_;
    const TGammaTable& gamma_;
    bool applyGamma_;
    bool swap_;
};

} // namespace

HPALETTE TColorManager::CreateColorPalette(TSourceRow data, TRawPaletteFormat format, uint32_t count,
                                           bool blueFirst) const {
    const RawColorTable table(data, format, blueFirst, gammaTable_, TargetFlags.Contains(TConvertOption::coApplyGamma),
                              SourceFlags.Contains(TConvertOption::coNeedByteSwap));
    const auto entry = [&](size_t k) { return table.Usable() && k < count ? table.Entry(k) : TPaletteEntry{}; };

    std::vector<TPaletteEntry> entries;
    const uint32_t ms = (1u << sourceBitsPerSample_) - 1;
    const uint32_t mt = (1u << targetBitsPerSample_) - 1;
    if (targetBitsPerSample_ <= 8 && ms != mt) {
        // The row converters scale index v to v * Mt / Ms; entry j of the palette is therefore
        // the file's entry j * Ms / Mt. Reading from the file's table rather than from the
        // first 256 entries also serves source depths above 8 bits.
        entries.resize(mt + 1);
        for (uint32_t j = 0; j <= mt; ++j) entries[j] = entry(size_t(j) * ms / mt);
    } else {
        entries.resize(std::min<size_t>(count, kMaxPaletteEntries));
        for (size_t k = 0; k < entries.size(); ++k) entries[k] = entry(k);
    }
    return CreatePalette(entries);
}

HPALETTE TColorManager::CreateGrayscalePalette(bool minimumIsWhite) const {
    const unsigned bits = std::min(unsigned(targetBitsPerSample_) * targetSamplesPerPixel_, 8u);
    const unsigned last = (1u << bits) - 1;
    const bool gamma = TargetFlags.Contains(TConvertOption::coApplyGamma);
    std::vector<TPaletteEntry> entries(last + 1);
    for (unsigned i = 0; i <= last; ++i) {
        // i * 255 / last reaches white at every depth (255 div last would stop at 252 for
        // 3 bits); for 1, 2, 4 and 8 bits both give the steps 255, 85, 17 and 1.
        const auto level = uint8_t(i * 255 / last);
        const uint8_t value = gamma ? ComponentGammaConvert(gammaTable_, level) : level;
        entries[minimumIsWhite ? last - i : i] = TPaletteEntry{value, value, value, 0};
    }
    return CreatePalette(entries);
}

} // namespace vermaline
