// Settings, checks and messages of the colour manager, the choice of row converter and the
// derived tables (gamma, YCbCr lookups, pixel formats).
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "color_test_util.h"

namespace vermaline {
namespace {

using enum TColorScheme;
using test::ManagerSetup;
namespace msg = color_messages;

template <class F>
std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const EColorConversionError& e) {
        return e.what();
    }
    return "(no exception)";
}

TEST(ColorManager, NewManagerConvertsRGBToBGRChosenAtFirstRow) {
    TColorManager m;
    EXPECT_TRUE(m.NeedsPreparation());
    EXPECT_EQ(m.RowConverter(), nullptr);
    const uint8_t source[] = {10, 20, 30};
    uint8_t target[3] = {};
    m.ConvertRow({source}, target, 1, 0xFF);
    EXPECT_EQ(m.RowConverter(), &TColorManager::RowConvertRGB2BGR);
    EXPECT_FALSE(m.NeedsPreparation());
    EXPECT_EQ(target[0], 30);
    EXPECT_EQ(target[1], 20);
    EXPECT_EQ(target[2], 10);
}

TEST(ColorManager, ExceptionDerivesFromPlatformException) {
    TColorManager m;
    EXPECT_THROW(m.Error("x"), Exception);
    EXPECT_EQ(MessageOf([&] { m.Error("un texte"); }), "un texte");
}

TEST(ColorManager, BitsPerSampleSettersAcceptOneToSixteen) {
    for (const bool source : {true, false}) {
        TColorManager m;
        const auto set = [&](uint8_t v) { source ? m.SetSourceBitsPerSample(v) : m.SetTargetBitsPerSample(v); };
        const auto get = [&] { return source ? m.SourceBitsPerSample() : m.TargetBitsPerSample(); };
        for (const uint8_t bad : {0, 17, 255}) {
            EXPECT_EQ(MessageOf([&] { set(bad); }), msg::kInvalidBitsPerSample);
            EXPECT_EQ(get(), 8) << "a refused value leaves the old one";
        }
        m.PrepareConversion();
        for (int v = 1; v <= 16; ++v) {
            set(uint8_t(v));
            EXPECT_EQ(get(), v);
        }
        EXPECT_TRUE(m.NeedsPreparation());
        m.PrepareConversion();
        set(16);
        EXPECT_FALSE(m.NeedsPreparation()) << "an unchanged value does not mark the manager";
    }
}

TEST(ColorManager, SamplesPerPixelSettersAcceptOneThreeFour) {
    for (const bool source : {true, false}) {
        TColorManager m;
        const auto set = [&](uint8_t v) { source ? m.SetSourceSamplesPerPixel(v) : m.SetTargetSamplesPerPixel(v); };
        const auto get = [&] { return source ? m.SourceSamplesPerPixel() : m.TargetSamplesPerPixel(); };
        for (const uint8_t bad : {0, 2, 5, 8}) {
            EXPECT_EQ(MessageOf([&] { set(bad); }), msg::kInvalidSamplesPerPixel);
            EXPECT_EQ(get(), 3);
        }
        for (const uint8_t good : {1, 3, 4}) {
            set(good);
            EXPECT_EQ(get(), good);
        }
    }
}

TEST(ColorManager, SchemeChangeMarksForPreparation) {
    TColorManager m;
    m.PrepareConversion();
    m.SetSourceColorScheme(csRGB);
    EXPECT_FALSE(m.NeedsPreparation());
    m.SetTargetColorScheme(csRGB);
    EXPECT_TRUE(m.NeedsPreparation());
    m.PrepareConversion();
    m.SetGamma(1.5f, 2.2f);
    m.SetYCbCrParameters(std::vector<float>{0.3f}, 2, 1);
    EXPECT_FALSE(m.NeedsPreparation()) << "gamma, weights and subsampling do not mark the manager";
}

