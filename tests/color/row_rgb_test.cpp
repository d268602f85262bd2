// RGB family: order, widths, gamma, byte swapping, alpha, planar sources and the pixel mask.
#include <random>

#include <gtest/gtest.h>

#include "color_test_util.h"

namespace vermaline {
namespace {

using enum TColorScheme;
using enum TConvertOption;
using test::Bytes;
using test::ManagerSetup;

TEST(RowRGB, OrderOfEveryMember) {
    struct Case {
        TColorScheme source, target;
        Bytes expected;
    };
    const Case cases[] = {{csRGB, csBGR, {30, 20, 10}},
                          {csRGB, csRGB, {10, 20, 30}},
                          {csBGR, csRGB, {30, 20, 10}},
                          {csBGR, csBGR, {10, 20, 30}}};
    for (const auto& c : cases) {
        TColorManager m;
        test::Configure(m, ManagerSetup{c.source, c.target});
        EXPECT_EQ(test::Convert(m, {10, 20, 30}, 1, 3), c.expected);
    }
}

TEST(RowRGB, SixteenBitWidths) {
    struct Case {
        uint8_t bs, bt;
        bool swap;
        Bytes source;
        Bytes expected;
    };
    const Case cases[] = {
        // 16 -> 8: 0xFFFF gives 255; the word 0x0080 read with swap is 0x8000, giving 127.
        {16, 8, true, test::Words({0xFFFF, 0x0080, 0x0000}), {0, 127, 255}},
        {16, 8, false, test::Words({0x8000, 0x0101, 0x00FF}), {0, 1, 127}},
        // 16 -> 16: copied, or swapped.
        {16, 16, false, test::Words({0x1234, 0xABCD, 0x0001}), test::Words({0x0001, 0xABCD, 0x1234})},
        {16, 16, true, test::Words({0x1234, 0xABCD, 0x0001}), test::Words({0x0100, 0xCDAB, 0x3412})},
        // 8 -> 16: times 257 (both bytes equal, so the swap option changes nothing).
        {8, 16, false, {1, 128, 255}, test::Words({0xFFFF, 0x8080, 0x0101})},
        {8, 16, true, {1, 128, 254}, test::Words({0xFEFE, 0x8080, 0x0101}, true)},
    };
    for (const auto& c : cases) {
        TColorManager m;
        test::Configure(m, ManagerSetup{csRGB, csBGR, c.bs, c.bt});
        if (c.swap) m.SourceFlags = {coNeedByteSwap};
        EXPECT_EQ(test::Convert(m, c.source, 1, c.expected.size()), c.expected) << int(c.bs) << "->" << int(c.bt);
    }
}

TEST(RowRGB, GammaOnEightBitResults) {
    for (const auto& [bs, bt] : {std::pair<uint8_t, uint8_t>{8, 8}, {16, 8}, {8, 16}}) {
        TColorManager m;
        test::Configure(m, ManagerSetup{csRGB, csRGB, bs, bt});
        m.TargetFlags = {coApplyGamma};
        const auto& g = m.GammaTable();
        const Bytes source = bs == 8 ? Bytes{0, 40, 200} : test::Words({0, 40 * 257, 200 * 257 + 256});
        const Bytes expected = bt == 8 ? Bytes{g[0], g[40], g[200]}
                                       : test::Words({uint16_t(g[0] * 257), uint16_t(g[40] * 257), uint16_t(g[200] * 257)});
        EXPECT_EQ(test::Convert(m, source, 1, expected.size()), expected) << int(bs) << "->" << int(bt);
    }
    // 16 -> 16 has no gamma.
    TColorManager m;
    test::Configure(m, ManagerSetup{csRGB, csRGB, 16, 16});
    m.TargetFlags = {coApplyGamma};
    const Bytes words = test::Words({100, 30000, 65535});
    EXPECT_EQ(test::Convert(m, words, 1, 6), words);
}

TEST(RowRGB, AlphaCopiedDroppedOrLeftAlone) {
    struct Case {
        TColorScheme source, target;
        uint8_t bs, bt;
        bool gamma;
        Bytes row;
        Bytes expected;
    };
    const Case cases[] = {
        {csRGBA, csBGRA, 8, 8, false, {1, 2, 3, 4, 5, 6, 7, 8}, {3, 2, 1, 4, 7, 6, 5, 8}},
        {csRGBA, csBGR, 8, 8, false, {1, 2, 3, 4, 5, 6, 7, 8}, {3, 2, 1, 7, 6, 5}},
        {csRGB, csBGRA, 8, 8, false, {1, 2, 3, 5, 6, 7}, {3, 2, 1, 0xEE, 7, 6, 5, 0xEE}},
        {csBGRA, csBGRA, 8, 16, false, {1, 2, 3, 4, 5, 6, 7, 8},
         test::Words({257, 514, 771, 1028, 1285, 1542, 1799, 2056})},
        // 16 -> 8 alpha: scaled, never through gamma (the identity gamma here would not show it).
        {csRGBA, csRGBA, 16, 8, true, test::Words({0, 0, 0, 0x8000, 0, 0, 0, 0xFFFF}), {0, 0, 0, 127, 0, 0, 0, 255}},
    };
    for (const auto& c : cases) {
        TColorManager m;
        test::Configure(m, ManagerSetup{c.source, c.target, c.bs, c.bt});
        if (c.gamma) {
            m.SetGamma(1.0f, 0.5f);  // squares: 127 would become 63 through the table
            m.TargetFlags = {coApplyGamma};
        }
        EXPECT_EQ(test::Convert(m, c.row, 2, c.expected.size()), c.expected);
    }
}

TEST(RowRGB, MaskFillsSelectedPositionsInOrder) {
    TColorManager m;
    test::Configure(m, ManagerSetup{csRGB, csRGB});
    Bytes source;
    for (uint8_t p = 1; p <= 8; ++p) source.insert(source.end(), {p, uint8_t(p * 10), uint8_t(p * 20)});
    const Bytes out = test::Convert(m, source, 8, 24, 0xAA, 0xEE);
    for (int x = 0; x < 8; ++x) {
        const Bytes pixel(out.begin() + 3 * x, out.begin() + 3 * x + 3);
        if (x % 2 == 0) {
            const auto p = uint8_t(x / 2 + 1);  // positions 0, 2, 4, 6 take source pixels 1, 2, 3, 4
            EXPECT_EQ(pixel, (Bytes{p, uint8_t(p * 10), uint8_t(p * 20)})) << x;
        } else {
            EXPECT_EQ(pixel, (Bytes{0xEE, 0xEE, 0xEE})) << x;
        }
    }
    // The selecting bit rotates every 8 positions; mask 0 writes nothing.
    const Bytes ten = test::Convert(m, source, 10, 30, 0x80);
    EXPECT_EQ(Bytes(ten.begin(), ten.begin() + 3), (Bytes{1, 10, 20}));
    EXPECT_EQ(Bytes(ten.begin() + 24, ten.begin() + 27), (Bytes{2, 20, 40}));
    EXPECT_EQ(test::Convert(m, source, 8, 24, 0x00), Bytes(24, 0xEE));
}

// Random rows for the layout comparisons.
Bytes RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& v : b) v = uint8_t(rng());
    return b;
}

