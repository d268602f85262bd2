#include <gtest/gtest.h>

#include "reduce/fast_color_lookup.h"
#include "reduce/gray_scale_lookup.h"
#include "reduce/monochrome_lookup.h"
#include "reduce/netscape_color_lookup.h"
#include "reduce/palettes.h"

namespace vermaline {
namespace {

struct Mapped {
    int index;
    int r, g, b;
    friend bool operator==(const Mapped&, const Mapped&) = default;
    friend std::ostream& operator<<(std::ostream& o, const Mapped& m) {
        return o << m.index << " (" << m.r << "," << m.g << "," << m.b << ")";
    }
};

Mapped Map(TColorLookup& lookup, int r, int g, int b) {
    uint8_t outR = 1, outG = 2, outB = 3;
    const int index = lookup.MapColor(uint8_t(r), uint8_t(g), uint8_t(b), outR, outG, outB);
    return {index, outR, outG, outB};
}

TEST(FixedPalettes, EntriesAndFlags) {
    const auto web = WebPalette()->palPalEntry;
    ASSERT_EQ(web.size(), 216u);
    EXPECT_EQ(web[0], (TPaletteEntry{0, 0, 0, 0}));
    EXPECT_EQ(web[11], (TPaletteEntry{0, 51, 255, 0}));
    EXPECT_EQ(web[180], (TPaletteEntry{255, 0, 0, 0}));
    EXPECT_EQ(web[215], (TPaletteEntry{255, 255, 255, 0}));

    const auto ramp = GrayRampPalette()->palPalEntry;
    ASSERT_EQ(ramp.size(), 256u);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(ramp[i], (TPaletteEntry{uint8_t(i), uint8_t(i), uint8_t(i), 4}));

    EXPECT_EQ(BlackWhitePalette()->palPalEntry,
              (std::vector<TPaletteEntry>{{0, 0, 0, 4}, {255, 255, 255, 4}}));
    EXPECT_EQ(FourGrayPalette()->palPalEntry, (std::vector<TPaletteEntry>{
                                                  {0, 0, 0, 4}, {128, 128, 128, 4}, {192, 192, 192, 4}, {255, 255, 255, 4}}));
    EXPECT_EQ(GetPaletteEntryCount(HalftoneScreenPalette()), 256u);
    EXPECT_EQ(WebPalette()->palVersion, 0x300);
    EXPECT_NE(WebPalette(), WebPalette());  // a new handle every time
}

TEST(NetscapeLookup, LevelsChangeAtTheDescribedValues) {
    TNetscapeColorLookup lookup;
    EXPECT_EQ(lookup.PaletteSize(), 216);
    const std::pair<std::array<int, 3>, Mapped> cases[] = {
        {{47, 48, 255}, {11, 0, 51, 255}},
        {{98, 99, 150}, {1 * 36 + 2 * 6 + 3, 51, 102, 153}},
        {{149, 201, 252}, {2 * 36 + 4 * 6 + 5, 102, 204, 255}},
        {{200, 251, 0}, {3 * 36 + 4 * 6 + 0, 153, 204, 0}},
        {{255, 0, 0}, {180, 255, 0, 0}},
        {{255, 255, 255}, {215, 255, 255, 255}},
    };
    const auto web = WebPalette()->palPalEntry;
    for (const auto& [in, expected] : cases) {
        const Mapped got = Map(lookup, in[0], in[1], in[2]);
        EXPECT_EQ(got, expected) << in[0] << "," << in[1] << "," << in[2];
        EXPECT_EQ(web[got.index], (TPaletteEntry{uint8_t(got.r), uint8_t(got.g), uint8_t(got.b), 0}));
    }
}

TEST(GrayScaleLookup, Luminance) {
    TGrayScaleLookup lookup;
    EXPECT_EQ(lookup.PaletteSize(), 256);
    EXPECT_EQ(Map(lookup, 255, 255, 255), (Mapped{255, 255, 255, 255}));
    EXPECT_EQ(Map(lookup, 255, 0, 0), (Mapped{76, 76, 76, 76}));
    EXPECT_EQ(Map(lookup, 0, 255, 0), (Mapped{149, 149, 149, 149}));
    EXPECT_EQ(Map(lookup, 0, 0, 255), (Mapped{28, 28, 28, 28}));
}

TEST(MonochromeLookup, Threshold) {
    TMonochromeLookup lookup;
    EXPECT_EQ(lookup.PaletteSize(), 2);
    EXPECT_EQ(Map(lookup, 127, 127, 127), (Mapped{0, 0, 0, 0}));
    EXPECT_EQ(Map(lookup, 128, 128, 128), (Mapped{1, 255, 255, 255}));
    EXPECT_EQ(Map(lookup, 128, 127, 127), (Mapped{1, 255, 255, 255}));  // 32589
    EXPECT_EQ(Map(lookup, 127, 127, 128), (Mapped{1, 255, 255, 255}));  // 32541
    EXPECT_EQ(Map(lookup, 0, 216, 0), (Mapped{0, 0, 0, 0}));            // 32400
    EXPECT_EQ(Map(lookup, 0, 217, 0), (Mapped{1, 255, 255, 255}));      // 32550
}

HPALETTE Palette(std::initializer_list<TPaletteEntry> entries) { return CreatePalette(std::vector(entries)); }

TEST(FastLookup, ThePaletteColoursClaimTheirCellsFirst) {
    TFastColorLookup lookup(Palette({{0, 0, 0, 0}, {8, 8, 8, 0}, {255, 255, 255, 0}}));
    EXPECT_EQ(lookup.PaletteSize(), 3);
    EXPECT_EQ(Map(lookup, 7, 7, 7), (Mapped{0, 0, 0, 0}));
    EXPECT_EQ(Map(lookup, 9, 9, 9), (Mapped{1, 8, 8, 8}));
    EXPECT_EQ(Map(lookup, 255, 255, 255), (Mapped{2, 255, 255, 255}));
}

TEST(FastLookup, TheFirstColourOfACellDecidesForTheRest) {
    // (100, 0, 0) and (103, 0, 0) share a cell; 0 is nearer to the first, 1 to the second.
    TFastColorLookup first(Palette({{94, 0, 0, 0}, {110, 0, 0, 0}}));
    EXPECT_EQ(Map(first, 100, 0, 0).index, 0);
    EXPECT_EQ(Map(first, 103, 0, 0).index, 0);
    TFastColorLookup second(Palette({{94, 0, 0, 0}, {110, 0, 0, 0}}));
    EXPECT_EQ(Map(second, 103, 0, 0).index, 1);
    EXPECT_EQ(Map(second, 100, 0, 0).index, 1);
}

TEST(FastLookup, DistanceIsTheSumOfDifferencesAndTiesGoToTheLowerIndex) {
    TFastColorLookup tie(Palette({{255, 0, 0, 0}, {0, 255, 0, 0}}));
    EXPECT_EQ(Map(tie, 128, 128, 0), (Mapped{0, 255, 0, 0}));
    // Squared distance would pick entry 1 (50^2 + 50^2 < 90^2); the sum of differences picks 0.
    TFastColorLookup sum(Palette({{90, 0, 0, 0}, {50, 50, 0, 0}}));
    EXPECT_EQ(Map(sum, 0, 0, 0).index, 0);
    // Two entries in one cell: the lower index keeps it.
    TFastColorLookup shared(Palette({{200, 0, 0, 0}, {201, 1, 2, 0}, {200, 0, 0, 0}}));
    EXPECT_EQ(Map(shared, 201, 1, 2).index, 0);
}

TEST(FastLookup, NullPaletteIsUnusable) {
    EXPECT_EQ(TFastColorLookup(nullptr).PaletteSize(), 0);
    EXPECT_EQ(TFastColorLookup(HalftoneScreenPalette()).PaletteSize(), 256);
}

} // namespace
} // namespace vermaline
