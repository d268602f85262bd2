// CMYK, CIE L*a*b*, YCbCr and PhotoYCC sources: worked values, a grid of every 17th value per
// channel against references computed here, planar against interleaved, and byte swapping.
#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "color_test_util.h"

namespace vermaline {
namespace {

using enum TColorScheme;
using enum TConvertOption;
using test::Bytes;
using test::ManagerSetup;

int Clamp255(double v) { return v < 0 ? 0 : v > 255 ? 255 : int(v); }

TEST(RowCMYK, WorkedValues) {
    struct Case {
        Bytes cmyk;
        Bytes rgb;
    };
    const Case cases[] = {{{0, 0, 0, 0}, {255, 255, 255}},
                          {{255, 255, 255, 0}, {0, 0, 0}},
                          {{0, 0, 0, 255}, {0, 0, 0}},
                          {{17, 140, 250, 255}, {0, 0, 0}},
                          {{255, 0, 0, 0}, {0, 255, 255}}};
    for (const auto& c : cases) {
        TColorManager m;
        test::Configure(m, ManagerSetup{csCMYK, csRGB, 8, 8, 4, 3});
        EXPECT_EQ(test::Convert(m, c.cmyk, 1, 3), c.rgb);
    }
}

// Subtractive mixing: each ink and the black remove their share of the light.
int CMYKReference(int x, int k) { return std::clamp(255 - x - k + x * k / 255, 0, 255); }

TEST(RowCMYK, GridAgainstReference) {
    Bytes row;
    std::vector<int> expected;
    const auto grid = test::Grid17();
    for (int c : grid)
        for (int mg : grid)
            for (int y : grid)
                for (int k : grid) {
                    row.insert(row.end(), {uint8_t(c), uint8_t(mg), uint8_t(y), uint8_t(k)});
                    expected.insert(expected.end(), {CMYKReference(y, k), CMYKReference(mg, k), CMYKReference(c, k)});
                }
    const auto count = uint32_t(row.size() / 4);
    TColorManager m;
    test::Configure(m, ManagerSetup{csCMYK, csBGR, 8, 8, 4, 3});
    const Bytes out = test::Convert(m, row, count, count * 3);
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], expected[i]) << "sample " << i;

    // 16-bit samples of the same values (v x 257) give the 8-bit result within one step, and
    // 16 -> 16 keeps the full precision.
    const Bytes wide = test::Words([&] {
        std::vector<uint16_t> w;
        for (uint8_t v : row) w.push_back(uint16_t(v * 257));
        return w;
    }());
    m.SetSourceBitsPerSample(16);
    const Bytes narrowed = test::Convert(m, wide, count, count * 3);
    for (size_t i = 0; i < out.size(); ++i) ASSERT_LE(std::abs(narrowed[i] - out[i]), 1) << i;
    m.SetTargetBitsPerSample(16);
    const auto full = test::ToWords(test::Convert(m, wide, count, count * 6));
    for (size_t p = 0; p < count; ++p) {
        const auto at = [&](size_t s) { return uint32_t(row[4 * p + s]) * 257; };
        const uint32_t k = at(3);
        for (size_t s = 0; s < 3; ++s) {
            const uint32_t x = at(2 - s);
            ASSERT_EQ(full[3 * p + s], 65535 - (x + k - x * k / 65535)) << p;
        }
    }
}

// CIE L*a*b* to XYZ (white X = Y = Z = 1) and to RGB, straight from the definitions.
struct LabCase {
    bool byteRange;
    bool chromaOffset;
};

std::array<int, 3> LabReference(double L, double a, double b) {
    double X, Y, Z;
    if (L < 7.9996) {
        Y = L / 903.3;
        X = Y + a / 3893.5;
        Z = Y - b / 1557.4;
    } else {
        const double fy = (L + 16) / 116;
        Y = std::pow(fy, 3);
        X = std::pow(fy + a / 500, 3);
        Z = std::pow(fy - b / 200, 3);
    }
    const auto q = [](double v) { return Clamp255(std::round(255 * v)); };
    return {q(2.998 * X - 1.458 * Y - 0.541 * Z), q(-0.952 * X + 1.893 * Y + 0.059 * Z),
            q(0.099 * X - 0.198 * Y + 1.099 * Z)};
}

TEST(RowLab, WhiteFromUnsignedEncoding) {
    TColorManager m;
    test::Configure(m, ManagerSetup{csCIELab, csBGR});
    EXPECT_EQ(test::Convert(m, {100, 0, 0}, 1, 3), (Bytes{255, 255, 255}));
    m.SourceFlags = {coLabByteRange, coLabChromaOffset};
    EXPECT_EQ(test::Convert(m, {255, 128, 128}, 1, 3), (Bytes{255, 255, 255}));
    EXPECT_EQ(test::Convert(m, {0, 128, 128}, 1, 3), (Bytes{0, 0, 0}));
}

