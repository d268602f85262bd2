#include "reduce/reduce_colors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "reduce/gif_error.h"

namespace vermaline {
namespace {

constexpr TColorReduction kReductions[] = {
    TColorReduction::rmWindows20, TColorReduction::rmWindows256, TColorReduction::rmWindowsGray,
    TColorReduction::rmMonochrome, TColorReduction::rmGrayScale, TColorReduction::rmNetscape,
    TColorReduction::rmQuantize, TColorReduction::rmQuantizeWindows, TColorReduction::rmPalette};
constexpr TDitherMode kDitherModes[] = {TDitherMode::dmNearest,   TDitherMode::dmFloydSteinberg, TDitherMode::dmStucki,
                                        TDitherMode::dmSierra,    TDitherMode::dmJaJuNI,         TDitherMode::dmSteveArche,
                                        TDitherMode::dmBurkes};

// Smooth colours with some noise, like a photograph.
std::unique_ptr<TBitmap> Photo(int width, int height) {
    auto photo = std::make_unique<TBitmap>(width, height, TPixelFormat::pf24bit);
    TBitmap& bitmap = *photo;
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245 + 12345;
            const int noise = int(seed >> 28) - 8;
            bitmap.SetPixel(x, y, RGB(uint8_t(std::clamp(x * 255 / std::max(width - 1, 1) + noise, 0, 255)),
                                      uint8_t(std::clamp(y * 255 / std::max(height - 1, 1) - noise, 0, 255)),
                                      uint8_t((x + y) * 7 % 256)));
        }
    return photo;
}

int Index(const TBitmap& bitmap, int x, int y) { return bitmap.ScanLine(y)[x]; }

TEST(ReduceColors, WebPaletteTwoByTwo) {
    TBitmap source(2, 2, TPixelFormat::pf24bit);
    source.SetPixel(0, 0, RGB(255, 0, 0));
    source.SetPixel(1, 0, RGB(0, 255, 0));
    source.SetPixel(0, 1, RGB(0, 0, 255));
    source.SetPixel(1, 1, RGB(255, 255, 255));
    const auto result = ReduceColors(source, TColorReduction::rmNetscape, TDitherMode::dmNearest, 8, nullptr);
    ASSERT_EQ(result->PixelFormat(), TPixelFormat::pf8bit);
    ASSERT_EQ(result->Width(), 2);
    ASSERT_EQ(result->Height(), 2);
    EXPECT_EQ(Index(*result, 0, 0), 180);
    EXPECT_EQ(Index(*result, 1, 0), 30);
    EXPECT_EQ(Index(*result, 0, 1), 5);
    EXPECT_EQ(Index(*result, 1, 1), 215);
    const auto table = result->PaletteEntries();
    ASSERT_EQ(table.size(), 256u);
    for (int i = 0; i < 216; ++i)
        EXPECT_EQ(table[i], (TPaletteEntry{uint8_t(i / 36 * 51), uint8_t(i / 6 % 6 * 51), uint8_t(i % 6 * 51), 0})) << i;
    for (int i = 216; i < 256; ++i) EXPECT_EQ(table[i], TPaletteEntry{}) << i;
}

TEST(ReduceColors, MonochromeIsStillEightBits) {
    const auto sourceOwner = Photo(20, 10);
    TBitmap& source = *sourceOwner;
    const auto result = ReduceColors(source, TColorReduction::rmMonochrome, TDitherMode::dmFloydSteinberg, 8, nullptr);
    ASSERT_EQ(result->PixelFormat(), TPixelFormat::pf8bit);
    std::set<int> used;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) used.insert(Index(*result, x, y));
    EXPECT_EQ(used, (std::set<int>{0, 1}));
    const auto table = result->PaletteEntries();
    EXPECT_EQ(table[0], TPaletteEntry{});
    EXPECT_EQ(table[1], (TPaletteEntry{255, 255, 255, 0}));
    EXPECT_TRUE(std::all_of(table.begin() + 2, table.end(), [](const TPaletteEntry& e) { return e == TPaletteEntry{}; }));
}

TEST(ReduceColors, QuantizedPaletteHasTwoToTheBitsEntries) {
    for (const auto& [bits, maxIndex] : {std::pair{3, 7}, std::pair{8, 255}}) {
        const auto sourceOwner = Photo(64, 64);
        TBitmap& source = *sourceOwner;
        const auto result = ReduceColors(source, TColorReduction::rmQuantize, TDitherMode::dmNearest, bits, nullptr);
        int highest = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) highest = std::max(highest, Index(*result, x, y));
        EXPECT_LE(highest, maxIndex) << bits;
        EXPECT_GT(highest, maxIndex * 3 / 4) << bits;
        const auto table = result->PaletteEntries();
        for (int i = maxIndex + 1; i < 256; ++i) EXPECT_EQ(table[i], TPaletteEntry{}) << bits << " " << i;
        // The palette follows the image: on average a pixel is near its colour.
        int64_t total = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const TPaletteEntry& e = table[Index(*result, x, y)];
                const TColor c = source.GetPixel(x, y);
                total += std::abs(e.peRed - GetRValue(c)) + std::abs(e.peGreen - GetGValue(c)) +
                         std::abs(e.peBlue - GetBValue(c));
            }
        EXPECT_LT(total / (64 * 64), bits == 8 ? 24 : 130) << bits;
    }
}

TEST(ReduceColors, QuantizeWindowsKeepsTheStaticColoursAtBothEnds) {
    const auto sourceOwner = Photo(32, 32);
    TBitmap& source = *sourceOwner;
    const auto result = ReduceColors(source, TColorReduction::rmQuantizeWindows, TDitherMode::dmBurkes, 8, nullptr);
    const auto table = result->PaletteEntries();
    ASSERT_EQ(table.size(), 256u);
    const auto stock = StaticColors();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(table[i], stock[i]);
        EXPECT_EQ(table[246 + i], stock[10 + i]);
    }
}

