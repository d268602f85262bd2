#include "formats/platform/stretch.h"

#include <algorithm>

namespace vermaline {

namespace {

// Horizontal results keep 7 fractional bits: 255 << 7 fits 16 bits, and a vertical sum of
// such values times 2^14 weights stays below 2^31.
constexpr int kFractionBits = 7;
constexpr int kHorizontalShift = TResampleAxis::kWeightBits - kFractionBits;
constexpr uint32_t kHorizontalRound = 1u << (kHorizontalShift - 1);
constexpr int kVerticalShift = TResampleAxis::kWeightBits + kFractionBits;
constexpr uint32_t kVerticalRound = 1u << (kVerticalShift - 1);

template <int Stride, int Channels>
void HorizontalAnyTaps(const TResampleAxis& axis, const uint8_t* src, uint16_t* out) {
    const int n = axis.Count();
    for (int i = 0; i < n; ++i, out += Channels) {
        const TResampleAxis::TRun& run = axis.Run(i);
        const uint8_t* p = src + static_cast<size_t>(run.start) * Stride;
        const int32_t* w = axis.Weights(i);
        uint32_t sum[Channels] = {};
        for (int k = 0; k < run.taps; ++k, p += Stride)
            for (int c = 0; c < Channels; ++c) sum[c] += static_cast<uint32_t>(w[k]) * p[c];
        for (int c = 0; c < Channels; ++c) out[c] = static_cast<uint16_t>((sum[c] + kHorizontalRound) >> kHorizontalShift);
    }
}

template <int Stride, int Channels, int Taps>
void HorizontalFixedTaps(const TResampleAxis& axis, const uint8_t* src, uint16_t* out) {
    const int n = axis.Count();
    for (int i = 0; i < n; ++i, out += Channels) {
        const uint8_t* p = src + static_cast<size_t>(axis.Run(i).start) * Stride;
        const int32_t* w = axis.Weights(i);
        uint32_t sum[Channels] = {};
        for (int k = 0; k < Taps; ++k)
            for (int c = 0; c < Channels; ++c) sum[c] += static_cast<uint32_t>(w[k]) * p[k * Stride + c];
        for (int c = 0; c < Channels; ++c) out[c] = static_cast<uint16_t>((sum[c] + kHorizontalRound) >> kHorizontalShift);
    }
}

template <int Stride, int Channels>
void HorizontalPass(const TResampleAxis& axis, const uint8_t* src, uint16_t* out) {
    if (axis.AllTaps(1))
        HorizontalFixedTaps<Stride, Channels, 1>(axis, src, out);
    else if (axis.AllTaps(2))
        HorizontalFixedTaps<Stride, Channels, 2>(axis, src, out);
    else if (axis.AllTaps(4))
        HorizontalFixedTaps<Stride, Channels, 4>(axis, src, out);
    else
        HorizontalAnyTaps<Stride, Channels>(axis, src, out);
}

// The end of the vertical pass: bytes, or values keeping the horizontal pass's fraction bits.
template <typename T>
struct Output;
template <>
struct Output<uint8_t> {
    static uint8_t Single(uint16_t v) { return static_cast<uint8_t>((v + (1u << (kFractionBits - 1))) >> kFractionBits); }
    static uint8_t Sum(uint32_t sum) { return static_cast<uint8_t>((sum + kVerticalRound) >> kVerticalShift); }
};
template <>
struct Output<uint16_t> {
    static_assert(kFractionBits == TResampler::kWideFractionBits);
    static uint16_t Single(uint16_t v) { return v; }
    static uint16_t Sum(uint32_t sum) {
        return static_cast<uint16_t>((sum + (1u << (TResampleAxis::kWeightBits - 1))) >> TResampleAxis::kWeightBits);
    }
};

} // namespace

TResampleAxis::TResampleAxis(int srcSize, int dstSize, int first, int last) {
    runs_.reserve(static_cast<size_t>(last - first));
    for (int d = first; d < last; ++d) {
        if (srcSize >= dstSize)
            AddShrink(srcSize, dstSize, d);
        else
            AddEnlarge(srcSize, dstSize, d);
    }
    minTaps_ = maxTaps_ = runs_.empty() ? 0 : runs_.front().taps;
    for (const TRun& run : runs_) {
        minTaps_ = std::min(minTaps_, static_cast<int>(run.taps));
        maxTaps_ = std::max(maxTaps_, static_cast<int>(run.taps));
    }
}

// Destination pixel d covers [d*src, (d+1)*src) and source pixel i covers [i*dst, (i+1)*dst)
// in units of 1/dst source pixel: each weight is the overlap over src. Weights are rounded from
// running sums so that they add up exactly to kOne and a uniform area keeps its value.
void TResampleAxis::AddShrink(int64_t srcSize, int64_t dstSize, int64_t d) {
    const int64_t lo = d * srcSize;
    const int64_t hi = lo + srcSize;
    const int64_t firstSource = lo / dstSize;
    const int64_t lastSource = (hi - 1) / dstSize;
    runs_.push_back({static_cast<int32_t>(firstSource), static_cast<int32_t>(lastSource - firstSource + 1),
                     static_cast<int32_t>(weights_.size())});
    int64_t covered = 0;
    int64_t previous = 0;
    for (int64_t i = firstSource; i <= lastSource; ++i) {
        covered += std::min(hi, (i + 1) * dstSize) - std::max(lo, i * dstSize);
        const int64_t total = (covered * kOne + srcSize / 2) / srcSize;
        weights_.push_back(static_cast<int32_t>(total - previous));
        previous = total;
    }
}

// Pixel centres aligned: source position = (d + 0.5) * src / dst - 0.5, clamped to the image,
// that is ((2d + 1) * src - dst) / (2 * dst).
void TResampleAxis::AddEnlarge(int64_t srcSize, int64_t dstSize, int64_t d) {
    const int32_t offset = static_cast<int32_t>(weights_.size());
    if (srcSize == 1) {
        runs_.push_back({0, 1, offset});
        weights_.push_back(kOne);
        return;
    }
    const int64_t numerator = std::max<int64_t>(0, (2 * d + 1) * srcSize - dstSize);
    const int64_t denominator = 2 * dstSize;
    const int64_t left = numerator / denominator;
    if (left >= srcSize - 1) {
        runs_.push_back({static_cast<int32_t>(srcSize - 2), 2, offset});
        weights_.push_back(0);
        weights_.push_back(kOne);
        return;
    }
    const int32_t right = static_cast<int32_t>(((numerator % denominator) * kOne + dstSize) / denominator);
    runs_.push_back({static_cast<int32_t>(left), 2, offset});
    weights_.push_back(kOne - right);
    weights_.push_back(right);
}

int NearestSource(int srcSize, int dstSize, int d) {
    const int64_t s = ((2 * int64_t(d) + 1) * srcSize) / (2 * int64_t(dstSize));
    return static_cast<int>(std::clamp<int64_t>(s, 0, srcSize - 1));
}

TResampler::TResampler(int srcWidth, int srcHeight, int dstWidth, int dstHeight, const TRect& window, int srcStride,
                       int channels)
    : window_(window),
      srcStride_(srcStride),
      channels_(channels),
      xAxis_(srcWidth, dstWidth, window.Left, window.Right),
      yAxis_(srcHeight, dstHeight, window.Top, window.Bottom),
      rowValues_(static_cast<size_t>(window.Width()) * static_cast<size_t>(channels)) {
    for (auto& row : cache_) row.resize(rowValues_);
    if (yAxis_.MaxTaps() > 2) accumulator_.resize(rowValues_);
}

void TResampler::Horizontal(const uint8_t* src, uint16_t* out) const {
    if (srcStride_ == 3)
        HorizontalPass<3, 3>(xAxis_, src, out);
    else if (channels_ == 3)
        HorizontalPass<4, 3>(xAxis_, src, out);
    else
        HorizontalPass<4, 4>(xAxis_, src, out);
}

const uint16_t* TResampler::HorizontalRow(int sourceY, const TSourceRow& source) {
    for (int slot = 0; slot < 2; ++slot) {
        if (cachedY_[slot] == sourceY) {
            lastUsed_ = slot;
            return cache_[slot].data();
        }
    }
    const int slot = 1 - lastUsed_;
    Horizontal(source(sourceY), cache_[slot].data());
    cachedY_[slot] = sourceY;
    lastUsed_ = slot;
    return cache_[slot].data();
}

template <typename T, typename Sink>
void TResampler::Scale(const TSourceRow& source, std::vector<T>& output, const Sink& sink) {
    const size_t n = rowValues_;
    output.resize(n);
    T* out = output.data();
    for (int i = 0; i < yAxis_.Count(); ++i) {
        const TResampleAxis::TRun& run = yAxis_.Run(i);
        const int32_t* w = yAxis_.Weights(i);
        if (run.taps == 1) {
            const uint16_t* a = HorizontalRow(run.start, source);
            for (size_t k = 0; k < n; ++k) out[k] = Output<T>::Single(a[k]);
        } else if (run.taps == 2) {
            const uint16_t* a = HorizontalRow(run.start, source);
            const uint16_t* b = HorizontalRow(run.start + 1, source);
            const uint32_t wa = static_cast<uint32_t>(w[0]), wb = static_cast<uint32_t>(w[1]);
            for (size_t k = 0; k < n; ++k) out[k] = Output<T>::Sum(wa * a[k] + wb * b[k]);
        } else {
            uint32_t* acc = accumulator_.data();
            std::fill(acc, acc + n, 0u);
            for (int t = 0; t < run.taps; ++t) {
                const uint16_t* a = HorizontalRow(run.start + t, source);
                const uint32_t wt = static_cast<uint32_t>(w[t]);
                for (size_t k = 0; k < n; ++k) acc[k] += wt * a[k];
            }
            for (size_t k = 0; k < n; ++k) out[k] = Output<T>::Sum(acc[k]);
        }
        sink(window_.Top + i, static_cast<const T*>(out));
    }
}

void TResampler::Run(const TSourceRow& source, const TDestRow& sink) { Scale(source, output_, sink); }

void TResampler::RunWide(const TSourceRow& source, const TWideDestRow& sink) { Scale(source, wideOutput_, sink); }

} // namespace vermaline