TEST(ColorManager, GreyToColourIsRefusedEveryRow) {
    TColorManager m;
    test::Configure(m, ManagerSetup{csG, csBGR, 8, 8, 1, 3});
    const uint8_t row[4] = {};
    uint8_t out[12] = {};
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(MessageOf([&] { m.ConvertRow({row}, out, 4, 0xFF); }), msg::kIndexedMismatch);
        EXPECT_TRUE(m.NeedsPreparation());
        EXPECT_EQ(m.RowConverter(), nullptr);
    }
    test::Configure(m, ManagerSetup{csRGB, csIndexed, 8, 8, 3, 1});
    EXPECT_EQ(MessageOf([&] { m.PrepareConversion(); }), msg::kIndexedMismatch);
}

TEST(ColorManager, MissingConverterIsReported) {
    for (const auto& [source, target] : {std::pair{csCMY, csBGR}, {csUnknown, csBGR}, {csCMYK, csCMYK},
                                         {csRGB, csYCbCr}}) {
        TColorManager m;
        test::Configure(m, ManagerSetup{source, target});
        const uint8_t row[4] = {};
        uint8_t out[4] = {};
        EXPECT_EQ(MessageOf([&] { m.ConvertRow({row}, out, 1, 0xFF); }), msg::kNoConverter);
    }
}

struct ChoiceCase {
    TColorScheme source;
    TColorScheme target;
    uint8_t bs;
    uint8_t bt;
    TConversionMethod expected;
};

TEST(ColorManager, PrepareConversionChoosesByTable) {
    using M = TColorManager;
    const ChoiceCase cases[] = {
        {csIndexed, csIndexed, 16, 16, &M::RowConvertIndexedBoth16},
        {csIndexed, csIndexed, 16, 8, &M::RowConvertIndexedSource16},
        {csIndexed, csIndexed, 4, 16, &M::RowConvertIndexedTarget16},
        {csIndexed, csIndexed, 4, 8, &M::RowConvertIndexed8},
        {csIndexed, csG, 1, 1, &M::RowConvertIndexed8},
        {csG, csG, 2, 4, &M::RowConvertIndexed8},
        {csG, csIndexed, 12, 8, &M::RowConvertIndexed8},
        {csG, csG, 16, 8, &M::RowConvertGray},
        {csG, csG, 8, 16, &M::RowConvertGray},
        {csG, csG, 16, 4, nullptr},
        {csG, csG, 4, 16, nullptr},
        {csGA, csIndexed, 8, 8, &M::RowConvertGray},
        {csGA, csIndexed, 16, 8, &M::RowConvertGray},
        {csGA, csIndexed, 4, 8, nullptr},
        {csRGB, csRGB, 8, 8, &M::RowConvertRGB2RGB},
        {csRGBA, csRGBA, 8, 8, &M::RowConvertRGB2RGB},
        {csRGB, csBGR, 8, 8, &M::RowConvertRGB2BGR},
        {csRGBA, csBGRA, 16, 8, &M::RowConvertRGB2BGR},
        {csBGR, csRGBA, 8, 8, &M::RowConvertBGR2RGB},
        {csBGRA, csBGR, 8, 8, &M::RowConvertBGR2BGR},
        {csCMY, csBGR, 8, 8, nullptr},
        {csCMYK, csRGB, 8, 8, &M::RowConvertCMYK2RGB},
        {csCMYK, csBGRA, 8, 8, &M::RowConvertCMYK2BGR},
        {csCIELab, csRGBA, 8, 8, &M::RowConvertCIELAB2RGB},
        {csCIELab, csBGR, 8, 8, &M::RowConvertCIELAB2BGR},
        {csYCbCr, csRGB, 8, 8, &M::RowConvertYCbCr2RGB},
        {csYCbCr, csBGR, 8, 8, &M::RowConvertYCbCr2BGR},
        {csPhotoYCC, csRGB, 8, 8, &M::RowConvertPhotoYCC2RGB},
        {csPhotoYCC, csBGRA, 8, 8, &M::RowConvertPhotoYCC2BGR},
        {csRGB, csCMYK, 8, 8, nullptr},
        {csUnknown, csRGB, 8, 8, nullptr},
    };
    for (const auto& c : cases) {
        TColorManager m;
        test::Configure(m, ManagerSetup{c.source, c.target, c.bs, c.bt});
        m.PrepareConversion();
        EXPECT_EQ(m.RowConverter(), c.expected) << int(c.source) << " -> " << int(c.target) << " " << int(c.bs)
                                                << "/" << int(c.bt);
        EXPECT_FALSE(m.NeedsPreparation());
    }
}

