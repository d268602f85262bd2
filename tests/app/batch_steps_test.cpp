// The arithmetic and path rules of the batch: sizes, integer fields, progress, names, deletion.
#include <gtest/gtest.h>

#include <string>

#include "app/file_conversion.h"
#include "app/progress_step.h"
#include "app/str_to_int.h"
#include "app/target_size.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/file_names.h"
#include "tests/support/oracle.h"

namespace vermaline {
namespace {

TSizeOptions Proportional(const std::string& percent) {
    TSizeOptions s;
    s.Mode = TSizeMode::smProportional;
    s.Percent = percent;
    return s;
}

TSizeOptions Fixed(const std::string& width, const std::string& height) {
    TSizeOptions s;
    s.Mode = TSizeMode::smFixed;
    s.Width = width;
    s.Height = height;
    return s;
}

TEST(TargetSize, ModesWithTheirArithmetic) {
    struct Case {
        TSizeOptions size;
        int w, h;
        TTargetSize expected;
    } cases[] = {
        {Proportional("50"), 101, 75, {50, 37}},
        {Proportional("0"), 101, 75, {0, 0}},
        {Proportional("-50"), 101, 75, {-50, -37}},       // truncation toward zero
        {Proportional("200"), 3, 1, {6, 2}},
        // The product wraps as a 32-bit register does: 50000 x 50000 = 2500000000 = -1794967296.
        {Proportional("50000"), 50000, 1, {-17949672, 500}},
        {TSizeOptions{}, 101, 75, {101, 75}},
        {Fixed("640", " 480"), 101, 75, {640, 480}},
        {Fixed("-3", "0"), 101, 75, {-3, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(ComputeTargetSize(c.size, c.w, c.h), c.expected) << c.size.Percent;
}

TEST(TargetSize, FieldsThatAreNoIntegersRaiseTheConversionError) {
    try {
        ComputeTargetSize(Fixed("", "75"), 101, 75);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'' n'est pas une valeur entière correcte");
    }
    EXPECT_THROW(ComputeTargetSize(Proportional("50%"), 10, 10), EConvertError);
    EXPECT_THROW(ComputeTargetSize(Fixed("12", "abc"), 10, 10), EConvertError);
}

TEST(StrToInt, AcceptsWhatAnIntegerFieldMayHold) {
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("007"), 7);
    EXPECT_EQ(StrToInt("  -12"), -12);
    EXPECT_EQ(StrToInt("+5"), 5);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    for (const char* bad : {"", " ", "-", "12 ", "1.5", "2147483648", "-2147483649", "$", "abc", "1e3"})
        EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
}

TEST(Progress, StepIsThousandDividedByTheSelection) {
    EXPECT_EQ(ProgressStep(1), 1000);
    EXPECT_EQ(ProgressStep(2), 500);
    EXPECT_EQ(ProgressStep(3), 333);
    EXPECT_EQ(ProgressStep(1000), 1);
    EXPECT_EQ(ProgressStep(1001), 0);
}

TEST(Progress, SteppingPastTheEndStartsOverKeepingTheRest) {
    EXPECT_EQ(StepPosition(666, 333), 999);
    EXPECT_EQ(StepPosition(500, 500), 1000);
    EXPECT_EQ(StepPosition(999, 500), 499);
    EXPECT_EQ(StepPosition(1000, 1000), 0);
    EXPECT_EQ(StepPosition(999, 0), 999);
}

TEST(EntryNames, SplitAtTheLastDot) {
    struct Case {
        const char* text;
        const char* base;
        const char* extension;
    } cases[] = {{"a.bmp", "a", ".bmp"}, {"photo.2024.JPG", "photo.2024", ".JPG"}, {"sans", "sans", ""}};
    for (const Case& c : cases) {
        const TEntryName e = SplitEntry(c.text);
        EXPECT_EQ(e.BaseName, c.base);
        EXPECT_EQ(e.Extension, c.extension);
    }
    EXPECT_EQ(SourcePath("/img", SplitEntry("a.bmp")), "/img/a.bmp");
    EXPECT_EQ(SourcePath("/img/", SplitEntry("sans")), "/img/sans");
}

TEST(SourceDeletion, OnlyAfterAnOutputThatIsNotTheSource) {
    const std::string dir = test::TempDir();
    const std::string source = dir + "/a.bmp";
    const auto make = [&] { test::WriteFile(source, {1, 2, 3}); };

    make();
    EXPECT_FALSE(DeleteConvertedSource(source, std::nullopt)) << "no output format";
    EXPECT_TRUE(FileExists(source));
    EXPECT_FALSE(DeleteConvertedSource(source, dir + "/./a.bmp")) << "the output replaced the source";
    EXPECT_TRUE(FileExists(source));
    EXPECT_TRUE(DeleteConvertedSource(source, dir + "/a.tif"));
    EXPECT_FALSE(FileExists(source));
}

} // namespace
} // namespace vermaline
