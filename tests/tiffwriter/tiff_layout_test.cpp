// The byte layouts of the TIFF writer, checked byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "formats/platform/bitmap.h"
#include "formats/platform/stream.h"
#include "tiffwriter/tiff_writer.h"

namespace vermaline {
namespace {

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b.at(at) | (b.at(at + 1) << 8)); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | (uint32_t(U16(b, at + 2)) << 16); }

struct Entry {
    uint16_t tag, type;
    uint32_t count, value;
    friend bool operator==(const Entry&, const Entry&) = default;
};

std::ostream& operator<<(std::ostream& os, const Entry& e) {
    return os << "{" << e.tag << ", " << e.type << ", " << e.count << ", " << e.value << "}";
}

std::vector<Entry> Directory(const std::vector<uint8_t>& b, size_t at) {
    std::vector<Entry> entries;
    const unsigned n = U16(b, at);
    for (unsigned i = 0; i < n; ++i) {
        const size_t e = at + 2 + 12 * i;
        entries.push_back({U16(b, e), U16(b, e + 2), U32(b, e + 4), U32(b, e + 8)});
    }
    return entries;
}

std::vector<uint8_t> Write(const TBitmap& bitmap, int64_t* endPosition = nullptr) {
    TMemoryStream stream;
    WriteTiffToStream(stream, bitmap);
    if (endPosition) *endPosition = stream.Position();
    return stream.Bytes();
}

std::string Text(const std::vector<uint8_t>& b, size_t at, size_t n) {
    return std::string(reinterpret_cast<const char*>(b.data() + at), n);
}

TEST(TiffLayout, PaletteImageOf8BitsMatchesTheFixedLayout) {
    // 3 x 2 pixels: each row's indices are distinct, so row order and padding show.
    TBitmap bitmap(3, 2, TPixelFormat::pf8bit);
    std::vector<TPaletteEntry> palette(6);
    palette[0] = {255, 0, 0, 0};
    palette[1] = {0, 255, 0, 0};
    palette[2] = {0, 0, 255, 0};
    palette[3] = {10, 20, 30, 0};
    palette[4] = {40, 50, 60, 0};
    palette[5] = {255, 255, 255, 0};
    bitmap.SetPaletteEntries(palette);
    for (int x = 0; x < 3; ++x) {
        bitmap.ScanLine(0)[x] = uint8_t(x);
        bitmap.ScanLine(1)[x] = uint8_t(3 + x);
    }
    int64_t end = 0;
    const std::vector<uint8_t> b = Write(bitmap, &end);

    ASSERT_EQ(b.size(), 1762u);
    EXPECT_EQ(end, 8);
    EXPECT_EQ(Text(b, 0, 4), std::string("II*\0", 4));
    EXPECT_EQ(U32(b, 4), 1576u);
    // Colour map: red, green, blue arrays of 256 entries, the 8-bit value times 256.
    EXPECT_EQ(U16(b, 8 + 2 * 0), 65280);
    EXPECT_EQ(U16(b, 8 + 512 + 2 * 1), 65280);
    EXPECT_EQ(U16(b, 8 + 1024 + 2 * 2), 65280);
    EXPECT_EQ(U16(b, 8 + 2 * 3), 10 * 256);
    EXPECT_EQ(U16(b, 8 + 512 + 2 * 3), 20 * 256);
    EXPECT_EQ(U16(b, 8 + 1024 + 2 * 3), 30 * 256);
    EXPECT_EQ(U16(b, 8 + 2 * 200), 0);  // unused entries are black
    EXPECT_EQ(U32(b, 1544), 877u);
    EXPECT_EQ(U32(b, 1548), 10u);
    EXPECT_EQ(U32(b, 1552), 877u);
    EXPECT_EQ(U32(b, 1556), 10u);
    EXPECT_EQ(Text(b, 1560, 10), "Tavel Labs");
    // Strip: top row first, 3 bytes a row, no padding.
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 1570, b.begin() + 1576), (std::vector<uint8_t>{0, 1, 2, 3, 4, 5}));
    const std::vector<Entry> expected = {
        {254, 4, 1, 0},    {256, 3, 1, 3},    {257, 3, 1, 2},    {258, 3, 1, 8},   {259, 3, 1, 1},
        {262, 3, 1, 3},    {273, 4, 1, 1570}, {277, 3, 1, 1},    {278, 4, 1, 2},   {279, 4, 1, 6},
        {282, 5, 1, 1544}, {283, 5, 1, 1552}, {296, 3, 1, 2},    {305, 2, 10, 1560}, {320, 3, 768, 8},
    };
    EXPECT_EQ(Directory(b, 1576), expected);
    EXPECT_EQ(U32(b, 1758), 0u);  // no next directory
}

