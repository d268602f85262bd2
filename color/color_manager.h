#pragma once
// TColorManager: converts rows of decoded samples from a file's colour scheme, sample width
// and channel layout into the layout of the bitmap being filled, keeps the gamma table and the
// YCbCr chroma lookups, and builds palettes from grey ramps or from a file's colour table.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

#include "color/color_errors.h"
#include "color/color_types.h"
#include "formats/platform/graphics_types.h"
#include "formats/platform/palette.h"

namespace vermaline {

class TColorManager;

// Source pointers of one row: a single pointer for interleaved samples, one per plane for
// planar samples.
using TSourceRow = std::span<const void* const>;
// A row converter: source pointers, first byte of the target row, number of target pixel
// positions, pixel selection mask.
using TConversionMethod = void (TColorManager::*)(TSourceRow source, void* target, uint32_t count, uint8_t mask);

using TGammaTable = std::array<uint8_t, 256>;
using TChromaTable = std::array<int32_t, 256>;

class TColorManager {
public:
    TColorManager();

    // Bits per sample, 1 to 16.
    uint8_t SourceBitsPerSample() const { return sourceBitsPerSample_; }
    uint8_t TargetBitsPerSample() const { return targetBitsPerSample_; }
    void SetSourceBitsPerSample(uint8_t bits);
    void SetTargetBitsPerSample(uint8_t bits);
    // Samples per pixel: 1, 3 or 4.
    uint8_t SourceSamplesPerPixel() const { return sourceSamplesPerPixel_; }
    uint8_t TargetSamplesPerPixel() const { return targetSamplesPerPixel_; }
    void SetSourceSamplesPerPixel(uint8_t samples);
    void SetTargetSamplesPerPixel(uint8_t samples);
    TColorScheme SourceColorScheme() const { return sourceColorScheme_; }
    TColorScheme TargetColorScheme() const { return targetColorScheme_; }
    void SetSourceColorScheme(TColorScheme scheme);
    void SetTargetColorScheme(TColorScheme scheme);

    // Options of the source samples and of the target pixels; the readers set them directly.
    TConvertOptions SourceFlags;
    TConvertOptions TargetFlags;

    // File gamma and display gamma; non-positive values stand for 1.0 and 2.2.
    void SetGamma(float fileGamma, float outputGamma);
    float SourceGamma() const { return sourceGamma_; }
    float OutputGamma() const { return outputGamma_; }
    const TGammaTable& GammaTable() const { return gammaTable_; }

    // Luminance weights (red, green, blue; fewer entries keep the others) and chroma
    // subsampling factors of YCbCr data.
    void SetYCbCrParameters(std::span<const float> weights, uint8_t horizontal, uint8_t vertical);
    const std::array<float, 3>& LumaWeights() const { return lumaWeights_; }
    uint8_t SubsamplingH() const { return subsamplingH_; }
    uint8_t SubsamplingV() const { return subsamplingV_; }
    // Builds the chroma lookups for the source scheme (YCbCr, or PhotoYCC for any other).
    void CreateYCbCrLookup();
    const TChromaTable& CrToRed() const { return crToRed_; }
    const TChromaTable& CbToBlue() const { return cbToBlue_; }
    const TChromaTable& CrToGreen() const { return crToGreen_; }
    const TChromaTable& CbToGreen() const { return cbToGreen_; }
    // Chroma offsets of the last lookup (128 for YCbCr; 156 and 137 for PhotoYCC's C1 and C2)
    // and its four factors, used where chroma is converted at full 16-bit precision.
    int CbOffset() const { return cbOffset_; }
    int CrOffset() const { return crOffset_; }
    const std::array<float, 4>& ChromaFactors() const { return chromaFactors_; }

    // Converts one row, choosing the row converter first when a setting changed.
    void ConvertRow(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void ConvertRow(std::initializer_list<const void*> source, void* target, uint32_t count, uint8_t mask) {
        ConvertRow(TSourceRow(source.begin(), source.size()), target, count, mask);
    }
    // Picks the row converter for the current schemes and widths.
    void PrepareConversion();
    bool NeedsPreparation() const { return needsPreparation_; }
    TConversionMethod RowConverter() const { return rowConverter_; }

    // The bitmap format holding pixels of the source side (0) or the target side (other).
    TPixelFormat GetPixelFormat(int side) const;

    // A palette from a file's colour table of count entries. Planar formats take one pointer
    // per colour plane (red, green, blue). The caller owns the handle.
    HPALETTE CreateColorPalette(TSourceRow data, TRawPaletteFormat format, uint32_t count, bool blueFirst) const;
    HPALETTE CreateColorPalette(std::initializer_list<const void*> data, TRawPaletteFormat format, uint32_t count,
                                bool blueFirst) const {
        return CreateColorPalette(TSourceRow(data.begin(), data.size()), format, count, blueFirst);
    }
    // A grey ramp with one entry per level of the target depth.
    HPALETTE CreateGrayscalePalette(bool minimumIsWhite) const;

    [[noreturn]] void Error(const std::string& message) const;

    // Row converters (chosen by PrepareConversion, called by ConvertRow).
    void RowConvertRGB2RGB(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertRGB2BGR(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertBGR2RGB(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertBGR2BGR(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertGray(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertIndexed8(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertIndexedBoth16(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertIndexedSource16(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertIndexedTarget16(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertCMYK2RGB(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertCMYK2BGR(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertCIELAB2RGB(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertCIELAB2BGR(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertYCbCr2RGB(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertYCbCr2BGR(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertPhotoYCC2RGB(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    void RowConvertPhotoYCC2BGR(TSourceRow source, void* target, uint32_t count, uint8_t mask);

private:
    bool needsPreparation_ = true;
    uint8_t sourceBitsPerSample_ = 8;
    uint8_t targetBitsPerSample_ = 8;
    uint8_t sourceSamplesPerPixel_ = 3;
    uint8_t targetSamplesPerPixel_ = 3;
    float sourceGamma_ = 1.0f;
    float outputGamma_ = 2.2f;
    TGammaTable gammaTable_{};
    std::array<float, 3> lumaWeights_{0.299f, 0.587f, 0.114f};
    uint8_t subsamplingH_ = 1;
    uint8_t subsamplingV_ = 1;
    TChromaTable crToRed_{};
    TChromaTable cbToBlue_{};
    TChromaTable crToGreen_{};
    TChromaTable cbToGreen_{};
    std::array<float, 4> chromaFactors_{};
    int cbOffset_ = 128;
    int crOffset_ = 128;
    TColorScheme sourceColorScheme_ = TColorScheme::csRGB;
    TColorScheme targetColorScheme_ = TColorScheme::csBGR;
    TConversionMethod rowConverter_ = nullptr;
};

} // namespace vermaline
