// YCbCr and PhotoYCC (luma and two chroma samples) into RGB or BGR through the chroma lookups
// of CreateYCbCrLookup, which differ between the two schemes only in their chroma offsets.
// The source holds one Cb and one Cr per pixel (no subsampling here). A target alpha sample is
// left as it is.
#include <cmath>

#include "color/row_kernels.h"

namespace vermaline {

namespace {

using namespace color_detail;

struct Tables {
    const int32_t* crToRed;
    const int32_t* cbToBlue;
    const int32_t* crToGreen;
    const int32_t* cbToGreen;
};

// Full 16-bit precision: the lookups' factors and offsets at 16-bit scale.
struct WideChroma {
    double f1, f2, f3, f4;
    double cbOffset, crOffset;
    static uint16_t ToWord(double value) {
        const double rounded = std::nearbyint(value);
        return rounded <= 0 ? uint16_t(0) : rounded >= 65535 ? uint16_t(65535) : uint16_t(rounded);
    }
};

template <typename SIn, typename SOut, bool RedLast, bool Swap, size_t TargetStep, class Source>
void ConvertPixels(Source source, uint8_t* target, uint32_t count, uint8_t mask, const Tables& tables,
                   const WideChroma& wide) {
    constexpr size_t red = RedLast ? 2 : 0;
    constexpr size_t blue = RedLast ? 0 : 2;
    ForEachSelected<TargetStep * sizeof(SOut)>(target, count, mask, [&](uint8_t* t) {
        const SIn y = Native<Swap>(source.Get(0));
        const SIn cb = Native<Swap>(source.Get(1));
        const SIn cr = Native<Swap>(source.Get(2));
        source.Next();
        if constexpr (sizeof(SIn) == 2 && sizeof(SOut) == 2) {
            const double c1 = cb - wide.cbOffset;
            const double c2 = cr - wide.crOffset;
            Store<SOut>(t + 2 * red, WideChroma::ToWord(y + wide.f1 * c2));
            Store<SOut>(t + 2, WideChroma::ToWord(y - wide.f2 * c2 - wide.f4 * c1));
            Store<SOut>(t + 2 * blue, WideChroma::ToWord(y + wide.f3 * c1));
        } else {
            const auto narrow = [](SIn v) -> uint8_t {
                if constexpr (sizeof(SIn) == 1)
                    return v;
                else
                    return ScaleWordToByte(v);
            };
            const int32_t l = narrow(y);
            const uint8_t b8 = narrow(cb);
            const uint8_t r8 = narrow(cr);
            const uint8_t r = ClampByte(l + tables.crToRed[r8]);
            const uint8_t g = ClampByte(l + tables.cbToGreen[b8] + tables.crToGreen[r8]);
            const uint8_t b = ClampByte(l + tables.cbToBlue[b8]);
            if constexpr (sizeof(SOut) == 1) {
                t[red] = r;
                t[1] = g;
                t[blue] = b;
            } else {
                Store<SOut>(t + 2 * red, ScaleByteToWord(r));
                Store<SOut>(t + 2, ScaleByteToWord(g));
                Store<SOut>(t + 2 * blue, ScaleByteToWord(b));
            }
        }
    });
}

template <bool RedLast>
void ConvertYCbCr(const TColorManager& manager, TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    const unsigned bs = manager.SourceBitsPerSample();
    const unsigned bt = manager.TargetBitsPerSample();
    if ((bs != 8 && bs != 16) || (bt != 8 && bt != 16) || source.empty() || target == nullptr) return;
    const bool planar = source.size() > 1;
    if (planar && source.size() < 3) return;
    auto* out = static_cast<uint8_t*>(target);
    const Tables tables{manager.CrToRed().data(), manager.CbToBlue().data(), manager.CrToGreen().data(),
                        manager.CbToGreen().data()};
    const auto& f = manager.ChromaFactors();
    const WideChroma wide{f[0], f[1], f[2], f[3], manager.CbOffset() * 257.0, manager.CrOffset() * 257.0};
    const bool swap = manager.SourceFlags.Contains(TConvertOption::coNeedByteSwap);
    const auto run = [&](auto sampleIn, auto sampleOut) {
        using SIn = decltype(sampleIn);
        using SOut = decltype(sampleOut);
        constexpr bool wideSource = sizeof(SIn) == 2;
        Select(wideSource && swap, [&](auto w) {
            Select(manager.TargetFlags.Contains(TConvertOption::coAlpha), [&](auto ta) {
                constexpr size_t step = ta ? 4 : 3;
                constexpr bool W = w && wideSource;
                if (planar)
                    ConvertPixels<SIn, SOut, RedLast, W, step>(MakePlanar<SIn, 3>(source), out, count, mask, tables,
                                                               wide);
                else
                    ConvertPixels<SIn, SOut, RedLast, W, step>(
                        InterleavedSource<SIn, 3>{static_cast<const uint8_t*>(source[0])}, out, count, mask, tables,
                        wide);
            });
        });
    };
    SelectSampleTypes(bs, bt, run);
}

} // namespace

void TColorManager::RowConvertYCbCr2RGB(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    ConvertYCbCr<false>(*this, source, target, count, mask);
}

void TColorManager::RowConvertYCbCr2BGR(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    ConvertYCbCr<true>(*this, source, target, count, mask);
}

void TColorManager::RowConvertPhotoYCC2RGB(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    ConvertYCbCr<false>(*this, source, target, count, mask);
}

void TColorManager::RowConvertPhotoYCC2BGR(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    ConvertYCbCr<true>(*this, source, target, count, mask);
}

} // namespace vermaline
