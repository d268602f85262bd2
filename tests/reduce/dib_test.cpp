#include "reduce/dib.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "formats/platform/exceptions.h"
#include "formats/platform/stream.h"
#include "reduce/dib_helpers.h"
#include "reduce/gif_error.h"
#include "tests/support/oracle.h"

namespace vermaline {
namespace {

TEST(DibHelpers, RowBytesPadsToTheAlignment) {
    struct Case {
        int64_t width;
        int bits;
        int alignment;
        int64_t bytes;
    };
    for (const Case& c : {Case{3, 24, 32, 12}, Case{5, 8, 32, 8}, Case{4, 8, 32, 4}, Case{1, 1, 32, 4},
                          Case{33, 1, 32, 8}, Case{0, 24, 32, 0}, Case{3, 4, 8, 2}, Case{7, 1, 8, 1},
                          Case{100000, 24, 32, 300000}})
        EXPECT_EQ(RowBytes(c.width, c.bits, c.alignment), c.bytes) << c.width << "x" << c.bits << "/" << c.alignment;
}

TEST(DibHelpers, BitsForColorCount) {
    const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3},
                                         {16, 4}, {17, 5}, {129, 8}, {256, 8}, {257, 9}};
    for (const auto& [count, bits] : cases) EXPECT_EQ(BitsForColorCount(count), bits) << count;
}

TEST(DibHelpers, SwapRedBlueMakesColourTableEntries) {
    std::vector<uint8_t> entries = {1, 2, 3, 4, 10, 20, 30, 40, 7, 8};
    SwapRedBlue(entries);
    EXPECT_EQ(entries, (std::vector<uint8_t>{3, 2, 1, 0, 30, 20, 10, 0, 7, 8}));
}

TEST(DibHelpers, CheckGdiResultPassesValuesAndRaisesOnZero) {
    EXPECT_EQ(CheckGdiResult(42), 42);
    const HPALETTE palette = GetStockDefaultPalette();
    EXPECT_EQ(CheckGdiResult(palette), palette);

    errno = ENOMEM;
    try {
        CheckGdiResult(HPALETTE{});
        FAIL() << "no exception";
    } catch (const EOutOfResources& e) {
        EXPECT_EQ(std::string(e.what()), std::strerror(ENOMEM));
    }
    errno = 0;
    try {
        CheckGdiResult(0);
        FAIL() << "no exception";
    } catch (const EOutOfResources& e) {
        EXPECT_STREQ(e.what(), messages::kOutOfResources);
    }
}

TEST(DibReader, ConvertsTheBitmapItselfAndReadsItsRows) {
    TBitmap bitmap(3, 2, TPixelFormat::pf4bit);
    bitmap.SetPixel(1, 1, RGB(255, 0, 0));
    {
        TDIBReader reader(bitmap, TPixelFormat::pf24bit);
        const uint8_t* row = reader.RowAddress(1);
        EXPECT_EQ(row + 0, bitmap.ScanLine(1));
        EXPECT_EQ(row[3], 0);
        EXPECT_EQ(row[4], 0);
        EXPECT_EQ(row[5], 255);
    }
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(bitmap.GetPixel(1, 1), RGB(255, 0, 0));
}

template <typename F>
void ExpectGifError(F&& f, const char* message) {
    try {
        f();
        FAIL() << "no exception, expected " << message;
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), message);
    }
}

TEST(DibWriter, RefusesOtherFormatsAndEmptySizes) {
    TBitmap bitmap;
    for (TPixelFormat f : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf15bit, TPixelFormat::pf32bit,
                           TPixelFormat::pfDevice})
        ExpectGifError([&] { TDIBWriter w(bitmap, f, 4, 4, nullptr); }, "Unsupported PixelFormat");
    ExpectGifError([&] { TDIBWriter w(bitmap, TPixelFormat::pf8bit, 0, 4, nullptr); }, "Invalid image dimensions");
    ExpectGifError([&] { TDIBWriter w(bitmap, TPixelFormat::pf24bit, 4, 0, nullptr); }, "Invalid image dimensions");
    ExpectGifError([&] { TDIBWriter w(bitmap, TPixelFormat::pf24bit, -4, 4, nullptr); }, "Invalid image dimensions");
    // The format is checked first.
    ExpectGifError([&] { TDIBWriter w(bitmap, TPixelFormat::pf1bit, 0, 0, nullptr); }, "Unsupported PixelFormat");
}

TEST(DibWriter, RowsAreStoredBottomUp) {
    TBitmap bitmap;
    TDIBWriter writer(bitmap, TPixelFormat::pf24bit, 3, 5, nullptr);
    uint8_t* top = writer.RowAddress(0);
    uint8_t* bottom = writer.RowAddress(4);
    EXPECT_EQ(writer.PixelBlockSize(), 5 * 12);
    EXPECT_EQ(writer.HeaderBlockSize(), 40);
    EXPECT_EQ(top - bottom, 4 * 12);
    EXPECT_EQ(writer.RowAddress(3) - bottom, 12);
    for (int y : {-1, 5}) {
        try {
            writer.RowAddress(y);
            FAIL() << y;
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_STREQ(e.what(), messages::kScanLineIndex);
        }
    }
}

