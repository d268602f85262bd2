// Cyan, magenta, yellow and black into RGB or BGR. A target alpha sample is left as it is.
#include "color/row_kernels.h"

namespace vermaline {

namespace {

using namespace color_detail;

// X is cyan, magenta or yellow and gives red, green or blue.
template <typename SIn, typename SOut>
SOut Channel(uint32_t x, uint32_t k) {
    if constexpr (sizeof(SIn) == 1) {
        const uint8_t value = ClampByte(int32_t(255 - x - k + x * k / 255));
        if constexpr (sizeof(SOut) == 1)
            return value;
        else
            return ScaleByteToWord(value);
    } else {
        const uint32_t covered = x + k - x * k / 65535;  // at most 65535
        if constexpr (sizeof(SOut) == 1)
            return ClampByte(int32_t(255 - covered * 255 / 65535));
        else
            return uint16_t(65535 - covered);
    }
}

template <typename SIn, typename SOut, bool RedLast, bool Swap, size_t TargetStep, class Source>
void ConvertPixels(Source source, uint8_t* target, uint32_t count, uint8_t mask) {
    constexpr size_t red = RedLast ? 2 : 0;
    constexpr size_t blue = RedLast ? 0 : 2;
    ForEachSelected<TargetStep * sizeof(SOut)>(target, count, mask, [&](uint8_t* t) {
        const uint32_t c = Native<Swap>(source.Get(0));
        const uint32_t m = Native<Swap>(source.Get(1));
        const uint32_t y = Native<Swap>(source.Get(2));
        const uint32_t k = Native<Swap>(source.Get(3));
        Store<SOut>(t + red * sizeof(SOut), Channel<SIn, SOut>(c, k));
        Store<SOut>(t + 1 * sizeof(SOut), Channel<SIn, SOut>(m, k));
        Store<SOut>(t + blue * sizeof(SOut), Channel<SIn, SOut>(y, k));
        source.Next();
    });
}

template <bool RedLast>
void ConvertCMYK(const TColorManager& manager, TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    const unsigned bs = manager.SourceBitsPerSample();
    const unsigned bt = manager.TargetBitsPerSample();
    if ((bs != 8 && bs != 16) || (bt != 8 && bt != 16) || source.empty() || target == nullptr) return;
    auto* out = static_cast<uint8_t*>(target);
    const auto run = [&](auto sampleIn, auto sampleOut) {
        using SIn = decltype(sampleIn);
        using SOut = decltype(sampleOut);
        constexpr bool wide = sizeof(SIn) == 2;
        Select(wide && manager.SourceFlags.Contains(TConvertOption::coNeedByteSwap), [&](auto w) {
            Select(manager.TargetFlags.Contains(TConvertOption::coAlpha), [&](auto ta) {
                constexpr size_t step = ta ? 4 : 3;
                constexpr bool W = w && wide;
                if (source.size() == 4)
                    ConvertPixels<SIn, SOut, RedLast, W, step>(MakePlanar<SIn, 4>(source), out, count, mask);
                else
                    ConvertPixels<SIn, SOut, RedLast, W, step>(
                        InterleavedSource<SIn, 4>{static_cast<const uint8_t*>(source[0])}, out, count, mask);
            });
        });
    };
    SelectSampleTypes(bs, bt, run);
}

} // namespace

void TColorManager::RowConvertCMYK2RGB(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    ConvertCMYK<false>(*this, source, target, count, mask);
}

void TColorManager::RowConvertCMYK2BGR(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    ConvertCMYK<true>(*this, source, target, count, mask);
}

} // namespace vermaline
