// Grey ramps and palettes from raw colour tables in every stored layout.
#include <gtest/gtest.h>

#include "color_test_util.h"

namespace vermaline {
namespace {

using enum TRawPaletteFormat;
using test::Bytes;

std::vector<TPaletteEntry> Entries(const HPALETTE& palette) {
    std::vector<TPaletteEntry> out(GetPaletteEntryCount(palette));
    GetPaletteEntries(palette, 0, unsigned(out.size()), out.data());
    return out;
}

TPaletteEntry Grey(uint8_t v) { return TPaletteEntry{v, v, v, 0}; }

TEST(GrayscalePalette, RampsByTargetDepth) {
    struct Case {
        uint8_t bits, samples;
        size_t entries;
        uint8_t step;
    };
    const Case cases[] = {{1, 1, 2, 255}, {2, 1, 4, 85}, {4, 1, 16, 17}, {8, 1, 256, 1}, {16, 1, 256, 1}};
    for (const auto& c : cases) {
        TColorManager m;
        m.SetTargetBitsPerSample(c.bits);
        m.SetTargetSamplesPerPixel(c.samples);
        const auto plain = Entries(m.CreateGrayscalePalette(false));
        const auto inverted = Entries(m.CreateGrayscalePalette(true));
        ASSERT_EQ(plain.size(), c.entries);
        ASSERT_EQ(inverted.size(), c.entries);
        for (size_t i = 0; i < c.entries; ++i) {
            EXPECT_EQ(plain[i], Grey(uint8_t(i * c.step))) << int(c.bits) << " bits, entry " << i;
            EXPECT_EQ(inverted[i], Grey(uint8_t((c.entries - 1 - i) * c.step)));
        }
        EXPECT_EQ(inverted.front(), Grey(255)) << "minimum is white: entry 0 is white";
    }
}

TEST(GrayscalePalette, EveryDepthEndsAtWhite) {
    for (uint8_t bits = 1; bits <= 8; ++bits) {
        TColorManager m;
        m.SetTargetBitsPerSample(bits);
        m.SetTargetSamplesPerPixel(1);
        const auto ramp = Entries(m.CreateGrayscalePalette(false));
        ASSERT_EQ(ramp.size(), size_t(1) << bits);
        EXPECT_EQ(ramp.back(), Grey(255)) << int(bits) << " bits";
        EXPECT_EQ(ramp.front(), Grey(0));
    }
}

TEST(GrayscalePalette, GammaApplied) {
    TColorManager m;
    m.SetTargetBitsPerSample(4);
    m.SetTargetSamplesPerPixel(1);
    m.SetGamma(1.0f, 2.2f);
    m.TargetFlags = {TConvertOption::coApplyGamma};
    const auto ramp = Entries(m.CreateGrayscalePalette(false));
    ASSERT_EQ(ramp.size(), 16u);
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(ramp[i], Grey(m.GammaTable()[17 * i]));
    EXPECT_EQ(ramp[1].peRed, 74);  // 255 x (17/255)^(1/2.2) = 74.5
}

// A table of n entries; entry k is (k, 100 + k, 200 - k) in red, green, blue.
TPaletteEntry Expected(size_t k) { return TPaletteEntry{uint8_t(k), uint8_t(100 + k), uint8_t(200 - k), 0}; }

TEST(ColorPalette, EveryRawFormat) {
    constexpr size_t n = 5;
    for (const bool blueFirst : {false, true}) {
        for (const bool swap : {false, true}) {
            Bytes inter8Triple, inter8Quad, planes8[4];
            std::vector<uint16_t> inter16Triple, inter16Quad, planes16[4];
            for (size_t k = 0; k < n; ++k) {
                const TPaletteEntry e = Expected(k);
                const uint8_t ordered[3] = {blueFirst ? e.peBlue : e.peRed, e.peGreen,
                                            blueFirst ? e.peRed : e.peBlue};
                const uint8_t rgb[3] = {e.peRed, e.peGreen, e.peBlue};
                for (size_t c = 0; c < 3; ++c) {
                    inter8Triple.push_back(ordered[c]);
                    inter8Quad.push_back(ordered[c]);
                    inter16Triple.push_back(uint16_t(ordered[c] * 257));
                    inter16Quad.push_back(uint16_t(ordered[c] * 257));
                    planes8[c].push_back(rgb[c]);
                    planes16[c].push_back(uint16_t(rgb[c] * 257 + 200));  // the low byte is cut off
                }
                inter8Quad.push_back(0x99);
                inter16Quad.push_back(0x9999);
                planes8[3].push_back(0x99);
                planes16[3].push_back(0x9999);
            }
            const Bytes i16t = test::Words(inter16Triple, swap), i16q = test::Words(inter16Quad, swap);
            Bytes p16[4];
            for (int c = 0; c < 4; ++c) p16[c] = test::Words(planes16[c], swap);
            struct Case {
                TRawPaletteFormat format;
                std::vector<const void*> data;
            };
            const Case cases[] = {
                {pfInterlaced8Triple, {inter8Triple.data()}},
                {pfInterlaced8Quad, {inter8Quad.data()}},
                {pfPlane8Triple, {planes8[0].data(), planes8[1].data(), planes8[2].data()}},
                {pfPlane8Quad, {planes8[0].data(), planes8[1].data(), planes8[2].data(), planes8[3].data()}},
                {pfInterlaced16Triple, {i16t.data()}},
                {pfInterlaced16Quad, {i16q.data()}},
                {pfPlane16Triple, {p16[0].data(), p16[1].data(), p16[2].data()}},
                {pfPlane16Quad, {p16[0].data(), p16[1].data(), p16[2].data(), p16[3].data()}},
            };
            for (const auto& c : cases) {
                // Planar tables ignore the blue-first flag; 8-bit tables ignore the swap option.
                TColorManager m;
                if (swap) m.SourceFlags = {TConvertOption::coNeedByteSwap};
                const auto entries = Entries(m.CreateColorPalette(c.data, c.format, n, blueFirst));
                ASSERT_EQ(entries.size(), n) << int(c.format);
                for (size_t k = 0; k < n; ++k)
                    EXPECT_EQ(entries[k], Expected(k))
                        << "format " << int(c.format) << " entry " << k << " blueFirst " << blueFirst << " swap " << swap;
            }
        }
    }
}

TEST(ColorPalette, PlanarIgnoresBlueFirstAndGammaApplies) {
    const Bytes r = {10, 200}, g = {20, 128}, b = {30, 0};
    TColorManager m;
    m.TargetFlags = {TConvertOption::coApplyGamma};
    const auto& gt = m.GammaTable();
    const auto entries = Entries(m.CreateColorPalette({r.data(), g.data(), b.data()}, pfPlane8Triple, 2, true));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (TPaletteEntry{gt[10], gt[20], gt[30], 0}));
    EXPECT_EQ(entries[1], (TPaletteEntry{gt[200], gt[128], gt[0], 0}));

