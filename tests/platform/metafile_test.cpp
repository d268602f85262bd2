#include "formats/platform/metafile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "formats/platform/bitmap.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/metafile_canvas.h"
#include "formats/platform/picture.h"
#include "formats/platform/stream.h"
#include "tests/support/oracle.h"

namespace vermaline {
namespace {

using test::RgbaImage;

// A 40 x 30 gradient with a few solid blocks, so that misplaced or mis-scaled pixels show.
std::unique_ptr<TBitmap> Gradient() {
    auto result = std::make_unique<TBitmap>(40, 30, TPixelFormat::pf24bit);
    TBitmap& bitmap = *result;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) bitmap.SetPixel(x, y, RGB(uint8_t(x * 6), uint8_t(y * 8), uint8_t(255 - x * 3)));
    const struct { TRect r; TColor c; } blocks[] = {{Rect(2, 2, 12, 10), RGB(255, 0, 0)},
                                                   {Rect(26, 4, 38, 12), RGB(0, 0, 0)},
                                                   {Rect(8, 18, 20, 28), RGB(255, 255, 0)}};
    for (const auto& b : blocks)
        for (int y = b.r.Top; y < b.r.Bottom; ++y)
            for (int x = b.r.Left; x < b.r.Right; ++x) bitmap.SetPixel(x, y, b.c);
    return result;
}

// A metafile of the bitmap stretch-drawn over its whole size, as the batch makes them.
std::vector<uint8_t> Record(const TBitmap& bitmap, bool enhanced, bool withTexts = false) {
    TMetafile metafile;
    metafile.SetWidth(bitmap.Width());
    metafile.SetHeight(bitmap.Height());
    {
        auto canvas = withTexts ? std::make_unique<TMetafileCanvas>(metafile, "Q.Z.M.", "Fichier généré par QZM")
                                : std::make_unique<TMetafileCanvas>(metafile);
        TBitmap copy;
        copy.Assign(bitmap);
        canvas->StretchDraw(Rect(0, 0, bitmap.Width(), bitmap.Height()), copy);
    }
    metafile.SetEnhanced(enhanced);
    TMemoryStream stream;
    metafile.SaveToStream(stream);
    return stream.Bytes();
}

std::unique_ptr<TMetafile> Load(const std::vector<uint8_t>& bytes) {
    auto metafile = std::make_unique<TMetafile>();
    TMemoryStream stream(bytes);
    metafile->LoadFromStream(stream);
    return metafile;
}

RgbaImage Render(TMetafile& metafile, int width, int height) {
    TBitmap target(width, height, TPixelFormat::pf24bit);
    target.Canvas().StretchDraw(Rect(0, 0, width, height), metafile);
    return test::ToRgba(target);
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b.at(at)) | uint32_t(b.at(at + 1)) << 8 | uint32_t(b.at(at + 2)) << 16 | uint32_t(b.at(at + 3)) << 24;
}
int32_t I32(const std::vector<uint8_t>& b, size_t at) { return static_cast<int32_t>(U32(b, at)); }
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b.at(at) | b.at(at + 1) << 8); }

// Mean absolute difference per channel of two images of the same size.
double MeanError(const RgbaImage& a, const RgbaImage& b) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = 0; i < a.rgba.size(); ++i) {
        if (i % 4 == 3) continue;
        sum += std::abs(int(a.rgba[i]) - int(b.rgba[i]));
        ++n;
    }
    return n ? sum / double(n) : 0;
}

// Scales an image to width x height by area averaging (our stretch draw).
RgbaImage Shrink(const RgbaImage& image, int width, int height) {
    TBitmap source(image.width, image.height, TPixelFormat::pf24bit);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = &image.rgba[(size_t(y) * image.width + x) * 4];
            source.SetPixel(x, y, RGB(p[0], p[1], p[2]));
        }
    TBitmap target(width, height, TPixelFormat::pf24bit);
    target.Canvas().StretchDraw(Rect(0, 0, width, height), source);
    return test::ToRgba(target);
}

TEST(MetafileWmfOutput, RendersThroughLibwmfAsTheBitmapWeDrew) {
    ASSERT_TRUE(test::HaveTool("wmf2gd")) << "wmf2gd (libwmf-bin) is needed";
    const auto source = Gradient();
    const std::string dir = test::TempDir();
    test::WriteFile(dir + "/picture.wmf", Record(*source, false));
    ASSERT_EQ(test::Run("wmf2gd --maxwidth=400 --maxheight=300 --maxsize -t png -o '" + dir + "/picture.png' '" + dir +
                        "/picture.wmf' 2>/dev/null"),
              0);
    const auto rendered = test::PillowDecode(dir + "/picture.png");
    ASSERT_TRUE(rendered);
    // libwmf chooses its own output size; it must keep the picture's 4:3 shape.
    EXPECT_NEAR(double(rendered->width) / rendered->height, 40.0 / 30.0, 0.05);
    // libwmf enlarges with a smoothing filter about one source pixel wide, so the picture brought
    // back to 40 x 30 by area averaging differs from ours by about 6 on average, all of it at the
    // edges of the blocks. The same picture shifted by one pixel is at 15, flipped at 100: a
    // threshold of 10 accepts the resampling and nothing misplaced.
    const RgbaImage back = Shrink(*rendered, 40, 30);
    EXPECT_LT(MeanError(back, test::ToRgba(*source)), 10.0);
    // Away from the edges the colours are the ones drawn.
    for (const TPoint p : {TPoint{7, 6}, TPoint{32, 8}, TPoint{14, 23}}) {
        const uint8_t* got = &back.rgba[(size_t(p.Y) * 40 + p.X) * 4];
        const TColor want = source->GetPixel(p.X, p.Y);
        EXPECT_NEAR(got[0], GetRValue(want), 8) << p.X << "," << p.Y;
        EXPECT_NEAR(got[1], GetGValue(want), 8) << p.X << "," << p.Y;
        EXPECT_NEAR(got[2], GetBValue(want), 8) << p.X << "," << p.Y;
    }
}

} // namespace
} // namespace vermaline