TEST(ColorManager, PrepareConversionMaintainsAlphaOption) {
    TColorManager m;
    test::Configure(m, ManagerSetup{csRGBA, csBGR});
    m.TargetFlags = {TConvertOption::coAlpha, TConvertOption::coApplyGamma};
    m.PrepareConversion();
    EXPECT_TRUE(m.SourceFlags.Contains(TConvertOption::coAlpha));
    EXPECT_EQ(m.TargetFlags, TConvertOptions{TConvertOption::coApplyGamma});
    m.SetSourceColorScheme(csGA);
    m.SetTargetColorScheme(csG);
    m.PrepareConversion();
    EXPECT_TRUE(m.SourceFlags.Contains(TConvertOption::coAlpha));
    m.SetSourceColorScheme(csG);
    m.PrepareConversion();
    EXPECT_FALSE(m.SourceFlags.Contains(TConvertOption::coAlpha));
}

TEST(ColorManager, ConvertOptionsHaveTheirBitValues) {
    using enum TConvertOption;
    EXPECT_EQ(TConvertOptions{coAlpha}.Bits(), 1);
    EXPECT_EQ(TConvertOptions{coApplyGamma}.Bits(), 2);
    EXPECT_EQ(TConvertOptions{coNeedByteSwap}.Bits(), 4);
    EXPECT_EQ(TConvertOptions{coLabByteRange}.Bits(), 8);
    EXPECT_EQ(TConvertOptions{coLabChromaOffset}.Bits(), 16);
    EXPECT_EQ(int(TColorScheme::csPhotoYCC), 12);
    EXPECT_EQ(int(TRawPaletteFormat::pfPlane16Quad), 7);
}

TEST(ColorManager, SubsamplingChecks) {
    struct Case {
        uint8_t h, v;
        const char* message;
    };
    const Case cases[] = {{1, 1, nullptr}, {2, 2, nullptr}, {4, 1, nullptr}, {4, 2, nullptr},
                          {2, 4, msg::kVerticalSubsampling}, {1, 2, msg::kVerticalSubsampling},
                          {3, 1, msg::kInvalidSubsampling}, {1, 3, msg::kInvalidSubsampling},
                          {0, 0, msg::kInvalidSubsampling}, {3, 4, msg::kInvalidSubsampling}};
    for (const auto& c : cases) {
        TColorManager m;
        const float weights[] = {0.2125f, 0.7154f, 0.0721f};
        const std::string got = MessageOf([&] { m.SetYCbCrParameters(weights, c.h, c.v); });
        EXPECT_EQ(got, c.message ? c.message : "(no exception)") << int(c.h) << "," << int(c.v);
        EXPECT_EQ(m.LumaWeights()[1], 0.7154f) << "weights are stored before the checks";
        EXPECT_EQ(m.SubsamplingH(), c.message ? 1 : c.h);
        EXPECT_EQ(m.SubsamplingV(), c.message ? 1 : c.v);
    }
}

TEST(ColorManager, FewerWeightsKeepTheOthers) {
    TColorManager m;
    m.SetYCbCrParameters(std::vector<float>{0.5f}, 1, 1);
    EXPECT_EQ(m.LumaWeights()[0], 0.5f);
    EXPECT_EQ(m.LumaWeights()[1], 0.587f);
    m.SetYCbCrParameters(std::vector<float>{}, 1, 1);
    EXPECT_EQ(m.LumaWeights()[0], 0.5f);
}

