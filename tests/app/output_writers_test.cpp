// The output writers, checked with other programs: Pillow and libtiff read what we write.
#include <gtest/gtest.h>

#include "app/output_writers.h"
#include "formats/platform/bitmap.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/file_names.h"
#include "formats/platform/jpeg_image.h"
#include "formats/platform/metafile.h"
#include "tests/support/oracle.h"

namespace vermaline {
namespace {

// A 101 x 75 picture of smooth gradients (which JPEG keeps close), different in each channel
// so that swapped channels or rows show.
std::unique_ptr<TBitmap> Bands() {
    auto b = std::make_unique<TBitmap>(101, 75, TPixelFormat::pf24bit);
    for (int y = 0; y < 75; ++y)
        for (int x = 0; x < 101; ++x) b->SetPixel(x, y, RGB(uint8_t(40 + 2 * x), uint8_t(30 + 3 * y), 120));
    return b;
}

// The size in pixels at 96 dpi that Pillow reads from a metafile's header (Pillow gives WMF
// sizes in points, and EMF frames count their last unit inclusively, hence the rounding).
std::pair<int, int> PillowMetafileSize(const std::string& path) {
    const std::string text = test::Capture(
        "/usr/bin/python3 -c 'import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
        "k = 96 / 72 if sys.argv[1].endswith(\".wmf\") else 1; print(*[round(v * k + 0.5 * (k == 1)) for v in im.size])' " +
        path + " 2>&1");
    int w = 0, h = 0;
    std::sscanf(text.c_str(), "%d %d", &w, &h);
    return {w, h};
}

TEST(OutputWriters, BitmapJpegAndTiffOpenInPillowWithTheDrawnPixels) {
    const std::string dir = test::TempDir();
    auto source = Bands();
    const test::RgbaImage expected = test::ToRgba(*source);
    struct Case {
        TOutputFormat format;
        const char* file;
        int tolerance;
    } cases[] = {{TOutputFormat::ofBitmap, "/bandes.bmp", 0},
                 {TOutputFormat::ofJpeg, "/bandes.jpg", 12},
                 {TOutputFormat::ofTiff, "/bandes.tif", 0}};
    for (const Case& c : cases) {
        TConversionOptions options;
        options.FormatIndex = static_cast<int>(c.format);
        const auto written = WriteOutput(*source, {101, 75}, dir, "bandes", options);
        ASSERT_TRUE(written);
        EXPECT_EQ(*written, dir + c.file);
        const auto decoded = test::PillowDecode(*written);
        ASSERT_TRUE(decoded) << c.file;
        EXPECT_LE(test::MaxDifference(*decoded, expected), c.tolerance) << c.file;
    }
    EXPECT_EQ(test::ListFolder(dir), (std::vector<std::string>{"bandes.bmp", "bandes.jpg", "bandes.tif"})) << "no temporary left";
    EXPECT_EQ(test::Capture("tiffinfo " + dir + "/bandes.tif 2>&1 | grep -c 'Image Width: 101 Image Length: 75'"), "1\n");
}

TEST(OutputWriters, JpegTakesTheDialogSettingsOnlyWhenAccepted) {
    const std::string dir = test::TempDir();
    auto source = Bands();
    TConversionOptions options;
    options.FormatIndex = static_cast<int>(TOutputFormat::ofJpeg);
    options.Jpeg.Rate = "50";
    options.Jpeg.Grayscale = true;
    WriteOutput(*source, {101, 75}, dir, "refuse", options);
    options.JpegAccepted = true;
    WriteOutput(*source, {101, 75}, dir, "accepte", options);
    EXPECT_EQ(test::Capture("identify -format '%Q %[colorspace]' " + dir + "/refuse.jpg"), "90 sRGB");
    EXPECT_EQ(test::Capture("identify -format '%Q %[colorspace]' " + dir + "/accepte.jpg"), "50 Gray");
    options.Jpeg.Rate = "beaucoup";
    EXPECT_THROW(WriteOutput(*source, {101, 75}, dir, "lettres", options), EConvertError);
    EXPECT_FALSE(FileExists(dir + "/lettres.jpg"));
}

TEST(OutputWriters, ColoursSetTheDepthOfBitmapAndTiffOnly) {
    const std::string dir = test::TempDir();
    auto source = Bands();
    struct Case {
        int colorIndex;
        int bmpBits;
        const char* tiffBits;   // tiffinfo's Bits/Sample
    } cases[] = {{0, 24, "8"}, {2, 4, "4"}, {3, 8, "8"}, {4, 24, "8"}};
    for (const Case& c : cases) {
        TConversionOptions options;
        options.ColorIndex = c.colorIndex;
        WriteOutput(*source, {101, 75}, dir, "c", options);
        const std::vector<uint8_t> bmp = test::ReadFile(dir + "/c.bmp");
        ASSERT_GT(bmp.size(), 30u);
        EXPECT_EQ(bmp[28], c.bmpBits) << c.colorIndex;
        ASSERT_TRUE(test::PillowDecode(dir + "/c.bmp"));
        options.FormatIndex = static_cast<int>(TOutputFormat::ofTiff);
        WriteOutput(*source, {101, 75}, dir, "c", options);
        EXPECT_NE(test::Capture("tiffinfo " + dir + "/c.tif 2>&1 | grep 'Bits/Sample: " + c.tiffBits + "'"), "")
            << c.colorIndex;
    }
}

TEST(OutputWriters, MetafilesTakeTheirSizeFromTheDialogFields) {
    const std::string dir = test::TempDir();
    auto source = Bands();
    TConversionOptions options;
    options.FormatIndex = static_cast<int>(TOutputFormat::ofEnhancedMetafile);
    options.Metafile.Width = "800";
    options.Metafile.Height = "600";
    WriteOutput(*source, {101, 75}, dir, "m", options);
    TMetafile emf;
    emf.LoadFromFile(dir + "/m.emf");
    EXPECT_EQ(emf.Width(), 800);
    EXPECT_EQ(emf.Height(), 600);
    EXPECT_EQ(emf.CreatedBy(), "") << "creator only from an accepted dialog";
    EXPECT_EQ(PillowMetafileSize(dir + "/m.emf"), std::make_pair(800, 600));

    options.MetafileAccepted = true;
    WriteOutput(*source, {101, 75}, dir, "m", options);
    emf.LoadFromFile(dir + "/m.emf");
    EXPECT_EQ(emf.CreatedBy(), "Q.Z.M.");
    EXPECT_EQ(emf.Description(), "Fichier généré par QZM");

    options.FormatIndex = static_cast<int>(TOutputFormat::ofWindowsMetafile);
    WriteOutput(*source, {101, 75}, dir, "m", options);
    EXPECT_EQ(PillowMetafileSize(dir + "/m.wmf"), std::make_pair(800, 600));
    TMetafile wmf;
    wmf.LoadFromFile(dir + "/m.wmf");
    EXPECT_EQ(wmf.Width(), 800);
    EXPECT_FALSE(wmf.Enhanced());
}

TEST(OutputWriters, FormatsWithoutAWriterWriteNothing) {
    const std::string dir = test::TempDir();
    auto source = Bands();
    for (int index : {-1, 4, 6, 7}) {
        TConversionOptions options;
        options.FormatIndex = index;
        EXPECT_FALSE(WriteOutput(*source, {101, 75}, dir, "x", options)) << index;
    }
    EXPECT_TRUE(test::ListFolder(dir).empty());
}

} // namespace
} // namespace vermaline
