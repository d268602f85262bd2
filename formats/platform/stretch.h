#pragma once
// Separable resampling of 8-bit interleaved pixel rows: per axis, area-averaging (an exact box
// filter with fractional coverage) when shrinking and bilinear interpolation with aligned pixel
// centres when enlarging. Fixed-point integer arithmetic throughout.
#include <cstdint>
#include <functional>
#include <vector>

#include "formats/platform/graphics_types.h"

namespace vermaline {

// The weights of one axis: for every destination index kept, the run of source indices it
// reads and their weights in units of 1/2^kWeightBits, which sum exactly to 2^kWeightBits.
class TResampleAxis {
public:
    static constexpr int kWeightBits = 14;
    static constexpr int32_t kOne = 1 << kWeightBits;

    struct TRun {
        int32_t start;   // first source index
        int32_t taps;    // number of source indices
        int32_t offset;  // index of the first weight in Weights()
    };

    // Maps srcSize source pixels onto dstSize destination pixels, keeping the destination
    // indices [first, last). Both sizes are positive; 0 <= first < last <= dstSize.
    TResampleAxis(int srcSize, int dstSize, int first, int last);

    int Count() const { return static_cast<int>(runs_.size()); }
    const TRun& Run(int i) const { return runs_[static_cast<size_t>(i)]; }
    const int32_t* Weights(int i) const { return weights_.data() + runs_[static_cast<size_t>(i)].offset; }
    int MaxTaps() const { return maxTaps_; }
    // Whether every kept run has exactly n taps.
    bool AllTaps(int n) const { return minTaps_ == n && maxTaps_ == n; }

private:
    void AddShrink(int64_t srcSize, int64_t dstSize, int64_t d);
    void AddEnlarge(int64_t srcSize, int64_t dstSize, int64_t d);

    std::vector<TRun> runs_;
    std::vector<int32_t> weights_;
    int maxTaps_ = 0;
    int minTaps_ = 0;
};

// The source index whose pixel contains the centre of destination index d (nearest neighbour).
int NearestSource(int srcSize, int dstSize, int d);

// Scales a srcWidth x srcHeight image to dstWidth x dstHeight and delivers the destination rows
// inside window (destination coordinates), top to bottom. Source rows hold srcWidth pixels of
// srcStride bytes (3 or 4) of which the first channels (3 or 4, at most srcStride) are scaled;
// delivered rows hold window.Width() pixels of channels values: bytes from Run, or from RunWide
// values with 7 more fractional bits (value * 128, at most 32640), for callers that divide by
// a scaled alpha. Each source row is requested at most once, in increasing order; its pointer
// need only stay valid until the next request.
class TResampler {
public:
    using TSourceRow = std::function<const uint8_t*(int y)>;
    using TDestRow = std::function<void(int y, const uint8_t* row)>;
    using TWideDestRow = std::function<void(int y, const uint16_t* row)>;
    static constexpr int kWideFractionBits = 7;

    TResampler(int srcWidth, int srcHeight, int dstWidth, int dstHeight, const TRect& window, int srcStride,
               int channels);
    void Run(const TSourceRow& source, const TDestRow& sink);
    void RunWide(const TSourceRow& source, const TWideDestRow& sink);

private:
    template <typename T, typename Sink>
    void Scale(const TSourceRow& source, std::vector<T>& output, const Sink& sink);
    void Horizontal(const uint8_t* src, uint16_t* out) const;
    const uint16_t* HorizontalRow(int sourceY, const TSourceRow& source);

    TRect window_;
    int srcStride_;
    int channels_;
    TResampleAxis xAxis_;
    TResampleAxis yAxis_;
    size_t rowValues_;
    // Two horizontally scaled source rows: every source row is scaled once even when two
    // destination rows share it.
    std::vector<uint16_t> cache_[2];
    int cachedY_[2] = {-1, -1};
    int lastUsed_ = 1;
    std::vector<uint32_t> accumulator_;
    std::vector<uint8_t> output_;
    std::vector<uint16_t> wideOutput_;
};

} // namespace vermaline
