#include "formats/platform/bitmap.h"

#include <gtest/gtest.h>

#include "formats/platform/exceptions.h"

namespace vermaline {
namespace {

struct FormatCase {
    TPixelFormat format;
    int bits;
};

class NewBitmap : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NewBitmap, IsWhiteWithPaddedRows) {
    const auto [format, bits] = GetParam();
    TBitmap bitmap(13, 3, format);
    EXPECT_EQ(bitmap.PixelFormat(), format);
    EXPECT_EQ(bitmap.RowStride() % 4, 0u);
    EXPECT_EQ(bitmap.RowStride(), BytesPerScanLine(13, bits));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(bitmap.GetPixel(x, y), clWhite) << x << "," << y;
    // Enlarging keeps the old pixels and adds white ones.
    bitmap.SetPixel(1, 1, RGB(0, 0, 0));
    bitmap.SetSize(20, 5);
    EXPECT_EQ(bitmap.GetPixel(1, 1), clBlack);
    EXPECT_EQ(bitmap.GetPixel(19, 4), clWhite);
    EXPECT_EQ(bitmap.GetPixel(13, 1), clWhite);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, NewBitmap,
                         ::testing::Values(FormatCase{TPixelFormat::pfDevice, 24}, FormatCase{TPixelFormat::pf1bit, 1},
                                           FormatCase{TPixelFormat::pf4bit, 4}, FormatCase{TPixelFormat::pf8bit, 8},
                                           FormatCase{TPixelFormat::pf15bit, 16}, FormatCase{TPixelFormat::pf16bit, 16},
                                           FormatCase{TPixelFormat::pf24bit, 24}, FormatCase{TPixelFormat::pf32bit, 32}));

TEST(BitmapPixelFormat, UpThenDownKeepsIndicesWhenThePaletteHoldsTheColours) {
    for (TPixelFormat down : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit}) {
        const int bits = BitsPerPixel(down);
        TBitmap bitmap(7, 5, down);
        std::vector<TPaletteEntry> palette;
        for (int i = 0; i < (1 << bits); ++i) palette.push_back({uint8_t(i * 37), uint8_t(255 - i * 11), uint8_t(i * 5), 0});
        bitmap.SetPaletteEntries(palette);
        std::vector<unsigned> indices;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) {
                const unsigned i = (x * 3 + y * 5) % (1u << bits);
                const TPaletteEntry e = palette[i];
                bitmap.SetPixel(x, y, RGB(e.peRed, e.peGreen, e.peBlue));
                indices.push_back(i);
            }
        for (TPixelFormat up : {TPixelFormat::pf24bit, TPixelFormat::pf32bit, TPixelFormat::pfDevice}) {
            TBitmap copy;
            copy.Assign(bitmap);
            copy.SetPixelFormat(up);
            copy.SetPixelFormat(down);
            const TDIBCopy dib = copy.GetDIB(0, false);
            size_t k = 0;
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 7; ++x, ++k) {
                    const int bit = x * bits;
                    const unsigned value = (dib.Bits[y * dib.Stride + bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                    ASSERT_EQ(value, indices[k]) << "bits " << bits << " at " << x << "," << y;
                }
        }
    }
}

TEST(BitmapPixelFormat, OneBitWithoutPaletteSplitsByLuminance) {
    TBitmap bitmap(4, 1, TPixelFormat::pf24bit);
    bitmap.SetPixel(0, 0, RGB(0, 200, 0));    // bright green: luminance ~117 → black
    bitmap.SetPixel(1, 0, RGB(0, 230, 0));    // luminance ~135 → white
    bitmap.SetPixel(2, 0, RGB(255, 0, 0));    // red: luminance 76 → black
    bitmap.SetPixel(3, 0, RGB(140, 140, 140));
    bitmap.SetPixelFormat(TPixelFormat::pf1bit);
    EXPECT_EQ(bitmap.GetPixel(0, 0), clBlack);
    EXPECT_EQ(bitmap.GetPixel(1, 0), clWhite);
    EXPECT_EQ(bitmap.GetPixel(2, 0), clBlack);
    EXPECT_EQ(bitmap.GetPixel(3, 0), clWhite);
}