TEST(RowLab, GridAgainstReference) {
    for (const LabCase encoding : {LabCase{false, false}, {true, false}, {true, true}, {false, true}}) {
        Bytes row;
        std::vector<std::array<int, 3>> expected;
        for (int l : test::Grid17())
            for (int a : test::Grid17())
                for (int b : test::Grid17()) {
                    row.insert(row.end(), {uint8_t(l), uint8_t(a), uint8_t(b)});
                    const double L = encoding.byteRange ? l * 100.0 / 255 : l;
                    const auto chroma = [&](int v) { return encoding.chromaOffset ? v - 128 : int(int8_t(v)); };
                    expected.push_back(LabReference(L, chroma(a), chroma(b)));
                }
        TColorManager m;
        test::Configure(m, ManagerSetup{csCIELab, csRGB});
        if (encoding.byteRange) m.SourceFlags += coLabByteRange;
        if (encoding.chromaOffset) m.SourceFlags += coLabChromaOffset;
        const auto count = uint32_t(expected.size());
        const Bytes out = test::Convert(m, row, count, count * 3);
        for (size_t p = 0; p < count; ++p)
            for (size_t s = 0; s < 3; ++s)
                ASSERT_LE(std::abs(out[3 * p + s] - expected[p][s]), 1)
                    << "L a b " << int(row[3 * p]) << " " << int(row[3 * p + 1]) << " " << int(row[3 * p + 2]);
    }
}

// 16-bit L*a*b* as TIFF stores it: L 0..65535 for 0..100, a and b signed in 1/256 units.
TEST(RowLab, SixteenBitSourcesAreMeaningful) {
    std::vector<uint16_t> words;
    std::vector<std::array<int, 3>> expected;
    for (int l : test::Grid17())
        for (int a : {-128, -60, 0, 45, 127})
            for (int b : {-100, 0, 90}) {
                const double L = l * 100.0 / 255;
                words.insert(words.end(), {uint16_t(std::lround(L * 655.35)), uint16_t(int16_t(a * 256)),
                                           uint16_t(int16_t(b * 256))});
                expected.push_back(LabReference(L, a, b));
            }
    TColorManager m;
    test::Configure(m, ManagerSetup{csCIELab, csRGB, 16, 8});
    m.SourceFlags = {coLabByteRange};  // the 16-bit encoding has a single range
    const auto count = uint32_t(expected.size());
    const Bytes out = test::Convert(m, test::Words(words), count, count * 3);
    for (size_t p = 0; p < count; ++p)
        for (size_t s = 0; s < 3; ++s) ASSERT_LE(std::abs(out[3 * p + s] - expected[p][s]), 1) << p;

    // Chroma offset encoding: 32768 stands for 0.
    m.SourceFlags = {coLabChromaOffset};
    EXPECT_EQ(test::Convert(m, test::Words({65535, 32768, 32768}), 1, 3), (Bytes{255, 255, 255}));
}

TEST(RowYCbCr, WorkedValues) {
    struct Case {
        Bytes ycbcr;
        Bytes rgb;
    };
    const Case cases[] = {{{128, 128, 128}, {128, 128, 128}},
                          {{255, 128, 255}, {255, 164, 255}},
                          {{0, 128, 0}, {0, 91, 0}},
                          {{76, 85, 255}, {254, 0, 0}}};
    for (const auto& c : cases) {
        TColorManager m;
        test::Configure(m, ManagerSetup{csYCbCr, csRGB});
        const Bytes out = test::Convert(m, c.ycbcr, 1, 3);
        EXPECT_EQ(out[0], c.rgb[0]) << int(c.ycbcr[0]) << "," << int(c.ycbcr[1]) << "," << int(c.ycbcr[2]);
        if (c.ycbcr[0] == 128 || c.ycbcr[0] == 255) {
            EXPECT_EQ(out, c.rgb);
        }
    }
}

// Y + the chroma terms of the weights, each term rounded.
std::array<int, 3> YCbCrReference(int y, int cb, int cr, double kr, double kg, double kb, int cbOffset,
                                  int crOffset) {
    const double c1 = cb - cbOffset, c2 = cr - crOffset;
    const auto r = [](double v) { return int(std::nearbyint(v)); };
    const auto clamp = [](int v) { return std::clamp(v, 0, 255); };
    // The factors are kept in single precision, as the lookups define them.
    const float f1 = float(2 - 2 * kr), f3 = float(2 - 2 * kb);
    const float f2 = float(kr * f1 / kg), f4 = float(kb * f3 / kg);
    return {clamp(y + r(c2 * f1)), clamp(y - r(c1 * f4) - r(c2 * f2)), clamp(y + r(c1 * f3))};
}

