#include "reduce/color_quantizer.h"

#include <gtest/gtest.h>

#include <vector>

namespace vermaline {
namespace {

struct Rgb {
    uint8_t r, g, b;
};

// A one-row 24-bit bitmap of the colours in order.
std::unique_ptr<TBitmap> Row(const std::vector<Rgb>& colours) {
    auto bitmap = std::make_unique<TBitmap>(int(colours.size()), 1, TPixelFormat::pf24bit);
    for (size_t x = 0; x < colours.size(); ++x) bitmap->SetPixel(int(x), 0, RGB(colours[x].r, colours[x].g, colours[x].b));
    return bitmap;
}

std::vector<TPaletteEntry> Quantize(const std::vector<Rgb>& colours, int limit, int32_t* leaves = nullptr) {
    const auto bitmapOwner = Row(colours);
    TBitmap& bitmap = *bitmapOwner;
    TDIBReader reader(bitmap, TPixelFormat::pf24bit);
    TColorQuantizer quantizer(limit, 8);
    EXPECT_TRUE(quantizer.AddImage(reader));
    if (leaves) *leaves = quantizer.LeafTotal();
    std::array<TRGBQuad, 256> table{};
    quantizer.ExportColors(table);
    std::vector<TPaletteEntry> out;
    for (int i = 0; i < quantizer.LeafTotal(); ++i) {
        EXPECT_EQ(table[i].rgbReserved, 0);
        out.push_back({table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0});
    }
    return out;
}

using Entries = std::vector<TPaletteEntry>;

TEST(OctreeQuantizer, LeavesComeInTheOrderOfTheirBitPaths) {
    int32_t leaves = 0;
    const Entries palette =
        Quantize({{200, 10, 10}, {128, 128, 128}, {10, 200, 10}, {0, 0, 0}, {10, 10, 200}, {200, 10, 10}}, 256, &leaves);
    EXPECT_EQ(leaves, 5);
    EXPECT_EQ(palette, (Entries{{0, 0, 0, 0}, {10, 10, 200, 0}, {10, 200, 10, 0}, {200, 10, 10, 0}, {128, 128, 128, 0}}));
}

TEST(OctreeQuantizer, MergesTheNewestDeepestNodeFirst) {
    struct Case {
        const char* name;
        std::vector<Rgb> pixels;
        int limit;
        int32_t leaves;
        Entries palette;
    };
    std::vector<Rgb> corners;  // seven of the eight low-bit corners around (100, 100, 104)
    for (int i = 0; i < 7; ++i)
        corners.push_back({uint8_t(100 + (i >> 2 & 1)), uint8_t(100 + (i >> 1 & 1)), uint8_t(104 + (i & 1))});
    std::vector<Rgb> nine = {{100, 100, 100}, {100, 100, 101}};
    nine.insert(nine.end(), corners.begin(), corners.end());
    const Case cases[] = {
        // Green's and blue's level-7 nodes hold one leaf each: merging them removes nothing, so
        // the third merge joins the two reds.
        {"limit 3", {{255, 0, 0}, {254, 0, 0}, {0, 0, 255}, {0, 255, 0}}, 3, 3,
         {{0, 0, 255, 0}, {0, 255, 0, 0}, {254, 0, 0, 0}}},
        // Nine leaves under two level-7 nodes: the newer one (seven leaves) goes, not the older
        // one whose merge would have been enough.
        {"limit 8", nine, 8, 3, {{100, 100, 100, 0}, {100, 100, 101, 0}, {100, 100, 104, 0}}},
        // Three leaves under one node: one merge lowers the count by two.
        {"three children", {{0, 0, 0}, {0, 0, 1}, {0, 1, 0}}, 2, 1, {{0, 0, 0, 0}}},
        // Opposite corners meet only at the root, after every deeper level is used up.
        {"limit 1", {{0, 0, 0}, {255, 255, 255}}, 1, 1, {{127, 127, 127, 0}}},
    };
    for (const Case& c : cases) {
        int32_t leaves = 0;
        EXPECT_EQ(Quantize(c.pixels, c.limit, &leaves), c.palette) << c.name;
        EXPECT_EQ(leaves, c.leaves) << c.name;
    }
}

TEST(OctreeQuantizer, ExportStopsAtTheEndOfTheTable) {
    const auto bitmapOwner = Row({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}});
    TBitmap& bitmap = *bitmapOwner;
    TDIBReader reader(bitmap, TPixelFormat::pf24bit);
    TColorQuantizer quantizer(256, 8);
    quantizer.AddImage(reader);
    std::array<TRGBQuad, 2> table{};
    quantizer.ExportColors(table);
    EXPECT_EQ(table[1].rgbRed, 2);
}

TEST(OctreePalette, WindowsColoursSurroundTheQuantizedOnes) {
    const auto bitmapOwner = Row({{255, 255, 0}, {1, 2, 3}, {1, 2, 3}, {90, 0, 90}});
    TBitmap& bitmap = *bitmapOwner;
    TDIBReader reader(bitmap, TPixelFormat::pf24bit);
    const HPALETTE palette = BuildOctreePalette(reader, 256, 8, true);
    const auto& e = palette->palPalEntry;
    ASSERT_EQ(e.size(), 256u);
    const auto stock = StaticColors();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(e[i], stock[i]) << i;
        EXPECT_EQ(e[246 + i], stock[10 + i]) << i;
    }
    EXPECT_EQ(e[10], (TPaletteEntry{1, 2, 3, 0}));
    EXPECT_EQ(e[11], (TPaletteEntry{90, 0, 90, 0}));
    EXPECT_EQ(e[12], (TPaletteEntry{255, 255, 0, 0}));
    for (int i = 13; i < 246; ++i) EXPECT_EQ(e[i], TPaletteEntry{}) << i;
}

TEST(OctreePalette, HasTheRequestedCountAndLeavesTheBitmapIn24Bits) {
    TBitmap bitmap(16, 16, TPixelFormat::pf4bit);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) bitmap.SetPixel(x, y, RGB(uint8_t(x * 16), uint8_t(y * 16), 0));
    const HPALETTE eight = BuildOctreePaletteForBitmap(bitmap, 8, 8, false);
    EXPECT_EQ(GetPaletteEntryCount(eight), 8u);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    // A tree with fewer leaves than asked for pads with black.
    const HPALETTE many = BuildOctreePaletteForBitmap(bitmap, 256, 8, false);
    ASSERT_EQ(GetPaletteEntryCount(many), 256u);
    EXPECT_EQ(many->palPalEntry[255], TPaletteEntry{});
}

} // namespace
} // namespace vermaline