TEST(RowRGB, PlanarAndInterleavedAgree) {
    constexpr uint32_t count = 37;
    for (const uint8_t bs : {8, 16}) {
        for (const uint8_t bt : {8, 16}) {
            for (const TColorScheme scheme : {csRGB, csRGBA}) {
                for (const uint8_t mask : {0xFF, 0x5B}) {
                    const size_t samples = scheme == csRGBA ? 4 : 3;
                    const size_t sampleBytes = bs / 8;
                    const Bytes interleaved = RandomBytes(count * samples * sampleBytes, bs * 7 + bt);
                    std::vector<Bytes> planes(samples);
                    for (size_t x = 0; x < count; ++x)
                        for (size_t s = 0; s < samples; ++s)
                            for (size_t b = 0; b < sampleBytes; ++b)
                                planes[s].push_back(interleaved[(x * samples + s) * sampleBytes + b]);
                    TColorManager m;
                    test::Configure(m, ManagerSetup{scheme, csBGRA, bs, bt});
                    m.SourceFlags = {coNeedByteSwap};
                    m.TargetFlags = {coApplyGamma};
                    const size_t targetBytes = count * 4 * (bt / 8);
                    const Bytes one = test::Convert(m, interleaved, count, targetBytes, mask);
                    Bytes other(targetBytes, 0xEE);
                    std::vector<const void*> pointers;
                    for (auto& p : planes) pointers.push_back(p.data());
                    m.ConvertRow(pointers, other.data(), count, mask);
                    EXPECT_EQ(one, other) << int(bs) << "->" << int(bt) << " scheme " << int(scheme);
                }
            }
        }
    }
}

TEST(RowRGB, SwapOptionMatchesSwappedBytes) {
    constexpr uint32_t count = 29;
    for (const uint8_t bt : {8, 16}) {
        const Bytes little = RandomBytes(count * 8, bt);
        TColorManager m;
        test::Configure(m, ManagerSetup{csRGBA, csBGRA, 16, bt});
        m.TargetFlags = {coApplyGamma};
        const size_t targetBytes = count * 4 * (bt / 8);
        const Bytes plain = test::Convert(m, little, count, targetBytes);
        m.SourceFlags += coNeedByteSwap;  // coAlpha stays, as set by the first row
        EXPECT_EQ(test::Convert(m, test::SwapPairs(little), count, targetBytes), plain) << int(bt);
    }
}

TEST(RowRGB, OtherWidthsWriteNothing) {
    for (const auto& [bs, bt] : {std::pair<uint8_t, uint8_t>{5, 8}, {8, 4}, {12, 12}}) {
        TColorManager m;
        test::Configure(m, ManagerSetup{csRGB, csBGR, bs, bt});
        EXPECT_EQ(test::Convert(m, Bytes(16, 1), 2, 12), Bytes(12, 0xEE));
    }
    // Too few planes for a planar source: nothing is read or written.
    TColorManager m;
    const Bytes a(4, 1), b(4, 2);
    Bytes out(6, 0xEE);
    m.ConvertRow({a.data(), b.data()}, out.data(), 2, 0xFF);
    EXPECT_EQ(out, Bytes(6, 0xEE));
}

} // namespace
} // namespace vermaline
