// Packed indices and grey levels of 1 to 16 bits, and grey with alpha.
#include <random>

#include <gtest/gtest.h>

#include "color_test_util.h"

namespace vermaline {
namespace {

using enum TColorScheme;
using enum TConvertOption;
using test::Bytes;
using test::ManagerSetup;

ManagerSetup Indexed(uint8_t bs, uint8_t bt, TColorScheme scheme = csIndexed) {
    return ManagerSetup{scheme, scheme == csGA ? csIndexed : scheme, bs, bt, 1, 1};
}

TEST(RowIndexed, WorkedCases) {
    struct Case {
        const char* name;
        uint8_t bs, bt;
        uint32_t count;
        uint8_t mask;
        Bytes source;
        Bytes before;
        Bytes expected;
    };
    const Case cases[] = {
        {"1 -> 8: bits 1, 0 give 255, 0", 1, 8, 2, 0xFF, {0x80}, {7, 7}, {255, 0}},
        {"4 -> 8: index 5 becomes 85", 4, 8, 3, 0xFF, {0x5F, 0x10}, {7, 7, 7, 7}, {85, 255, 17, 7}},
        {"4 -> 4 masked keeps unselected nibbles", 4, 4, 4, 0xA0, {0x12}, {0xAB, 0xCD}, {0x1B, 0x2D}},
        {"4 -> 4 copy", 4, 4, 3, 0xFF, {0x12, 0x34}, {0, 0}, {0x12, 0x34}},
        {"2 -> 4: PNG depth 2 in a 4-bit bitmap", 2, 4, 4, 0xFF, {0x1B}, {0, 0}, {0x05, 0xAF}},
        {"8 -> 1: only 255 stays set", 8, 1, 8, 0xFF, {255, 254, 0, 255, 255, 1, 0, 255}, {0}, {0x99}},
        {"1 -> 1 masked", 1, 1, 8, 0x0F, {0xA0}, {0xF0}, {0xFA}},
        {"8 -> 4 masked", 8, 4, 3, 0x40, {255}, {0x00, 0x00}, {0x0F, 0x00}},
        {"12-bit grey -> 8", 12, 8, 2, 0xFF, {0xFF, 0xF8, 0x00}, {0, 0}, {255, 127}},
        {"3 -> 8: continuous bit stream", 3, 8, 3, 0xFF, {0b11101000, 0b10000000}, {0, 0, 0}, {255, 72, 36}},
        {"16 -> 8 source16", 16, 8, 2, 0xFF, test::Words({0xFFFF, 0x8080}), {0, 0}, {255, 128}},
        {"16 -> 4 source16 masked", 16, 4, 2, 0x40, test::Words({0x1111}), {0xAA}, {0xA1}},
        {"4 -> 16 target16", 4, 16, 3, 0xFF, {0xF1, 0x00}, Bytes(6, 0), test::Words({0xFFFF, 0x1111, 0})},
        {"4 -> 16 target16 masked", 4, 16, 2, 0x40, {0xF0}, Bytes(4, 9), {9, 9, 0xFF, 0xFF}},
        {"16 -> 16 copy", 16, 16, 2, 0xFF, test::Words({0x1234, 0x5678}), Bytes(4, 0),
         test::Words({0x1234, 0x5678})},
        {"16 -> 16 masked", 16, 16, 2, 0x40, test::Words({0x1234}), Bytes(4, 0), test::Words({0, 0x1234})},
    };
    for (const auto& c : cases) {
        for (const TColorScheme scheme : {csIndexed, csG}) {
            if (scheme == csG && (c.bs == 16) != (c.bt == 16) && (c.bs < 8 || c.bt < 8)) continue;  // no converter
            TColorManager m;
            test::Configure(m, Indexed(c.bs, c.bt, scheme));
            Bytes target = c.before;
            m.ConvertRow({c.source.data()}, target.data(), c.count, c.mask);
            EXPECT_EQ(target, c.expected) << c.name << (scheme == csG ? " (grey)" : "");
        }
    }
}

TEST(RowIndexed, SwapOptionMatchesSwappedBytes) {
    std::mt19937 rng(5);
    Bytes little(2 * 41);
    for (auto& b : little) b = uint8_t(rng());
    for (const auto& setup : {Indexed(16, 16), Indexed(16, 8), Indexed(16, 1), Indexed(16, 8, csG),
                              Indexed(16, 16, csG), ManagerSetup{csGA, csIndexed, 16, 8, 1, 1}}) {
        for (const uint8_t mask : {0xFF, 0x6D}) {
            TColorManager m;
            test::Configure(m, setup);
            const uint32_t count = setup.source == csGA ? 20 : 41;
            const Bytes plain = test::Convert(m, little, count, 2 * 41, mask);
            m.SourceFlags += coNeedByteSwap;  // coAlpha stays, as set by the first row
            EXPECT_EQ(test::Convert(m, test::SwapPairs(little), count, 2 * 41, mask), plain)
                << int(setup.source) << " " << int(setup.targetBits);
        }
    }
}

// The copy, table and bit-field paths give one result.
TEST(RowIndexed, FastPathsAgreeWithFieldPath) {
    std::mt19937 rng(9);
    Bytes source(64);
    for (auto& b : source) b = uint8_t(rng());
    for (const uint8_t bs : {1, 2, 4, 8}) {
        for (const uint8_t bt : {1, 2, 4, 8}) {
            TColorManager m;
            test::Configure(m, Indexed(bs, bt));
            const uint32_t count = 61;
            const size_t bytes = (count * bt + 7) / 8;
            const Bytes fast = test::Convert(m, source, count, bytes, 0xFF, 0);
            // Mask 0xFF is also what two complementary masked passes over the same row write
            // when each pass reads its own pixels: emulate it pixel by pixel instead.
            Bytes slow(bytes, 0);
            for (uint32_t x = 0; x < count; ++x) {
                uint32_t v = 0;
                for (unsigned b = 0; b < bs; ++b) {
                    const uint64_t bit = uint64_t(x) * bs + b;
                    v = (v << 1) | ((source[bit / 8] >> (7 - bit % 8)) & 1);
                }
                const uint32_t w = v * ((1u << bt) - 1) / ((1u << bs) - 1);
                for (unsigned b = 0; b < bt; ++b) {
                    const uint64_t bit = uint64_t(x) * bt + b;
                    if ((w >> (bt - 1 - b)) & 1) slow[bit / 8] |= uint8_t(0x80 >> (bit % 8));
                }
            }
            if (bs == bt) slow = Bytes(source.begin(), source.begin() + bytes);  // whole bytes copied
            EXPECT_EQ(fast, slow) << int(bs) << "->" << int(bt);
        }
    }
}

TEST(RowGray, WidthsAndAlphaSkipped) {
    struct Case {
        TColorScheme scheme;
        uint8_t bs, bt;
        uint32_t count;
        Bytes source;
        Bytes expected;
    };
    const Case cases[] = {
        {csG, 16, 8, 2, test::Words({0xFFFF, 0x7FFF}), {255, 127}},
        {csG, 8, 16, 2, {1, 255}, test::Words({257, 65535})},
        {csG, 16, 16, 1, test::Words({0x1234}), test::Words({0x1234})},
        {csGA, 8, 8, 3, {10, 1, 20, 2, 30, 3}, {10, 20, 30}},
        {csGA, 16, 8, 2, test::Words({0x8080, 0xFFFF, 0x0101, 0}), {128, 1}},
        {csGA, 8, 16, 1, {2, 99}, test::Words({514})},
    };
    for (const auto& c : cases) {
        TColorManager m;
        test::Configure(m, ManagerSetup{c.scheme, c.scheme == csGA ? csIndexed : csG, c.bs, c.bt, 1, 1});
        m.TargetFlags = {coApplyGamma};  // grey rows never go through the gamma table
        EXPECT_EQ(test::Convert(m, c.source, c.count, c.expected.size()), c.expected) << int(c.scheme);
    }
}

} // namespace
} // namespace vermaline