TEST(TiffLayout, RgbImageOf24BitsMatchesTheFixedLayout) {
    TBitmap bitmap(3, 3, TPixelFormat::pf24bit);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) bitmap.SetPixel(x, y, RGB(uint8_t(10 * y + x), uint8_t(100 + x), uint8_t(200 + y)));
    int64_t end = 0;
    const std::vector<uint8_t> b = Write(bitmap, &end);

    ASSERT_EQ(b.size(), 40u + 27 + 186);
    EXPECT_EQ(end, 8);
    EXPECT_EQ(Text(b, 0, 4), std::string("II*\0", 4));
    EXPECT_EQ(U32(b, 4), 67u);
    EXPECT_EQ(U32(b, 8), 877u);
    EXPECT_EQ(U32(b, 12), 10u);
    EXPECT_EQ(U32(b, 16), 877u);
    EXPECT_EQ(U32(b, 20), 10u);
    EXPECT_EQ(U16(b, 24), 8);
    EXPECT_EQ(U16(b, 26), 8);
    EXPECT_EQ(U16(b, 28), 8);
    EXPECT_EQ(Text(b, 30, 10), "Tavel Labs");
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            const size_t at = 40 + 9 * y + 3 * x;
            EXPECT_EQ(b[at], 10 * y + x);
            EXPECT_EQ(b[at + 1], 100 + x);
            EXPECT_EQ(b[at + 2], 200 + y);
        }
    const std::vector<Entry> expected = {
        {254, 4, 1, 0},  {256, 3, 1, 3},  {257, 3, 1, 3},  {258, 3, 3, 24},  {259, 3, 1, 1},
        {262, 3, 1, 2},  {273, 4, 1, 40}, {277, 3, 1, 3},  {278, 4, 1, 3},   {279, 4, 1, 27},
        {282, 5, 1, 8},  {283, 5, 1, 16}, {284, 3, 1, 1},  {296, 3, 1, 2},   {305, 2, 10, 30},
    };
    EXPECT_EQ(Directory(b, 67), expected);
    EXPECT_EQ(U32(b, 67 + 182), 0u);
}

TEST(TiffLayout, FourBitImageKeepsItsWholeWidth) {
    // 101 pixels: 51 bytes a row, the last holding one pixel in its high half.
    TBitmap bitmap(101, 2, TPixelFormat::pf4bit);
    for (int x = 0; x < 101; ++x) bitmap.SetPixel(x, 0, x == 100 ? clBlack : clWhite);
    const std::vector<uint8_t> b = Write(bitmap);
    const size_t strip = 8 + 6 * 16 + 26;
    ASSERT_EQ(strip, 130u);
    ASSERT_EQ(b.size(), strip + 2 * 51 + 186);
    const std::vector<Entry> dir = Directory(b, U32(b, 4));
    EXPECT_EQ(U32(b, 4), strip + 102);
    EXPECT_EQ(dir[1], (Entry{256, 3, 1, 101}));
    EXPECT_EQ(dir[3], (Entry{258, 3, 1, 4}));
    EXPECT_EQ(dir[6], (Entry{273, 4, 1, 130}));
    EXPECT_EQ(dir[9], (Entry{279, 4, 1, 102}));
    EXPECT_EQ(dir[14], (Entry{320, 3, 48, 8}));
    EXPECT_EQ(b[strip + 50] >> 4, 0);  // black is index 0 of the VGA palette
    EXPECT_EQ(b[strip + 49], 0xFF);    // white is index 15
}

TEST(TiffLayout, OneBitImageIsATwoColourPaletteImage) {
    TBitmap bitmap(10, 3, TPixelFormat::pf1bit);
    bitmap.SetPixel(0, 0, clBlack);
    bitmap.SetPixel(9, 2, clBlack);
    const std::vector<uint8_t> b = Write(bitmap);
    // Header, 3 x 2 colour-map values, resolutions, software; rows of 2 bytes.
    const size_t strip = 8 + 12 + 26;
    ASSERT_EQ(b.size(), strip + 3 * 2 + 186);
    EXPECT_EQ(U16(b, 8), 0);       // red of black
    EXPECT_EQ(U16(b, 10), 65280);  // red of white
    EXPECT_EQ(Text(b, 36, 10), "Tavel Labs");
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + strip, b.begin() + strip + 6),
              (std::vector<uint8_t>{0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xBF}));
    const std::vector<Entry> dir = Directory(b, U32(b, 4));
    EXPECT_EQ(dir[1], (Entry{256, 3, 1, 10}));
    EXPECT_EQ(dir[3], (Entry{258, 3, 1, 1}));
    EXPECT_EQ(dir[5], (Entry{262, 3, 1, 3}));
    EXPECT_EQ(dir[9], (Entry{279, 4, 1, 6}));
    EXPECT_EQ(dir[10], (Entry{282, 5, 1, 20}));
    EXPECT_EQ(dir[13], (Entry{305, 2, 10, 36}));
    EXPECT_EQ(dir[14], (Entry{320, 3, 6, 8}));
}

