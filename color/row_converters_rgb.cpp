// RGB and BGR sources into RGB or BGR targets, 8 or 16 bits on either side, interleaved or
// planar, with alpha copied, dropped or left alone, gamma on 8-bit results and byte swapping
// of 16-bit words.
#include "color/row_kernels.h"

namespace vermaline {

namespace {

using namespace color_detail;

// One colour sample from SIn to SOut bits.
template <typename SIn, typename SOut, bool Gamma, bool Swap>
struct SampleConvert {
    const TGammaTable& gamma;
    SOut operator()(SIn s) const {
        if constexpr (sizeof(SIn) == 1 && sizeof(SOut) == 1) {
            return Gamma ? ComponentGammaConvert(gamma, s) : s;
        } else if constexpr (sizeof(SIn) == 1) {
            const uint8_t g = Gamma ? ComponentGammaConvert(gamma, s) : s;
            const uint16_t w = ScaleByteToWord(g);
            return Swap ? SwapWord(w) : w;
        } else if constexpr (sizeof(SOut) == 1) {
            const uint8_t v = Swap ? ComponentSwapScaleConvert(s) : ComponentScaleConvert(s);
            return Gamma ? ComponentGammaConvert(gamma, v) : v;
        } else {
            return Swap ? ComponentSwapConvert(s) : ComponentNoConvert16(s);
        }
    }
};

// ReverseOrder: the first source sample goes to the last colour position of the target (RGB to
// BGR and BGR to RGB).
template <typename SIn, typename SOut, bool ReverseOrder, bool Gamma, bool Swap, size_t TargetStep, bool CopyAlpha,
          class Source>
void ConvertPixels(Source source, uint8_t* target, uint32_t count, uint8_t mask, const TGammaTable& gamma) {
    const SampleConvert<SIn, SOut, Gamma, Swap> colour{gamma};
    const SampleConvert<SIn, SOut, false, Swap> alpha{gamma};
    constexpr size_t first = ReverseOrder ? 2 : 0;
    constexpr size_t last = ReverseOrder ? 0 : 2;
    ForEachSelected<TargetStep * sizeof(SOut)>(target, count, mask, [&](uint8_t* t) {
        const SIn s0 = source.Get(0);
        const SIn s1 = source.Get(1);
        const SIn s2 = source.Get(2);
        Store<SOut>(t + first * sizeof(SOut), colour(s0));
        Store<SOut>(t + 1 * sizeof(SOut), colour(s1));
        Store<SOut>(t + last * sizeof(SOut), colour(s2));
        if constexpr (CopyAlpha) Store<SOut>(t + 3 * sizeof(SOut), alpha(source.Get(3)));
        source.Next();
    });
}

template <bool ReverseOrder>
void ConvertRGBFamily(const TColorManager& manager, TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    const unsigned bs = manager.SourceBitsPerSample();
    const unsigned bt = manager.TargetBitsPerSample();
    if ((bs != 8 && bs != 16) || (bt != 8 && bt != 16) || source.empty() || target == nullptr) return;
    const bool sourceAlpha = manager.SourceFlags.Contains(TConvertOption::coAlpha);
    const bool targetAlpha = manager.TargetFlags.Contains(TConvertOption::coAlpha);
    const bool planar = source.size() > 1;
    // A planar row needs a plane per sample; reading a missing plane would leave the array.
    if (planar && source.size() < (sourceAlpha ? 4u : 3u)) return;
    const bool gamma = manager.TargetFlags.Contains(TConvertOption::coApplyGamma);
    const bool swap = manager.SourceFlags.Contains(TConvertOption::coNeedByteSwap);
    auto* out = static_cast<uint8_t*>(target);

    const auto run = [&](auto sampleIn, auto sampleOut) {
        using SIn = decltype(sampleIn);
        using SOut = decltype(sampleOut);
        constexpr bool wide = sizeof(SIn) == 2 || sizeof(SOut) == 2;
        constexpr bool narrow = sizeof(SIn) == 1 || sizeof(SOut) == 1;
        Select(gamma && narrow, [&](auto g) {
            Select(swap && wide, [&](auto w) {
                Select(sourceAlpha, [&](auto sa) {
                    Select(targetAlpha, [&](auto ta) {
                        constexpr size_t targetStep = ta ? 4 : 3;
                        constexpr bool copyAlpha = sa && ta;
                        constexpr bool G = g && narrow;
                        constexpr bool W = w && wide;
                        if (planar)
                            ConvertPixels<SIn, SOut, ReverseOrder, G, W, targetStep, copyAlpha>(
                                MakePlanar<SIn, sa ? 4 : 3>(source), out, count, mask, manager.GammaTable());
                        else
                            ConvertPixels<SIn, SOut, ReverseOrder, G, W, targetStep, copyAlpha>(
                                InterleavedSource<SIn, sa ? 4 : 3>{static_cast<const uint8_t*>(source[0])}, out,
                                count, mask, manager.GammaTable());
                    });
                });
            });
        });
    };
    SelectSampleTypes(bs, bt, run);
}

} // namespace

void TColorManager::RowConvertRGB2RGB(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    ConvertRGBFamily<false>(*this, source, target, count, mask);
}

void TColorManager::RowConvertRGB2BGR(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    ConvertRGBFamily<true>(*this, source, target, count, mask);
}

void TColorManager::RowConvertBGR2RGB(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    ConvertRGBFamily<true>(*this, source, target, count, mask);
}

void TColorManager::RowConvertBGR2BGR(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    ConvertRGBFamily<false>(*this, source, target, count, mask);
}

} // namespace vermaline
