// Grey (and grey with alpha) sources of 8 or 16 bits into one grey sample per pixel. No gamma:
// for grey images the gamma goes into the palette.
#include "color/row_kernels.h"

namespace vermaline {

namespace {

using namespace color_detail;

template <typename SIn, typename SOut, bool Swap, size_t SourceStep>
void ConvertGrey(const uint8_t* source, uint8_t* target, uint32_t count, uint8_t mask) {
    InterleavedSource<SIn, SourceStep> in{source};
    ForEachSelected<sizeof(SOut)>(target, count, mask, [&](uint8_t* t) {
        const SIn s = Native<Swap>(in.Get(0));
        if constexpr (sizeof(SIn) == sizeof(SOut))
            Store<SOut>(t, s);
        else if constexpr (sizeof(SIn) == 1)
            Store<SOut>(t, ScaleByteToWord(s));
        else
            Store<SOut>(t, ScaleWordToByte(s));
        in.Next();
    });
}

} // namespace

void TColorManager::RowConvertGray(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    const unsigned bs = sourceBitsPerSample_;
    const unsigned bt = targetBitsPerSample_;
    if ((bs != 8 && bs != 16) || (bt != 8 && bt != 16) || source.empty() || target == nullptr) return;
    const auto* in = static_cast<const uint8_t*>(source[0]);
    auto* out = static_cast<uint8_t*>(target);
    const bool swap = SourceFlags.Contains(TConvertOption::coNeedByteSwap);
    const auto run = [&](auto sampleIn, auto sampleOut) {
        using SIn = decltype(sampleIn);
        using SOut = decltype(sampleOut);
        constexpr bool wide = sizeof(SIn) == 2;
        Select(swap && wide, [&](auto w) {
            Select(SourceFlags.Contains(TConvertOption::coAlpha), [&](auto alpha) {
                ConvertGrey<SIn, SOut, w && wide, alpha ? 2 : 1>(in, out, count, mask);
            });
        });
    };
    SelectSampleTypes(bs, bt, run);
}

} // namespace vermaline