TEST(RowYCbCr, GridAgainstReference) {
    struct Case {
        TColorScheme scheme;
        std::array<float, 3> weights;
        int cbOffset, crOffset;
    };
    const Case cases[] = {{csYCbCr, {0.299f, 0.587f, 0.114f}, 128, 128},
                          {csYCbCr, {0.2125f, 0.7154f, 0.0721f}, 128, 128},
                          {csPhotoYCC, {0.2125f, 0.7154f, 0.0721f}, 156, 137}};
    for (const auto& c : cases) {
        Bytes row;
        std::vector<std::array<int, 3>> expected;
        for (int y : test::Grid17())
            for (int cb : test::Grid17())
                for (int cr : test::Grid17()) {
                    row.insert(row.end(), {uint8_t(y), uint8_t(cb), uint8_t(cr)});
                    expected.push_back(YCbCrReference(y, cb, cr, c.weights[0], c.weights[1], c.weights[2],
                                                      c.cbOffset, c.crOffset));
                }
        TColorManager m;
        test::Configure(m, ManagerSetup{c.scheme, csBGRA, 8, 8, 3, 4});
        m.SetYCbCrParameters(c.weights, 2, 2);
        const auto count = uint32_t(expected.size());
        const Bytes out = test::Convert(m, row, count, count * 4);
        for (size_t p = 0; p < count; ++p) {
            ASSERT_EQ(out[4 * p + 2], expected[p][0]) << "red of pixel " << p;
            ASSERT_EQ(out[4 * p + 1], expected[p][1]) << "green of pixel " << p;
            ASSERT_EQ(out[4 * p + 0], expected[p][2]) << "blue of pixel " << p;
            ASSERT_EQ(out[4 * p + 3], 0xEE) << "target alpha is left alone";
        }
    }
}

TEST(RowYCbCr, SixteenBitPaths) {
    TColorManager m;
    test::Configure(m, ManagerSetup{csYCbCr, csRGB, 16, 8});
    // 16 -> 8 reduces each sample to 8 bits first: 128.5 x 257 is 128.
    EXPECT_EQ(test::Convert(m, test::Words({33000, 33000, 33000}), 1, 3), (Bytes{128, 128, 128}));
    m.SetTargetBitsPerSample(16);
    // 16 -> 16: grey stays grey at full precision; saturated values are clamped, not wrapped.
    EXPECT_EQ(test::ToWords(test::Convert(m, test::Words({40000, 32896, 32896}), 1, 6)),
              (std::vector<uint16_t>{40000, 40000, 40000}));
    const auto red = test::ToWords(test::Convert(m, test::Words({65535, 32896, 65535}), 1, 6));
    EXPECT_EQ(red[0], 65535);
    EXPECT_EQ(red[2], 65535 - 0) << "blue: 65535 + 0";
    const auto black = test::ToWords(test::Convert(m, test::Words({0, 0, 0}), 1, 6));
    EXPECT_EQ(black[0], 0);
    EXPECT_EQ(black[2], 0);
    EXPECT_NEAR(black[1], 32896 * (0.71414 + 0.34414), 1.5);
    m.SetTargetBitsPerSample(8);
    m.SetSourceBitsPerSample(8);
    m.SetTargetBitsPerSample(16);
    EXPECT_EQ(test::ToWords(test::Convert(m, {128, 128, 128}, 1, 6)), (std::vector<uint16_t>{32896, 32896, 32896}));
}

// Planar and interleaved sources, and swapped 16-bit sources, give the same rows.
TEST(RowColorSpaces, LayoutsAndByteOrderAgree) {
    struct Case {
        TColorScheme scheme;
        size_t samples;
    };
    std::mt19937 rng(3);
    constexpr uint32_t count = 45;
    for (const Case c : {Case{csCMYK, 4}, {csCIELab, 3}, {csYCbCr, 3}, {csPhotoYCC, 3}}) {
        for (const uint8_t bs : {8, 16}) {
            for (const uint8_t bt : {8, 16}) {
                for (const uint8_t mask : {0xFF, 0x3C}) {
                    const size_t sampleBytes = bs / 8;
                    Bytes interleaved(count * c.samples * sampleBytes);
                    for (auto& b : interleaved) b = uint8_t(rng());
                    std::vector<Bytes> planes(c.samples);
                    for (size_t x = 0; x < count; ++x)
                        for (size_t s = 0; s < c.samples; ++s)
                            for (size_t b = 0; b < sampleBytes; ++b)
                                planes[s].push_back(interleaved[(x * c.samples + s) * sampleBytes + b]);
                    TColorManager m;
                    test::Configure(m, ManagerSetup{c.scheme, csRGB, bs, bt, uint8_t(c.samples), 3});
                    const size_t targetBytes = count * 3 * (bt / 8);
                    const Bytes one = test::Convert(m, interleaved, count, targetBytes, mask);
                    Bytes other(targetBytes, 0xEE);
                    std::vector<const void*> pointers;
                    for (auto& p : planes) pointers.push_back(p.data());
                    m.ConvertRow(pointers, other.data(), count, mask);
                    EXPECT_EQ(one, other) << "planar, scheme " << int(c.scheme) << " " << int(bs) << "->" << int(bt);
                    if (bs == 16) {
                        m.SourceFlags += coNeedByteSwap;
                        EXPECT_EQ(test::Convert(m, test::SwapPairs(interleaved), count, targetBytes, mask), one)
                            << "swapped, scheme " << int(c.scheme) << " " << int(bs) << "->" << int(bt);
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace vermaline