TEST(ColorManager, YCbCrLookupValues) {
    TColorManager m;
    m.SetSourceColorScheme(csYCbCr);
    m.CreateYCbCrLookup();
    EXPECT_EQ(m.CrToRed()[255], 178);
    EXPECT_EQ(m.CrToRed()[0], -179);
    EXPECT_EQ(m.CrToRed()[128], 0);
    EXPECT_EQ(m.CbToBlue()[255], 225);   // 127 x 1.772 = 225.04
    EXPECT_EQ(m.CbToBlue()[0], -227);    // -128 x 1.772 = -226.8
    EXPECT_EQ(m.CrToGreen()[255], -91);  // -(127 x 0.71414)
    EXPECT_EQ(m.CbToGreen()[0], 44);     // -(-128 x 0.34414)
    EXPECT_NEAR(m.ChromaFactors()[1], 0.71414f, 1e-5);
    EXPECT_NEAR(m.ChromaFactors()[3], 0.34414f, 1e-5);

    m.SetSourceColorScheme(csPhotoYCC);
    m.CreateYCbCrLookup();
    EXPECT_EQ(m.CrToRed()[137], 0);
    EXPECT_EQ(m.CbToBlue()[156], 0);
    EXPECT_EQ(m.CrToRed()[255], 165);  // 118 x 1.402 = 165.4
}

TEST(ColorManager, YCbCrLookupSurvivesDegenerateWeights) {
    TColorManager m;
    m.SetSourceColorScheme(csYCbCr);
    m.SetYCbCrParameters(std::vector<float>{0.0f, 0.0f, 0.0f}, 1, 1);
    m.CreateYCbCrLookup();  // green weight 0: the factors are not finite
    for (int i = 0; i < 256; ++i) EXPECT_LE(std::abs(int64_t(m.CrToGreen()[i])), int64_t(1) << 20);
}

TEST(ColorManager, GammaTable) {
    TColorManager m;
    EXPECT_EQ(m.SourceGamma(), 1.0f);
    EXPECT_EQ(m.OutputGamma(), 2.2f);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(m.GammaTable()[i], std::lround(255 * std::pow(i / 255.0, 1 / 2.2))) << i;
    m.SetGamma(1 / 2.2f, 2.2f);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(m.GammaTable()[i], i);
    m.SetGamma(0.0f, -1.0f);
    EXPECT_EQ(m.SourceGamma(), 1.0f);
    EXPECT_EQ(m.OutputGamma(), 2.2f);
    EXPECT_EQ(m.GammaTable()[128], std::lround(255 * std::pow(128 / 255.0, 1 / 2.2)));
    m.SetGamma(0.45455f, 1.0f);
    EXPECT_EQ(m.GammaTable()[128], std::lround(255 * std::pow(128 / 255.0, 1 / 0.45455)));
}

// Every user of the table indexes it with an 8-bit colour value, so it stays an 8-bit to 8-bit
// table whatever the sample depths are when SetGamma runs.
TEST(ColorManager, GammaTableIsEightBitAtLowDepths) {
    TColorManager m;
    m.SetSourceBitsPerSample(4);
    m.SetTargetBitsPerSample(4);
    m.SetGamma(1.0f, 1.0f);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(m.GammaTable()[i], i);
}

TEST(ColorManager, GetPixelFormat) {
    using enum TPixelFormat;
    struct Case {
        uint8_t samples, bits;
        TPixelFormat expected;
    };
    const Case cases[] = {{1, 1, pf1bit},   {1, 2, pf4bit},   {1, 4, pf4bit},   {1, 5, pfCustom}, {1, 7, pfCustom},
                          {1, 8, pf8bit},   {1, 16, pf8bit},  {3, 1, pf15bit},  {3, 5, pf15bit},  {3, 6, pf24bit},
                          {3, 8, pf24bit},  {3, 16, pf24bit}, {4, 4, pfCustom}, {4, 8, pf32bit},  {4, 16, pf32bit}};
    for (const auto& c : cases) {
        TColorManager m;
        m.SetTargetSamplesPerPixel(c.samples);
        m.SetTargetBitsPerSample(c.bits);
        EXPECT_EQ(m.GetPixelFormat(1), c.expected) << int(c.samples) << "x" << int(c.bits);
        EXPECT_EQ(m.GetPixelFormat(0), pf24bit) << "the source side keeps its own layout";
        m.SetSourceSamplesPerPixel(c.samples);
        m.SetSourceBitsPerSample(c.bits);
        EXPECT_EQ(m.GetPixelFormat(0), c.expected);
    }
}

} // namespace
} // namespace vermaline