    const Bytes words = test::Words({0xFFFF, 0x8000, 0x0101}, true);
    m.SourceFlags = {TConvertOption::coNeedByteSwap};
    const auto wide = Entries(m.CreateColorPalette({words.data()}, pfInterlaced16Triple, 1, false));
    EXPECT_EQ(wide[0], (TPaletteEntry{gt[255], gt[127], gt[1], 0}));
}

TEST(ColorPalette, AtMost256EntriesAndMissingPlanesGiveBlack) {
    Bytes table(300 * 3);
    for (size_t i = 0; i < table.size(); ++i) table[i] = uint8_t(i);
    TColorManager m;
    EXPECT_EQ(GetPaletteEntryCount(m.CreateColorPalette({table.data()}, pfInterlaced8Triple, 300, false)), 256u);
    const auto none = Entries(m.CreateColorPalette({table.data()}, pfPlane8Triple, 4, false));
    ASSERT_EQ(none.size(), 4u);
    EXPECT_EQ(none[3], TPaletteEntry{});
}

TEST(ColorPalette, RemapForScaledIndices4To8) {
    Bytes table;
    for (int k = 0; k < 16; ++k) {
        table.push_back(uint8_t(k * 16));
        table.push_back(uint8_t(255 - k));
        table.push_back(uint8_t(k));
    }
    TColorManager m;
    m.SetSourceBitsPerSample(4);
    m.SetTargetBitsPerSample(8);
    const auto entries = Entries(m.CreateColorPalette({table.data()}, pfInterlaced8Triple, 16, false));
    ASSERT_EQ(entries.size(), 256u);
    for (size_t j = 0; j < 256; ++j) {
        const size_t k = j * 15 / 255;
        EXPECT_EQ(entries[j], (TPaletteEntry{uint8_t(k * 16), uint8_t(255 - k), uint8_t(k), 0})) << j;
    }
    // The row converter turns index 5 into 85; entry 85 is the file's entry 5.
    EXPECT_EQ(entries[85], (TPaletteEntry{80, 250, 5, 0}));
}

TEST(ColorPalette, RemapDownAndFromWideSources) {
    // 8-bit indices shown in 4 bits: entry j is file entry j * 255 / 15 = 17 j.
    Bytes table;
    for (int k = 0; k < 256; ++k) table.insert(table.end(), {uint8_t(k), uint8_t(k), uint8_t(k)});
    TColorManager m;
    m.SetTargetBitsPerSample(4);
    auto entries = Entries(m.CreateColorPalette({table.data()}, pfInterlaced8Triple, 256, false));
    ASSERT_EQ(entries.size(), 16u);
    for (size_t j = 0; j < 16; ++j) EXPECT_EQ(entries[j], Grey(uint8_t(17 * j)));

    // 16-bit indices (a TIFF colour map of 65536 entries) shown in 8 bits: entry j is file
    // entry 257 j, beyond the first 256.
    std::vector<uint16_t> red(65536), green(65536), blue(65536);
    for (size_t k = 0; k < 65536; ++k) {
        red[k] = uint16_t(k);
        green[k] = uint16_t(65535 - k);
        blue[k] = uint16_t(k % 257 == 0 ? 0xFFFF : 0);
    }
    const Bytes r = test::Words(red), g = test::Words(green), b = test::Words(blue);
    m.SetSourceBitsPerSample(16);
    m.SetTargetBitsPerSample(8);
    entries = Entries(m.CreateColorPalette({r.data(), g.data(), b.data()}, pfPlane16Triple, 65536, false));
    ASSERT_EQ(entries.size(), 256u);
    for (size_t j = 0; j < 256; ++j) EXPECT_EQ(entries[j], (TPaletteEntry{uint8_t(j), uint8_t(255 - j), 255, 0}));

    // A short table: entries past its end are black rather than read beyond it.
    m.SetSourceBitsPerSample(4);
    entries = Entries(m.CreateColorPalette({table.data()}, pfInterlaced8Triple, 2, false));
    ASSERT_EQ(entries.size(), 256u);
    EXPECT_EQ(entries[17], Grey(1));
    EXPECT_EQ(entries[255], TPaletteEntry{});
}

} // namespace
} // namespace vermaline
