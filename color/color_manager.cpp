#include "color/color_manager.h"

namespace vermaline {

namespace {

using enum TColorScheme;

bool IsIndexedOrGreySource(TColorScheme scheme) { return scheme == csIndexed || scheme == csG || scheme == csGA; }
bool IsIndexedOrGreyTarget(TColorScheme scheme) { return scheme == csIndexed || scheme == csG; }
bool HasAlpha(TColorScheme scheme) { return scheme == csGA || scheme == csRGBA || scheme == csBGRA; }
bool IsRGBTarget(TColorScheme scheme) { return scheme == csRGB || scheme == csRGBA; }
bool IsBGRTarget(TColorScheme scheme) { return scheme == csBGR || scheme == csBGRA; }

} // namespace

TColorManager::TColorManager() { SetGamma(1.0f, 2.2f); }

void TColorManager::Error(const std::string& message) const { throw EColorConversionError(message); }

void TColorManager::SetSourceBitsPerSample(uint8_t bits) {
    if (bits < 1 || bits > 16) Error(color_messages::kInvalidBitsPerSample);
    if (bits != sourceBitsPerSample_) {
        sourceBitsPerSample_ = bits;
        needsPreparation_ = true;
    }
}

void TColorManager::SetTargetBitsPerSample(uint8_t bits) {
    if (bits < 1 || bits > 16) Error(color_messages::kInvalidBitsPerSample);
    if (bits != targetBitsPerSample_) {
        targetBitsPerSample_ = bits;
        needsPreparation_ = true;
    }
}

void TColorManager::SetSourceSamplesPerPixel(uint8_t samples) {
    if (samples != 1 && samples != 3 && samples != 4) Error(color_messages::kInvalidSamplesPerPixel);
    if (samples != sourceSamplesPerPixel_) {
        sourceSamplesPerPixel_ = samples;
        needsPreparation_ = true;
    }
}

void TColorManager::SetTargetSamplesPerPixel(uint8_t samples) {
    if (samples != 1 && samples != 3 && samples != 4) Error(color_messages::kInvalidSamplesPerPixel);
    if (samples != targetSamplesPerPixel_) {
        targetSamplesPerPixel_ = samples;
        needsPreparation_ = true;
    }
}

void TColorManager::SetSourceColorScheme(TColorScheme scheme) {
    if (scheme != sourceColorScheme_) {
        sourceColorScheme_ = scheme;
        needsPreparation_ = true;
    }
}

void TColorManager::SetTargetColorScheme(TColorScheme scheme) {
    if (scheme != targetColorScheme_) {
        targetColorScheme_ = scheme;
        needsPreparation_ = true;
    }
}

void TColorManager::ConvertRow(TSourceRow source, void* target, uint32_t count, uint8_t mask) {
    if (needsPreparation_) PrepareConversion();
    if (rowConverter_ == nullptr) Error(color_messages::kNoConverter);
    (this->*rowConverter_)(source, target, count, mask);
}

void TColorManager::PrepareConversion() {
    rowConverter_ = nullptr;
    const TColorScheme s = sourceColorScheme_;
    const TColorScheme t = targetColorScheme_;
    if (IsIndexedOrGreySource(s) != IsIndexedOrGreyTarget(t)) Error(color_messages::kIndexedMismatch);

    SourceFlags.Set(TConvertOption::coAlpha, HasAlpha(s));
    TargetFlags.Set(TConvertOption::coAlpha, HasAlpha(t));

    const unsigned bs = sourceBitsPerSample_;
    const unsigned bt = targetBitsPerSample_;
    // Picks the RGB-ordered or BGR-ordered member of a family by the target scheme.
    const auto byTarget = [t](TConversionMethod toRGB, TConversionMethod toBGR) -> TConversionMethod {
        if (IsRGBTarget(t)) return toRGB;
        if (IsBGRTarget(t)) return toBGR;
        return nullptr;
    };

    switch (s) {
    case csUnknown:
    case csCMY:
        break;
    case csIndexed:
        if (bs == 16 && bt == 16)
            rowConverter_ = &TColorManager::RowConvertIndexedBoth16;
        else if (bs == 16)
            rowConverter_ = &TColorManager::RowConvertIndexedSource16;
        else if (bt == 16)
            rowConverter_ = &TColorManager::RowConvertIndexedTarget16;
        else
            rowConverter_ = &TColorManager::RowConvertIndexed8;
        break;
    case csG:
        if (bs != 16 && bt != 16)
            rowConverter_ = &TColorManager::RowConvertIndexed8;
        else if (bs >= 8 && bt >= 8)
            rowConverter_ = &TColorManager::RowConvertGray;
        break;
    case csGA:
        if ((bs == 8 || bs == 16) && (bt == 8 || bt == 16)) rowConverter_ = &TColorManager::RowConvertGray;
        break;
    case csRGB:
    case csRGBA:
        rowConverter_ = byTarget(&TColorManager::RowConvertRGB2RGB, &TColorManager::RowConvertRGB2BGR);
        break;
    case csBGR:
    case csBGRA:
        rowConverter_ = byTarget(&TColorManager::RowConvertBGR2RGB, &TColorManager::RowConvertBGR2BGR);
        break;
    case csCMYK:
        rowConverter_ = byTarget(&TColorManager::RowConvertCMYK2RGB, &TColorManager::RowConvertCMYK2BGR);
        break;
    case csCIELab:
        rowConverter_ = byTarget(&TColorManager::RowConvertCIELAB2RGB, &TColorManager::RowConvertCIELAB2BGR);
        break;
    case csYCbCr:
        CreateYCbCrLookup();
        rowConverter_ = byTarget(&TColorManager::RowConvertYCbCr2RGB, &TColorManager::RowConvertYCbCr2BGR);
        break;
    case csPhotoYCC:
        CreateYCbCrLookup();
        rowConverter_ = byTarget(&TColorManager::RowConvertPhotoYCC2RGB, &TColorManager::RowConvertPhotoYCC2BGR);
        break;
    }
    needsPreparation_ = false;
}

TPixelFormat TColorManager::GetPixelFormat(int side) const {
    const unsigned samples = side == 0 ? sourceSamplesPerPixel_ : targetSamplesPerPixel_;
    const unsigned bits = side == 0 ? sourceBitsPerSample_ : targetBitsPerSample_;
    switch (samples) {
    case 1:
        if (bits == 1) return TPixelFormat::pf1bit;
        if (bits >= 2 && bits <= 4) return TPixelFormat::pf4bit;
        if (bits >= 8 && bits <= 16) return TPixelFormat::pf8bit;
        return TPixelFormat::pfCustom;
    case 3:
        return bits >= 1 && bits <= 5 ? TPixelFormat::pf15bit : TPixelFormat::pf24bit;
    case 4:
        return bits >= 8 ? TPixelFormat::pf32bit : TPixelFormat::pfCustom;
    default:
        return TPixelFormat::pfCustom;
    }
}

} // namespace vermaline