TEST(BitmapPixelFormat, SixteenBitLayoutsAndTheirRoundTrip) {
    TBitmap bitmap(2, 1, TPixelFormat::pf24bit);
    bitmap.SetPixel(0, 0, RGB(0xF8, 0x00, 0x08));
    bitmap.SetPixel(1, 0, RGB(0x08, 0xFC, 0xF8));
    TBitmap b15;
    b15.Assign(bitmap);
    b15.SetPixelFormat(TPixelFormat::pf15bit);
    const uint8_t* row = b15.ScanLine(0);
    EXPECT_EQ(row[0] | (row[1] << 8), (31 << 10) | 1);
    TBitmap b16;
    b16.Assign(bitmap);
    b16.SetPixelFormat(TPixelFormat::pf16bit);
    row = b16.ScanLine(0);
    EXPECT_EQ(row[2] | (row[3] << 8), (1 << 11) | (63 << 5) | 31);
    b16.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(b16.GetPixel(1, 0), RGB(0x08, 0xFF, 0xFF));  // 5/6-bit values expand to full range
}

TEST(BitmapPixelFormat, EightBitWithoutPaletteUsesTheFixedPalette) {
    TBitmap bitmap(3, 1, TPixelFormat::pf24bit);
    bitmap.SetPixel(0, 0, RGB(255, 0, 0));
    bitmap.SetPixel(1, 0, RGB(51, 102, 153));
    bitmap.SetPixel(2, 0, RGB(128, 128, 128));
    bitmap.SetPixelFormat(TPixelFormat::pf8bit);
    EXPECT_EQ(bitmap.PaletteEntries().size(), 256u);
    EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(bitmap.GetPixel(1, 0), RGB(51, 102, 153));
    const TColor grey = bitmap.GetPixel(2, 0);
    EXPECT_LE(std::abs(int(GetRValue(grey)) - 128), 4);
}

TEST(Bitmap, ScanLineOutsideTheImageRaises) {
    TBitmap bitmap(2, 2);
    EXPECT_NO_THROW(bitmap.ScanLine(1));
    EXPECT_THROW(bitmap.ScanLine(2), EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.ScanLine(-1), EInvalidGraphicOperation);
}

TEST(Bitmap, RefusesImagesTooLargeToAllocate) {
    try {
        TBitmap bitmap(70000, 70000);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Image trop grande (70000 x 70000).");
    }
    EXPECT_THROW(TBitmap(-1, 5), EInvalidGraphic);
}

TEST(Bitmap, DibCopyIsBottomUpWithAFullColourTable) {
    TBitmap bitmap(3, 2, TPixelFormat::pf4bit);
    bitmap.SetPixel(0, 0, RGB(255, 0, 0));  // VGA red is index 9
    const TDIBCopy dib = bitmap.GetDIB();
    EXPECT_EQ(dib.ColorTable.size(), 16u);
    EXPECT_EQ(dib.ColorTable[9], (TRGBQuad{0, 0, 255, 0}));
    EXPECT_EQ(dib.Stride, 4u);
    EXPECT_EQ(dib.Bits[1 * dib.Stride] >> 4, 9);  // top row is stored last
    const TDIBCopy wide = bitmap.GetDIB(24);
    EXPECT_EQ(wide.BitsPerPixel, 24);
    EXPECT_EQ(wide.Bits[1 * wide.Stride + 2], 255);
}

TEST(Bitmap, MaskMarksTheKeyColour) {
    TBitmap bitmap(9, 2);
    bitmap.SetPixel(8, 1, RGB(1, 2, 3));
    const auto mask = bitmap.CreateMask(RGB(1, 2, 3));
    EXPECT_EQ(mask->PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(mask->GetPixel(8, 1), clWhite);
    EXPECT_EQ(mask->GetPixel(0, 0), clBlack);
    bitmap.SetTransparent(true);
    EXPECT_EQ(bitmap.TransparentColor(), RGB(255, 255, 255));  // bottom-left pixel
    bitmap.SetTransparentColor(RGB(1, 2, 3));
    EXPECT_EQ(bitmap.TransparentColor(), RGB(1, 2, 3));
}

} // namespace
} // namespace vermaline