TEST(TiffLayout, ThirtyTwoBitImageDropsTheFourthByte) {
    TBitmap bitmap(2, 1, TPixelFormat::pf32bit);
    const uint8_t pixels[8] = {1, 2, 3, 99, 4, 5, 6, 77};
    std::memcpy(bitmap.ScanLine(0), pixels, 8);
    const std::vector<uint8_t> b = Write(bitmap);
    ASSERT_EQ(b.size(), 40u + 6 + 186);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 40, b.begin() + 46), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    EXPECT_EQ(Directory(b, 46)[9], (Entry{279, 4, 1, 6}));
}

TEST(TiffLayout, RgbStripHoldsEveryPixelAtEveryWidth) {
    // Widths on both sides of the 4-pixel steps the conversion takes and of where it stops
    // short of the row end.
    for (TPixelFormat format : {TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        for (int width = 1; width <= 37; ++width) {
            TBitmap bitmap(width, 3, format);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, RGB(uint8_t(x), uint8_t(100 + y), uint8_t(200 + x)));
            const std::vector<uint8_t> b = Write(bitmap);
            ASSERT_EQ(b.size(), 40u + 9 * width + 186) << width;
            std::vector<uint8_t> expected;
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < width; ++x) expected.insert(expected.end(), {uint8_t(x), uint8_t(100 + y), uint8_t(200 + x)});
            EXPECT_EQ(std::vector<uint8_t>(b.begin() + 40, b.begin() + 40 + 9 * width), expected) << width;
        }
    }
}

TEST(TiffLayout, SixteenBitImagesAreWrittenAsRgb) {
    for (TPixelFormat format : {TPixelFormat::pf15bit, TPixelFormat::pf16bit}) {
        TBitmap bitmap(2, 1, format);
        bitmap.SetPixel(0, 0, RGB(255, 0, 0));
        bitmap.SetPixel(1, 0, RGB(0, 0, 255));
        const std::vector<uint8_t> b = Write(bitmap);
        ASSERT_EQ(b.size(), 40u + 6 + 186);
        EXPECT_EQ(std::vector<uint8_t>(b.begin() + 40, b.begin() + 46), (std::vector<uint8_t>{255, 0, 0, 0, 0, 255}));
    }
}

TEST(TiffLayout, WideImageGetsLongDimensions) {
    // A SHORT width would keep only the low 16 bits of 70000.
    TBitmap bitmap(70000, 1, TPixelFormat::pf24bit);
    const std::vector<uint8_t> b = Write(bitmap);
    const std::vector<Entry> dir = Directory(b, U32(b, 4));
    EXPECT_EQ(dir[1], (Entry{256, 4, 1, 70000}));
    EXPECT_EQ(dir[2], (Entry{257, 3, 1, 1}));
}

TEST(TiffLayout, OffsetsCountFromWhereWritingBegins) {
    TBitmap bitmap(3, 3, TPixelFormat::pf24bit);
    bitmap.SetPixel(1, 1, RGB(1, 2, 3));
    const std::vector<uint8_t> alone = Write(bitmap);
    TMemoryStream stream;
    stream.WriteBuffer("lead!", 5);
    WriteTiffToStream(stream, bitmap);
    EXPECT_EQ(stream.Position(), 5 + 8);
    const std::vector<uint8_t>& all = stream.Bytes();
    EXPECT_EQ(Text(all, 0, 5), "lead!");
    EXPECT_EQ(std::vector<uint8_t>(all.begin() + 5, all.end()), alone);
}

TEST(TiffLayout, EmptyBitmapWritesNothing) {
    TBitmap bitmap;
    EXPECT_TRUE(Write(bitmap).empty());
}

TEST(TiffLayout, CallsFromTwoThreadsAtOnceGiveTheSameBytes) {
    TBitmap palette(33, 17, TPixelFormat::pf8bit);
    TBitmap rgb(17, 33, TPixelFormat::pf24bit);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 33; ++x) {
            palette.ScanLine(y)[x] = uint8_t(x * y);
            rgb.SetPixel(y, x, RGB(uint8_t(x), uint8_t(y), uint8_t(x * y)));
        }
    const std::vector<uint8_t> expectedPalette = Write(palette), expectedRgb = Write(rgb);
    bool samePalette = true, sameRgb = true;
    std::thread a([&] {
        for (int i = 0; i < 300; ++i) samePalette = samePalette && Write(palette) == expectedPalette;
    });
    std::thread b([&] {
        for (int i = 0; i < 300; ++i) sameRgb = sameRgb && Write(rgb) == expectedRgb;
    });
    a.join();
    b.join();
    EXPECT_TRUE(samePalette);
    EXPECT_TRUE(sameRgb);
}

} // namespace
} // namespace vermaline