TEST(DibWriter, ABitmapUntouchedWhenNoRowWasAskedFor) {
    TBitmap bitmap(2, 2, TPixelFormat::pf1bit);
    { TDIBWriter writer(bitmap, TPixelFormat::pf8bit, 7, 7, GetStockDefaultPalette()); }
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf1bit);
}

TEST(DibWriter, RefusesABufferTheMachineCouldNeverHold) {
    TBitmap bitmap;
    TDIBWriter writer(bitmap, TPixelFormat::pf24bit, 100000, 100000, nullptr);
    try {
        writer.RowAddress(0);
        FAIL();
    } catch (const EOutOfMemory& e) {
        EXPECT_STREQ(e.what(), "Failed to allocate memory for GIF DIB");
    }
    // Nothing is held, so destroying the writer stores nothing.
}

// Keeps the BMP file the writer hands to the bitmap.
class CapturingBitmap : public TBitmap {
public:
    void LoadFromStream(TStream& stream) override {
        stored.resize(static_cast<size_t>(stream.Size()));
        stream.ReadBuffer(stored.data(), stream.Size());
        TMemoryStream copy(stored);
        TBitmap::LoadFromStream(copy);
    }
    std::vector<uint8_t> stored;
};

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

TEST(DibWriter, EightBitsWithTwentyColoursHasAFullColourTable) {
    CapturingBitmap bitmap;
    {
        TDIBWriter writer(bitmap, TPixelFormat::pf8bit, 5, 2, GetStockDefaultPalette());
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 5; ++x) writer.RowAddress(y)[x] = uint8_t(y * 5 + x);
    }
    const auto& bmp = bitmap.stored;
    ASSERT_EQ(bmp.size(), 14u + 1064u + 16u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(Le32(bmp, 2), bmp.size());
    EXPECT_EQ(Le32(bmp, 10), 14u + 1064u);
    EXPECT_EQ(Le32(bmp, 14), 40u);
    EXPECT_EQ(Le32(bmp, 14 + 8), 2u);
    EXPECT_EQ(Le32(bmp, 14 + 32), 256u);
    EXPECT_EQ(Le32(bmp, 14 + 36), 20u);
    const auto stock = StaticColors();
    for (size_t i = 0; i < 256; ++i) {
        const size_t at = 14 + 40 + 4 * i;
        const TPaletteEntry expected = i < 20 ? stock[i] : TPaletteEntry{};
        EXPECT_EQ(bmp[at], expected.peBlue) << i;
        EXPECT_EQ(bmp[at + 1], expected.peGreen) << i;
        EXPECT_EQ(bmp[at + 2], expected.peRed) << i;
        EXPECT_EQ(bmp[at + 3], 0) << i;
    }
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf8bit);
    ASSERT_EQ(bitmap.PaletteEntries().size(), 256u);
    EXPECT_EQ(bitmap.PaletteEntries()[13].peRed, 255);
    EXPECT_EQ(bitmap.ScanLine(1)[4], 9);

    // Another program reads the same DIB.
    const std::string path = test::TempDir() + "/writer8.bmp";
    test::WriteFile(path, bmp);
    const auto decoded = test::PillowDecode(path);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->width, 5);
    ASSERT_EQ(decoded->height, 2);
    EXPECT_EQ(test::MaxDifference(*decoded, test::ToRgba(bitmap)), 0);
    // Top-left pixel is index 0 (black), bottom-right index 9 (light blue 166, 202, 240).
    EXPECT_EQ(decoded->rgba[4 * 9 + 0], 166);
    EXPECT_EQ(decoded->rgba[4 * 9 + 2], 240);
}

TEST(DibWriter, EightBitsWithoutPaletteIsAllBlack) {
    CapturingBitmap bitmap;
    {
        TDIBWriter writer(bitmap, TPixelFormat::pf8bit, 1, 1, nullptr);
        writer.RowAddress(0)[0] = 0;
    }
    EXPECT_EQ(Le32(bitmap.stored, 14 + 36), 0u);
    for (size_t i = 0; i < 1024; ++i) ASSERT_EQ(bitmap.stored[14 + 40 + i], 0) << i;
    ASSERT_EQ(bitmap.PaletteEntries().size(), 256u);
    EXPECT_EQ(bitmap.GetPixel(0, 0), clBlack);
}

TEST(DibWriter, TwentyFourBitsOpenInAnotherProgram) {
    CapturingBitmap bitmap;
    {
        TDIBWriter writer(bitmap, TPixelFormat::pf24bit, 3, 2, nullptr);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                uint8_t* p = writer.RowAddress(y) + 3 * x;
                p[0] = uint8_t(10 * x);        // blue
                p[1] = uint8_t(100 + y);       // green
                p[2] = uint8_t(200 + x + y);   // red
            }
    }
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(bitmap.GetPixel(2, 1), RGB(203, 101, 20));
    const std::string path = test::TempDir() + "/writer24.bmp";
    test::WriteFile(path, bitmap.stored);
    const auto decoded = test::PillowDecode(path);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(test::MaxDifference(*decoded, test::ToRgba(bitmap)), 0);
}

} // namespace
} // namespace vermaline