TEST(ReduceColors, FixedPalettesMapTheirOwnColoursExactly) {
    TBitmap source(20, 1, TPixelFormat::pf24bit);
    const auto stock = StaticColors();
    for (int x = 0; x < 20; ++x) source.SetPixel(x, 0, RGB(stock[x].peRed, stock[x].peGreen, stock[x].peBlue));
    const auto windows = ReduceColors(source, TColorReduction::rmWindows20, TDitherMode::dmFloydSteinberg, 8, nullptr);
    for (int x = 0; x < 20; ++x) EXPECT_EQ(Index(*windows, x, 0), x);

    TBitmap greys(4, 1, TPixelFormat::pf24bit);
    const uint8_t levels[] = {0, 128, 192, 255};
    for (int x = 0; x < 4; ++x) greys.SetPixel(x, 0, RGB(levels[x], levels[x], levels[x]));
    const auto four = ReduceColors(greys, TColorReduction::rmWindowsGray, TDitherMode::dmStucki, 8, nullptr);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Index(*four, x, 0), x);
}

TEST(ReduceColors, CustomPaletteIsCopied) {
    const HPALETTE custom = CreatePalette(std::vector<TPaletteEntry>{{10, 20, 30, 0}, {200, 100, 50, 0}});
    TBitmap source(2, 1, TPixelFormat::pf24bit);
    source.SetPixel(0, 0, RGB(190, 110, 40));
    source.SetPixel(1, 0, RGB(0, 0, 0));
    const auto result = ReduceColors(source, TColorReduction::rmPalette, TDitherMode::dmNearest, 8, custom);
    EXPECT_EQ(Index(*result, 0, 0), 1);
    EXPECT_EQ(Index(*result, 1, 0), 0);
    EXPECT_EQ(result->PaletteEntries()[1], (TPaletteEntry{200, 100, 50, 0}));
    EXPECT_EQ(custom.use_count(), 1);
}

TEST(ReduceColors, SourceIsLeftIn24Bits) {
    TBitmap source(8, 4, TPixelFormat::pf8bit);
    source.SetPixel(3, 2, RGB(255, 0, 0));
    const auto result = ReduceColors(source, TColorReduction::rmGrayScale, TDitherMode::dmNearest, 8, nullptr);
    EXPECT_EQ(source.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(Index(*result, 3, 2), 76);
    EXPECT_EQ(Index(*result, 0, 0), 255);
}

TEST(ReduceColors, NoneGivesA24BitCopy) {
    TBitmap source(3, 3, TPixelFormat::pf4bit);
    source.SetPixel(1, 1, RGB(0, 0, 255));
    const auto result = ReduceColors(source, TColorReduction::rmNone, TDitherMode::dmBurkes, 8, nullptr);
    EXPECT_EQ(result->PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(result->GetPixel(1, 1), RGB(0, 0, 255));
    EXPECT_EQ(source.PixelFormat(), TPixelFormat::pf4bit);
}

TEST(ReduceColors, InvalidValuesGiveAnEmptyBitmap) {
    struct Case {
        const char* name;
        TColorReduction reduction;
        TDitherMode mode;
        int32_t bits;
    };
    const Case cases[] = {
        {"dither mode 7", TColorReduction::rmNetscape, TDitherMode(7), 8},
        {"dither mode 255", TColorReduction::rmQuantize, TDitherMode(255), 8},
        {"reduction 10", TColorReduction(10), TDitherMode::dmNearest, 8},
        {"null custom palette", TColorReduction::rmPalette, TDitherMode::dmNearest, 8},
        {"9 reduction bits", TColorReduction::rmQuantize, TDitherMode::dmNearest, 9},
        {"negative reduction bits", TColorReduction::rmQuantize, TDitherMode::dmNearest, -1},
    };
    for (const Case& c : cases) {
        TBitmap source(5, 5, TPixelFormat::pf8bit);
        const auto result = ReduceColors(source, c.reduction, c.mode, c.bits, nullptr);
        ASSERT_TRUE(result) << c.name;
        EXPECT_TRUE(result->Empty()) << c.name;
        EXPECT_EQ(source.PixelFormat(), TPixelFormat::pf24bit) << c.name;
    }
}

TEST(ReduceColors, ErrorsOfThePartsPropagate) {
    TBitmap empty;
    try {
        ReduceColors(empty, TColorReduction::rmNetscape, TDitherMode::dmFloydSteinberg, 8, nullptr);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Invalid image dimensions");
    }
}

TEST(ReduceColors, EveryMethodAndModeOnThinImages) {
    const HPALETTE custom = CreatePalette(std::vector<TPaletteEntry>{{0, 0, 0, 0}, {255, 128, 0, 0}, {0, 90, 255, 0}});
    for (const auto& [w, h] : {std::pair{1, 37}, std::pair{37, 1}, std::pair{2, 2}, std::pair{23, 17}}) {
        for (TColorReduction reduction : kReductions)
            for (TDitherMode mode : kDitherModes) {
                const auto sourceOwner = Photo(w, h);
                TBitmap& source = *sourceOwner;
                const auto result = ReduceColors(source, reduction, mode, 4, custom);
                ASSERT_EQ(result->PixelFormat(), TPixelFormat::pf8bit);
                ASSERT_EQ(result->Width(), w);
                ASSERT_EQ(result->Height(), h);
                const int used = reduction == TColorReduction::rmPalette ? 3 : 256;
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        ASSERT_LT(Index(*result, x, y), used) << int(reduction) << "/" << int(mode);
            }
    }
}

} // namespace
} // namespace vermaline
