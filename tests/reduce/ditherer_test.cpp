#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "reduce/burkes_ditherer.h"
#include "reduce/dither_engine.h"
#include "reduce/five_by_three_ditherers.h"
#include "reduce/floyd_steinberg_ditherer.h"
#include "reduce/monochrome_lookup.h"
#include "reduce/steve_arche_ditherer.h"

namespace vermaline {
namespace {

using Factory = std::function<std::unique_ptr<TDitherEngine>(int32_t, TColorLookup&)>;

template <typename T>
Factory Make() {
    return [](int32_t width, TColorLookup& lookup) { return std::make_unique<T>(width, lookup); };
}

// Runs the row protocol over a uniform grey image; returns the indices, rows top first,
// pixels left to right.
std::vector<std::vector<int>> DitherGrey(const Factory& make, TColorLookup& lookup, int width, int height,
                                         uint8_t grey) {
    auto ditherer = make(width, lookup);
    std::vector<std::vector<int>> rows(height, std::vector<int>(width, -1));
    uint8_t r, g, b;
    for (int y = 0; y < height; ++y) {
        for (int x = ditherer->CurrentColumn(); x >= 0 && x < width; x = ditherer->CurrentColumn())
            rows[y][x] = ditherer->DitherPixel(grey, grey, grey, r, g, b);
        ditherer->EndRow();
    }
    return rows;
}

// Reports a fixed colour for every request and records what it was asked.
class RecordingLookup : public TColorLookup {
public:
    explicit RecordingLookup(uint8_t reported) : TColorLookup(1), reported_(reported) {}
    uint8_t MapColor(uint8_t red, uint8_t, uint8_t, uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue) override {
        asked.push_back(red);
        outRed = outGreen = outBlue = reported_;
        return uint8_t(asked.size() - 1);
    }
    std::vector<int> asked;

private:
    uint8_t reported_;
};

TEST(DitherEngine, SerpentineColumnOrder) {
    RecordingLookup lookup(0);
    TDitherEngine engine(3, lookup);
    std::vector<int> columns;
    uint8_t r, g, b;
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(engine.Step(), y == 0 ? 1 : -1);
        while (engine.CurrentColumn() >= 0 && engine.CurrentColumn() < 3) {
            columns.push_back(engine.CurrentColumn());
            engine.DitherPixel(0, 0, 0, r, g, b);
        }
        engine.EndRow();
    }
    EXPECT_EQ(columns, (std::vector<int>{0, 1, 2, 2, 1, 0}));
    EXPECT_EQ(engine.CurrentColumn(), 0);
    engine.AdvanceColumn();
    EXPECT_EQ(engine.CurrentColumn(), 1);
    EXPECT_EQ(lookup.asked.size(), 6u);
}

TEST(Ditherers, FourByThreeGreyOneHundredInBlackAndWhite) {
    struct Case {
        const char* name;
        Factory make;
        std::vector<std::vector<int>> expected;
    };
    const Case cases[] = {
        {"Floyd-Steinberg", Make<TFloydSteinbergDitherer>(), {{0, 1, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 1}}},
        {"Burkes", Make<TBurkesDitherer>(), {{0, 0, 1, 0}, {1, 0, 1, 0}, {0, 1, 0, 0}}},
        {"Stucki", Make<TStuckiDitherer>(), {{0, 0, 1, 0}, {0, 1, 0, 0}, {1, 0, 1, 0}}},
        {"nearest", Make<TDitherEngine>(), {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        TMonochromeLookup lookup;
        EXPECT_EQ(DitherGrey(c.make, lookup, 4, 3, 100), c.expected) << c.name;
    }
}

TEST(Ditherers, GreyAboveTheThresholdIsMixedOnlyByDiffusion) {
    const std::pair<const char*, Factory> diffusing[] = {
        {"Floyd-Steinberg", Make<TFloydSteinbergDitherer>()}, {"Burkes", Make<TBurkesDitherer>()},
        {"Stucki", Make<TStuckiDitherer>()},                   {"Sierra", Make<TSierraDitherer>()},
        {"JaJuNi", Make<TJaJuNiDitherer>()},                   {"Stevenson-Arce", Make<TSteveArcheDitherer>()},
    };
    for (const auto& [name, make] : diffusing) {
        TMonochromeLookup lookup;
        int ones = 0;
        const auto rows = DitherGrey(make, lookup, 16, 16, 128);
        for (const auto& row : rows)
            for (int i : row) ones += i;
        // 128 of 255 is about half white.
        EXPECT_GT(ones, 16 * 16 * 40 / 100) << name;
        EXPECT_LT(ones, 16 * 16 * 60 / 100) << name;
    }
    TMonochromeLookup lookup;
    for (const auto& row : DitherGrey(Make<TDitherEngine>(), lookup, 5, 2, 128))
        EXPECT_EQ(row, std::vector<int>(5, 1));
}

// The second pixel of a row reads what the first diffused ahead, divided with truncation
// toward zero (a floor would give one less).
TEST(Ditherers, NegativeErrorsDivideTowardZero) {
    struct Case {
        const char* name;
        Factory make;
        uint8_t reported;  // error of the first pixel is 0 - reported
        int secondAsked;   // the second pixel's source is 10
    };
    const Case cases[] = {
        // Floyd-Steinberg carries 7e: (-21 + 8) div 16 = 0, (-35 + 8) div 16 = -1.
        {"Floyd-Steinberg e=-3", Make<TFloydSteinbergDitherer>(), 3, 10},
        {"Floyd-Steinberg e=-5", Make<TFloydSteinbergDitherer>(), 5, 9},
        // Burkes adds 8e ahead: (-40 + 16) div 32 = 0, (-56 + 16) div 32 = -1.
        {"Burkes e=-5", Make<TBurkesDitherer>(), 5, 10},
        {"Burkes e=-7", Make<TBurkesDitherer>(), 7, 9},
        // Stucki 8e: (-40 + 21) div 42 = 0, (-64 + 21) div 42 = -1.
        {"Stucki e=-5", Make<TStuckiDitherer>(), 5, 10},
        {"Stucki e=-8", Make<TStuckiDitherer>(), 8, 9},
        // Sierra 5e: (-30 + 16) div 32 = 0, (-50 + 16) div 32 = -1.
        {"Sierra e=-6", Make<TSierraDitherer>(), 6, 10},
        {"Sierra e=-10", Make<TSierraDitherer>(), 10, 9},
        // JaJuNi 7e: (-42 + 24) div 48 = 0, (-56 + 24) div 48 = 0, (-77 + 24) div 48 = -1.
        {"JaJuNi e=-8", Make<TJaJuNiDitherer>(), 8, 10},
        {"JaJuNi e=-11", Make<TJaJuNiDitherer>(), 11, 9},
    };
    for (const Case& c : cases) {
        RecordingLookup lookup(c.reported);
        auto ditherer = c.make(3, lookup);
        uint8_t r, g, b;
        ditherer->DitherPixel(0, 0, 0, r, g, b);
        ditherer->DitherPixel(10, 10, 10, r, g, b);
        ASSERT_EQ(lookup.asked.size(), 2u);
        EXPECT_EQ(lookup.asked[0], 0) << c.name;
        EXPECT_EQ(lookup.asked[1], c.secondAsked) << c.name;
    }
    // Stevenson-Arce sends nothing to the next column, 32e two columns ahead:
    // (-160 + 100) div 200 = 0, (-320 + 100) div 200 = -1.
    for (const auto& [reported, third] : {std::pair{5, 10}, std::pair{10, 9}}) {
        RecordingLookup lookup{uint8_t(reported)};
        TSteveArcheDitherer ditherer(3, lookup);
        uint8_t r, g, b;
        ditherer.DitherPixel(0, 0, 0, r, g, b);
        ditherer.DitherPixel(uint8_t(reported), 0, 0, r, g, b);  // no error of its own
        ditherer.DitherPixel(10, 0, 0, r, g, b);
        EXPECT_EQ(lookup.asked[1], reported);
        EXPECT_EQ(lookup.asked[2], third) << reported;
    }
}

TEST(Ditherers, ValuesAreClampedBeforeTheLookup) {
    // Each pixel is reported as 0 while its source is 255: the errors pile up ahead but the
    // lookup never sees more than 255.
    for (const Factory& make : {Make<TFloydSteinbergDitherer>(), Make<TBurkesDitherer>(), Make<TStuckiDitherer>(),
                                Make<TSteveArcheDitherer>()}) {
        RecordingLookup lookup(0);
        auto ditherer = make(6, lookup);
        uint8_t r, g, b;
        for (int row = 0; row < 3; ++row) {
            while (ditherer->CurrentColumn() >= 0 && ditherer->CurrentColumn() < 6)
                ditherer->DitherPixel(255, 255, 255, r, g, b);
            ditherer->EndRow();
        }
        for (int asked : lookup.asked) EXPECT_EQ(asked, 255);
    }
}

TEST(FloydSteinberg, AnExactMatchKeepsThePendingErrorsAndDropsTheCarry) {
    RecordingLookup lookup(16);
    TFloydSteinbergDitherer ditherer(3, lookup);
    uint8_t r, g, b;
    const auto row = [&](std::initializer_list<uint8_t> sources) {
        for (uint8_t x : sources) ditherer.DitherPixel(x, x, x, r, g, b);
        ditherer.EndRow();
    };
    // Column 0: e = -16, carry -112, pending 5e = -80. Column 1: 22 + (-104 div 16 = -6) is
    // exactly 16, so the carry goes and the pending sums stay; column 2 is exact as well. The
    // row ends by storing the pending -80.
    row({0, 22, 16});
    // Right to left: column 2 reads nothing; column 1 reads the -80 ((-80 + 8) div 16 = -4)
    // and misses by -4, whose carry -28 reaches column 0 ((-28 + 8) div 16 = -1).
    row({16, 16, 16});
    EXPECT_EQ(lookup.asked, (std::vector<int>{0, 16, 16, 16, 12, 15}));
}

TEST(Ditherers, SinglePixelRowsAndColumnsStayInsideTheirRows) {
    const Factory all[] = {Make<TDitherEngine>(),   Make<TFloydSteinbergDitherer>(), Make<TStuckiDitherer>(),
                           Make<TSierraDitherer>(), Make<TJaJuNiDitherer>(),         Make<TSteveArcheDitherer>(),
                           Make<TBurkesDitherer>()};
    for (const Factory& make : all) {
        TMonochromeLookup lookup;
        const auto column = DitherGrey(make, lookup, 1, 9, 100);
        const auto row = DitherGrey(make, lookup, 9, 1, 100);
        for (const auto& r : column) EXPECT_TRUE(r[0] == 0 || r[0] == 1);
        for (int i : row[0]) EXPECT_TRUE(i == 0 || i == 1);
    }
}

} // namespace
} // namespace vermaline
