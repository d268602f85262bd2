// CIE L*a*b* into RGB or BGR, through XYZ normalised to a white of X = Y = Z = 1. A target
// alpha sample is left as it is.
#include <cmath>

#include "color/row_kernels.h"

namespace vermaline {

namespace {

using namespace color_detail;

struct Lab {
    double L;
    double a;
    double b;
};

struct Rgb8 {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

uint8_t ToByte(double value) {
    const double scaled = std::nearbyint(255.0 * value);
    return scaled <= 0 ? uint8_t(0) : scaled >= 255 ? uint8_t(255) : uint8_t(scaled);
}

Rgb8 LabToRgb(const Lab& lab) {
    double x;
    double y;
    double z;
    if (lab.L < 7.9996) {
        y = lab.L / 903.3;
        x = y + lab.a / 3893.5;
        z = y - lab.b / 1557.4;
    } else {
        const double fy = (lab.L + 16) / 116;
        const double fx = fy + lab.a / 500;
        const double fz = fy - lab.b / 200;
        x = fx * fx * fx;
        y = fy * fy * fy;
        z = fz * fz * fz;
    }
    return Rgb8{ToByte(2.998 * x - 1.458 * y - 0.541 * z), ToByte(-0.952 * x + 1.893 * y + 0.059 * z),
                ToByte(0.099 * x - 0.198 * y + 1.099 * z)};
}

// 8-bit samples: L* as 0..100, or 0..255 for 0..100 with coLabByteRange; a* and b* signed, or
// offset by 128 with coLabChromaOffset.
struct ByteLab {
    bool byteRange;
    bool chromaOffset;
    Lab operator()(uint8_t l, uint8_t a, uint8_t b) const {
        const auto chroma = [this](uint8_t v) { return chromaOffset ? double(int(v) - 128) : double(int8_t(v)); };
        return Lab{byteRange ? l / 2.55 : double(l), chroma(a), chroma(b)};
    }
};

// 16-bit samples (the TIFF encoding): L* as 0..65535 for 0..100; a* and b* signed 16-bit values
// in 1/256 units, or offset by 32768 with coLabChromaOffset.
struct WordLab {
    bool chromaOffset;
    Lab operator()(uint16_t l, uint16_t a, uint16_t b) const {
        const auto chroma = [this](uint16_t v) {
            return (chromaOffset ? double(int(v) - 32768) : double(int16_t(v))) / 256.0;
        };
        return Lab{l * 100.0 / 65535.0, chroma(a), chroma(b)};
    }
};

template <typename SIn, typename SOut, bool RedLast, bool Swap, size_t TargetStep, class Decode, class Source>
void ConvertPixels(Source source, uint8_t* target, uint32_t count, uint8_t mask, Decode decode) {
    constexpr size_t red = RedLast ? 2 : 0;
    constexpr size_t blue = RedLast ? 0 : 2;
    ForEachSelected<TargetStep * sizeof(SOut)>(target, count, mask, [&](uint8_t* t) {
        const Rgb8 rgb = LabToRgb(decode(Native<Swap>(source.Get(0)), Native<Swap>(source.Get(1)),
                                         Native<Swap>(source.Get(2))));
        const auto put = [&](size_t position, uint8_t value) {
            if constexpr (sizeof(SOut) == 1)
                Store<SOut>(t + position, value);
            else
                Store<SOut>(t + 2 * position, ScaleByteToWord(value));
        };
        put(red, rgb.red);
        put(1, rgb.green);
        put(blue, rgb.blue);
        source.Next();
    });
}

template <bool RedLast>
void ConvertLab(const TColorManager& manager, TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    const unsigned bs = manager.SourceBitsPerSample();
    const unsigned bt = manager.TargetBitsPerSample();
    if ((bs != 8 && bs != 16) || (bt != 8 && bt != 16) || source.empty() || target == nullptr) return;
    const bool planar = source.size() > 1;
    if (planar && source.size() < 3) return;
    auto* out = static_cast<uint8_t*>(target);
    const bool byteRange = manager.SourceFlags.Contains(TConvertOption::coLabByteRange);
    const bool chromaOffset = manager.SourceFlags.Contains(TConvertOption::coLabChromaOffset);
    const bool swap = manager.SourceFlags.Contains(TConvertOption::coNeedByteSwap);
    const auto run = [&](auto sampleIn, auto sampleOut) {
        using SIn = decltype(sampleIn);
        using SOut = decltype(sampleOut);
        constexpr bool wide = sizeof(SIn) == 2;
        const auto decode = [&] {
            if constexpr (wide)
                return WordLab{chromaOffset};
            else
                return ByteLab{byteRange, chromaOffset};
        }();
        Select(wide && swap, [&](auto w) {
            Select(manager.TargetFlags.Contains(TConvertOption::coAlpha), [&](auto ta) {
                constexpr size_t step = ta ? 4 : 3;
                constexpr bool W = w && wide;
                if (planar)
                    ConvertPixels<SIn, SOut, RedLast, W, step>(MakePlanar<SIn, 3>(source), out, count, mask, decode);
                else
                    ConvertPixels<SIn, SOut, RedLast, W, step>(
                        InterleavedSource<SIn, 3>{static_cast<const uint8_t*>(source[0])}, out, count, mask, decode);
            });
        });
    };
    SelectSampleTypes(bs, bt, run);
}

} // namespace

void TColorManager::RowConvertCIELAB2RGB(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    ConvertLab<false>(*this, source, target, count, mask);
}

void TColorManager::RowConvertCIELAB2BGR(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    ConvertLab<true>(*this, source, target, count, mask);
}

} // namespace vermaline
