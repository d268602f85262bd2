#include "reduce/reduce_colors.h"

#include "reduce/burkes_ditherer.h"
#include "reduce/color_quantizer.h"
#include "reduce/dib.h"
#include "reduce/dither_engine.h"
#include "reduce/fast_color_lookup.h"
#include "reduce/five_by_three_ditherers.h"
#include "reduce/floyd_steinberg_ditherer.h"
#include "reduce/gray_scale_lookup.h"
#include "reduce/monochrome_lookup.h"
#include "reduce/netscape_color_lookup.h"
#include "reduce/palettes.h"
#include "reduce/steve_arche_ditherer.h"

namespace vermaline {

namespace {

constexpr int32_t kDepthBits = 8;

struct TTarget {
    HPALETTE palette;
    std::unique_ptr<TColorLookup> lookup;
};

// The palette and lookup of a reduction; no lookup for an invalid value.
TTarget CreateTarget(TColorReduction reduction, TBitmap& source, TDIBReader& reader, int32_t reductionBits,
                     const HPALETTE& customPalette) {
    TTarget t;
    switch (reduction) {
    case TColorReduction::rmWindows20: t.palette = GetStockDefaultPalette(); break;
    case TColorReduction::rmWindows256: t.palette = HalftoneScreenPalette(); break;
    case TColorReduction::rmWindowsGray: t.palette = FourGrayPalette(); break;
    case TColorReduction::rmMonochrome:
        t.palette = BlackWhitePalette();
        t.lookup = std::make_unique<TMonochromeLookup>();
        return t;
    case TColorReduction::rmGrayScale:
        t.palette = GrayRampPalette();
        t.lookup = std::make_unique<TGrayScaleLookup>();
        return t;
    case TColorReduction::rmNetscape:
        t.palette = WebPalette();
        t.lookup = std::make_unique<TNetscapeColorLookup>();
        return t;
    case TColorReduction::rmQuantize:
        // Beyond 8 bits the palette would not fit a 256-entry colour table.
        if (reductionBits < 0 || reductionBits > 8) return t;
        t.palette = BuildOctreePalette(reader, int32_t(1) << reductionBits, kDepthBits, false);
        break;
    case TColorReduction::rmQuantizeWindows:
        t.palette = BuildOctreePaletteForBitmap(source, 256, kDepthBits, true);
        break;
    case TColorReduction::rmPalette: t.palette = CopyPalette(customPalette); break;
    default: return t;
    }
    t.lookup = std::make_unique<TFastColorLookup>(t.palette);
    return t;
}

std::unique_ptr<TDitherEngine> CreateDitherer(TDitherMode mode, int32_t width, TColorLookup& lookup) {
    switch (mode) {
    case TDitherMode::dmNearest: return std::make_unique<TDitherEngine>(width, lookup);
    case TDitherMode::dmFloydSteinberg: return std::make_unique<TFloydSteinbergDitherer>(width, lookup);
    case TDitherMode::dmStucki: return std::make_unique<TStuckiDitherer>(width, lookup);
    case TDitherMode::dmSierra: return std::make_unique<TSierraDitherer>(width, lookup);
    case TDitherMode::dmJaJuNI: return std::make_unique<TJaJuNiDitherer>(width, lookup);
    case TDitherMode::dmSteveArche: return std::make_unique<TSteveArcheDitherer>(width, lookup);
    case TDitherMode::dmBurkes: return std::make_unique<TBurkesDitherer>(width, lookup);
    }
    return nullptr;
}

} // namespace

std::unique_ptr<TBitmap> ReduceColors(TBitmap& source, TColorReduction reduction, TDitherMode ditherMode,
                                      int32_t reductionBits, const HPALETTE& customPalette) {
    auto result = std::make_unique<TBitmap>();
    if (reduction == TColorReduction::rmNone) {
        result->Assign(source);
        result->SetPixelFormat(TPixelFormat::pf24bit);
        return result;
    }
    TDIBReader reader(source, TPixelFormat::pf24bit);
    const TTarget target = CreateTarget(reduction, source, reader, reductionBits, customPalette);
    if (!target.lookup || target.lookup->PaletteSize() == 0) return result;
    const auto ditherer = CreateDitherer(ditherMode, source.Width(), *target.lookup);
    if (!ditherer) return result;

    TDIBWriter writer(*result, TPixelFormat::pf8bit, source.Width(), source.Height(), target.palette);
    const int32_t width = source.Width();
    uint8_t red, green, blue;
    for (int y = 0; y < source.Height(); ++y) {
        const uint8_t* from = reader.RowAddress(y);
        uint8_t* to = writer.RowAddress(y);
        for (int32_t x = ditherer->CurrentColumn(); x >= 0 && x < width; x = ditherer->CurrentColumn()) {
            const uint8_t* pixel = from + 3 * x;
            to[x] = ditherer->DitherPixel(pixel[2], pixel[1], pixel[0], red, green, blue);
        }
        ditherer->EndRow();
    }
    writer.Commit();
    return result;
}

} // namespace vermaline
