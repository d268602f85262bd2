// The BMP reader and writer against ImageMagick and Pillow: every variant they write decodes to
// their pixels, hand-built files cover what neither writes, our files open in both, and broken
// files raise the platform's errors.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "formats/platform/bitmap.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/stream.h"
#include "tests/support/oracle.h"

namespace vermaline {
namespace {

using test::RgbaImage;

std::unique_ptr<TBitmap> LoadBytes(const std::vector<uint8_t>& bytes) {
    auto bitmap = std::make_unique<TBitmap>();
    TBytesStream stream(bytes.data(), bytes.size());
    bitmap->LoadFromStream(stream);
    return bitmap;
}

std::unique_ptr<TBitmap> LoadPath(const std::string& path) { return LoadBytes(test::ReadFile(path)); }


// A 40-byte information header (or a longer one padded with the given masks and zeros).
std::vector<uint8_t> InfoHeader(int32_t width, int32_t height, int bits, uint32_t compression, uint32_t colors = 0,
                                uint32_t size = 40, std::vector<uint32_t> masks = {}) {
    test::LeBytes b;
    b.u32(size).u32(uint32_t(width)).u32(uint32_t(height)).u16(1).u16(bits).u32(compression).u32(0).u32(0).u32(0)
        .u32(colors).u32(0);
    for (uint32_t m : masks) b.u32(m);
    if (b.data.size() < size) b.zeros(size - b.data.size());
    return b.data;
}

// A complete file: file header, information header, the rest (masks, colour table) and pixels;
// offset 0 means the pixels follow the rest.
std::vector<uint8_t> BmpFile(const std::vector<uint8_t>& info, const std::vector<uint8_t>& rest,
                             const std::vector<uint8_t>& pixels, int64_t offset = -1) {
    const uint32_t off = offset >= 0 ? uint32_t(offset) : uint32_t(14 + info.size() + rest.size());
    test::LeBytes b;
    b.u8('B').u8('M').u32(uint32_t(14 + info.size() + rest.size() + pixels.size())).u32(0).u32(off);
    return b.raw(info).raw(rest).raw(pixels).data;
}

std::vector<uint8_t> Quads(const std::vector<std::array<uint8_t, 3>>& rgb) {
    test::LeBytes b;
    for (auto& c : rgb) b.u8(c[2]).u8(c[1]).u8(c[0]).u8(0);
    return b.data;
}

std::vector<uint8_t> Pixel(const TBitmap& bitmap, int x, int y) {
    std::vector<uint8_t> row(size_t(bitmap.Width()) * 4);
    bitmap.ReadRowBGRA(y, row.data());
    return {row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]};
}

std::string Sources() {
    static const std::string dir = [] {
        const std::string d = test::TempDir();
        // Odd sizes, so that every row has padding and packed rows end inside a byte.
        EXPECT_EQ(test::Run("convert -size 37x23 -seed 7 plasma:fractal '" + d + "/color.png'"), 0);
        EXPECT_EQ(test::Run("convert -size 37x23 gradient:black-white '" + d + "/grey.png'"), 0);
        EXPECT_EQ(test::Run("convert '" + d + "/color.png' \\( -size 37x23 gradient:white-black \\) -alpha off "
                            "-compose copy-opacity -composite '" + d + "/alpha.png'"), 0);
        return d;
    }();
    return dir;
}

struct WrittenCase {
    const char* name;
    const char* source;      // color, grey or alpha
    const char* arguments;   // ImageMagick options and output prefix, or "pil:<mode>"
    TPixelFormat format;     // what our reader makes of it
    bool alpha;              // whether the alpha flag is set
    int pillowTolerance;     // Pillow scales 5-bit fields by 255/31 with truncation; -1: Pillow cannot read it
    int magickTolerance;     // ImageMagick 6 widens 4-bit fields wrongly; -1: compare with the source instead
    bool magickAlpha = true; // ImageMagick 6 reads a 1-bit alpha field as 128
};

const WrittenCase kWritten[] = {
    {"bmp2_24", "color", "BMP2:", TPixelFormat::pf24bit, false, 0, 0},
    {"bmp2_palette", "color", "-type palette BMP2:", TPixelFormat::pf8bit, false, 0, 0},
    {"bmp2_16colors", "color", "-colors 16 BMP2:", TPixelFormat::pf4bit, false, 0, 0},
    {"bmp2_bilevel", "color", "-type bilevel BMP2:", TPixelFormat::pf1bit, false, 0, 0},
    {"bmp2_grey", "grey", "-colorspace gray -type palette BMP2:", TPixelFormat::pf8bit, false, 0, 0},
    {"bmp3_24", "color", "BMP3:", TPixelFormat::pf24bit, false, 0, 0},
    {"bmp3_palette", "color", "-type palette -compress none BMP3:", TPixelFormat::pf8bit, false, 0, 0},
    {"bmp3_16colors", "color", "-colors 16 -compress none BMP3:", TPixelFormat::pf4bit, false, 0, 0},
    {"bmp3_bilevel", "color", "-type bilevel BMP3:", TPixelFormat::pf1bit, false, 0, 0},
    {"bmp3_grey", "grey", "-colorspace gray -type palette -compress none BMP3:", TPixelFormat::pf8bit, false, 0, 0},
    {"bmp3_rle8", "color", "-type palette -compress RLE BMP3:", TPixelFormat::pf8bit, false, 0, 0},
    {"bmp3_rle8_grey", "grey", "-colorspace gray -type palette -compress RLE BMP3:", TPixelFormat::pf8bit, false, 0, 0},
    // A 40-byte header defines no alpha: the fourth bytes are not composited.
    {"bmp3_alpha_32", "alpha", "-define bmp3:alpha=true BMP3:", TPixelFormat::pf32bit, false, 0, 0},
    {"bmp4_24", "color", "BMP:", TPixelFormat::pf24bit, false, 0, 0},
    {"bmp4_truecolor", "color", "-type truecolor BMP:", TPixelFormat::pf24bit, false, 0, 0},
    {"bmp4_palette", "color", "-type palette -compress none BMP:", TPixelFormat::pf8bit, false, 0, 0},
    {"bmp4_16colors", "color", "-colors 16 -compress none BMP:", TPixelFormat::pf4bit, false, 0, 0},
    {"bmp4_bilevel", "color", "-type bilevel BMP:", TPixelFormat::pf1bit, false, 0, 0},
    {"bmp4_grey", "grey", "-colorspace gray -type palette -compress none BMP:", TPixelFormat::pf8bit, false, 0, 0},
    {"bmp4_rle8", "color", "-compress RLE -type palette BMP:", TPixelFormat::pf8bit, false, 0, 0},
    {"bmp4_alpha", "alpha", "BMP:", TPixelFormat::pf32bit, true, 0, 0},
    {"format_bmp2", "alpha", "-define bmp:format=bmp2 BMP:", TPixelFormat::pf24bit, false, 0, 0},
    {"format_bmp3", "alpha", "-define bmp:format=bmp3 BMP:", TPixelFormat::pf24bit, false, 0, 0},
    {"format_bmp4", "alpha", "-define bmp:format=bmp4 BMP:", TPixelFormat::pf32bit, true, 0, 0},
    {"rgb565", "color", "-define bmp:subtype=RGB565 BMP:", TPixelFormat::pf16bit, false, 1, 0},
    {"rgb555", "color", "-define bmp:subtype=RGB555 BMP:", TPixelFormat::pf15bit, false, 1, 0},
    {"argb1555", "alpha", "-define bmp:subtype=ARGB1555 BMP:", TPixelFormat::pf32bit, true, -1, 0, false},
    {"argb4444", "alpha", "-define bmp:subtype=ARGB4444 BMP:", TPixelFormat::pf32bit, true, -1, -1},
    {"pil_1", "color", "pil:1", TPixelFormat::pf1bit, false, 0, 0},
    {"pil_L", "grey", "pil:L", TPixelFormat::pf8bit, false, 0, 0},
    {"pil_P", "color", "pil:P", TPixelFormat::pf8bit, false, 0, 0},
    {"pil_RGB", "color", "pil:RGB", TPixelFormat::pf24bit, false, 0, 0},
    // Pillow writes RGBA as a 40-byte BI_RGB file, which defines no alpha (Pillow reads it so too).
    {"pil_RGBA", "alpha", "pil:RGBA", TPixelFormat::pf32bit, false, 0, 0},
};

void PrintTo(const WrittenCase& c, std::ostream* os) { *os << c.name; }

class WrittenByOthers : public ::testing::TestWithParam<WrittenCase> {};

TEST_P(WrittenByOthers, DecodesTheirPixels) {
    const WrittenCase& c = GetParam();
    const std::string source = Sources() + "/" + c.source + ".png";
    const std::string path = test::TempDir() + "/" + c.name + ".bmp";
    const std::string arguments = c.arguments;
    if (arguments.rfind("pil:", 0) == 0) {
        const std::string script = "from PIL import Image; Image.open('" + source + "').convert('" + arguments.substr(4) +
                                   "').save('" + path + "')";
        ASSERT_EQ(test::Run("/usr/bin/python3 -c \"" + script + "\""), 0);
    } else {
        const auto split = arguments.rfind(' ');
        const std::string options = split == std::string::npos ? "" : arguments.substr(0, split);
        const std::string prefix = split == std::string::npos ? arguments : arguments.substr(split + 1);
        ASSERT_EQ(test::Run("convert '" + source + "' " + options + " '" + prefix + path + "'"), 0);
    }
    const auto ours = LoadPath(path);
    EXPECT_EQ(ours->PixelFormat(), c.format);
    EXPECT_EQ(ours->AlphaChannel(), c.alpha);
    const RgbaImage mine = test::ToRgba(*ours);
    if (c.pillowTolerance >= 0) {
        const auto pillow = test::PillowDecode(path);
        ASSERT_TRUE(pillow) << "Pillow could not read " << c.name;
        EXPECT_LE(test::MaxDifference(mine, *pillow, c.alpha), c.pillowTolerance) << "against Pillow";
        EXPECT_GE(test::MaxDifference(mine, *pillow, c.alpha), 0);
    }
    if (c.magickTolerance >= 0) {
        const auto magick = test::MagickDecode(path);
        ASSERT_TRUE(magick) << "ImageMagick could not read " << c.name;
        EXPECT_EQ(test::MaxDifference(mine, *magick, c.alpha && c.magickAlpha), c.magickTolerance) << "against ImageMagick";
        if (!c.magickAlpha) {
            for (size_t i = 3; i < mine.rgba.size(); i += 4) ASSERT_EQ(mine.rgba[i], magick->rgba[i] ? 255 : 0) << i / 4;
        }
    } else {
        // 4-bit fields (15 is 255): within one 4-bit step of the source, as ImageMagick's
        // writer does not always round to the nearest step.
        const auto original = test::PillowDecode(source);
        ASSERT_TRUE(original);
        EXPECT_LE(test::MaxDifference(mine, *original, true), 17);
        EXPECT_GE(test::MaxDifference(mine, *original, true), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Bmp, WrittenByOthers, ::testing::ValuesIn(kWritten),
                         [](const auto& info) { return std::string(info.param.name); });

// Hand-built files for what neither tool writes, checked against whichever tool reads them.
struct HandCase {
    const char* name;
    std::vector<uint8_t> (*build)();
    int pillow;   // largest difference from Pillow (which scales 5-bit fields by 255/31 and
                  // truncates); -1: Pillow cannot read it or (RLE deltas, odd RLE4 runs) misreads it
    int magick;   // largest difference from ImageMagick 6 (which widens fields over 8 bits without
                  // rounding); -1: it reads OS/2 2.x colour tables with 3-byte entries and does not
                  // look for the colour table that a pixel offset forgets
};

std::vector<uint8_t> Os2Core4Bit() {
    // 12-byte header, 3-byte colour entries, 5 x 3 pixels of 4 bits.
    test::LeBytes info;
    info.u32(12).u16(5).u16(3).u16(1).u16(4);
    test::LeBytes table;
    for (int i = 0; i < 16; ++i) table.u8(i * 16).u8(255 - i * 10).u8(i * 7);
    const std::vector<uint8_t> pixels = {0x01, 0x23, 0x40, 0, 0x56, 0x78, 0x90, 0, 0xAB, 0xCD, 0xE0, 0};
    return BmpFile(info.data, table.data, pixels);
}

std::vector<uint8_t> Os2V2Header8Bit() {
    const std::vector<uint8_t> table = Quads({{10, 20, 30}, {200, 100, 50}, {0, 255, 0}, {9, 9, 9}});
    return BmpFile(InfoHeader(3, 2, 8, 0, 4, 64), table, {0, 1, 2, 0, 3, 2, 1, 0});
}

std::vector<uint8_t> TopDown24() {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) pixels.insert(pixels.end(), {uint8_t(x * 80), uint8_t(y * 100), uint8_t(x + y)});
        pixels.push_back(0);
        pixels.push_back(0);
        pixels.push_back(0);
    }
    return BmpFile(InfoHeader(3, -3, 24, 0), {}, pixels);
}

std::vector<uint8_t> TopDown8V5() {
    const std::vector<uint8_t> table = Quads({{255, 0, 0}, {0, 0, 255}, {255, 255, 255}});
    return BmpFile(InfoHeader(5, -2, 8, 0, 3, 124), table, {0, 1, 2, 1, 0, 0, 0, 0, 2, 2, 1, 1, 0, 0, 0, 0});
}

std::vector<uint8_t> V2Header24() { return BmpFile(InfoHeader(2, 1, 24, 0, 0, 52), {}, {1, 2, 3, 4, 5, 6, 0, 0}); }
std::vector<uint8_t> V3Header24() { return BmpFile(InfoHeader(2, 1, 24, 0, 0, 56), {}, {1, 2, 3, 4, 5, 6, 0, 0}); }

std::vector<uint8_t> ShortTable() {
    // Three colours declared for 8-bit pixels.
    const std::vector<uint8_t> table = Quads({{255, 0, 0}, {0, 255, 0}, {0, 0, 255}});
    return BmpFile(InfoHeader(4, 1, 8, 0, 3), table, {0, 1, 2, 1});
}

std::vector<uint8_t> OffsetWithGap() {
    const std::vector<uint8_t> table = Quads({{255, 0, 0}, {0, 255, 0}});
    std::vector<uint8_t> rest = table;
    rest.resize(rest.size() + 37, 0xEE);  // bytes between the colour table and the pixels
    return BmpFile(InfoHeader(9, 1, 1, 0, 2), rest, {0xA5, 0x80, 0, 0});
}

std::vector<uint8_t> OffsetForgetsTable() {
    const std::vector<uint8_t> table = Quads({{255, 0, 0}, {0, 255, 0}, {1, 2, 3}, {50, 60, 70}});
    return BmpFile(InfoHeader(4, 1, 8, 0, 4), table, {3, 2, 1, 0}, 54);
}

std::vector<uint8_t> Rgb555Plain() {
    test::LeBytes px;
    for (unsigned v : {0x0000u, 0x7FFFu, 0x7C00u, 0x03E0u, 0x001Fu, 0x1234u, 0x8421u}) px.u16(v);
    px.u16(0);
    return BmpFile(InfoHeader(7, 1, 16, 0), {}, px.data);
}

std::vector<uint8_t> Masks101010() {
    test::LeBytes px;
    for (uint32_t v : {0u, 0x3FFFFFFFu, 0x3FF00000u, 0x000FFC00u, 0x000003FFu, 0x12345678u}) px.u32(v);
    return BmpFile(InfoHeader(6, 1, 32, 3, 0, 124, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}), {}, px.data);
}

std::vector<uint8_t> Bitfields565Header40() {
    test::LeBytes masks;
    masks.u32(0xF800).u32(0x07E0).u32(0x001F);
    test::LeBytes px;
    for (unsigned v : {0xFFFFu, 0xF800u, 0x07E0u, 0x001Fu, 0x1234u}) px.u16(v);
    px.u16(0);
    return BmpFile(InfoHeader(5, 1, 16, 3), masks.data, px.data);
}

// RLE8 with an absolute run, a delta, an early end of line and an early end of bitmap.
std::vector<uint8_t> Rle8WithDelta() {
    const std::vector<uint8_t> table = Quads({{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}});
    const std::vector<uint8_t> data = {
        3, 1,             // row 0 (bottom): 1 1 1
        0, 3, 2, 3, 4, 0, // absolute 2 3 4 (padded)
        0, 0,             // end of line
        0, 2, 2, 1,       // delta: right 2, up 1 -> row 2, x 2
        2, 4,             // 4 4
        0, 0,             // end of line
        1, 3, 0, 0,       // row 3: 3, end of line
        0, 1,             // end of bitmap: rows 4 and 5 stay index 0
    };
    return BmpFile(InfoHeader(7, 5, 8, 1, 5), table, data);
}

// RLE4 with alternating runs, odd absolute runs and a delta.
std::vector<uint8_t> Rle4WithDelta() {
    const std::vector<uint8_t> table = Quads({{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 99, 199}, {250, 250, 250}});
    const std::vector<uint8_t> data = {
        5, 0x12,              // 1 2 1 2 1
        0, 3, 0x34, 0x50,     // absolute 3 4 5 (2 bytes, even)
        0, 0,                 // end of line
        0, 5, 0x12, 0x34, 0x50, 0, // absolute 1 2 3 4 5 (3 bytes, padded)
        0, 2, 1, 1,           // delta right 1, up 1
        3, 0x45,              // 4 5 4
        0, 1,                 // end of bitmap
    };
    return BmpFile(InfoHeader(9, 3, 4, 2, 6), table, data);
}

const HandCase kHand[] = {
    {"os2_core_4bit", Os2Core4Bit, 0, 0},
    {"os2_v2_8bit", Os2V2Header8Bit, 0, -1},
    {"top_down_24", TopDown24, 0, 0},
    {"top_down_8_v5", TopDown8V5, 0, 0},
    {"v2_header", V2Header24, -1, 0},
    {"v3_header", V3Header24, -1, 0},
    {"short_table", ShortTable, 0, 0},
    {"offset_gap", OffsetWithGap, 0, 0},
    {"offset_forgets_table", OffsetForgetsTable, 0, -1},
    {"rgb555_plain", Rgb555Plain, 1, 0},
    {"masks_10_10_10", Masks101010, -1, 1},
    {"bitfields_565_header40", Bitfields565Header40, 1, 0},
    {"rle8_delta", Rle8WithDelta, -1, 0},
    {"rle4_delta", Rle4WithDelta, -1, 0},
};

void PrintTo(const HandCase& c, std::ostream* os) { *os << c.name; }

class HandBuilt : public ::testing::TestWithParam<HandCase> {};

TEST_P(HandBuilt, DecodesLikeTheOtherReaders) {
    const HandCase& c = GetParam();
    const std::string path = test::TempDir() + "/" + c.name + ".bmp";
    test::WriteFile(path, c.build());
    const RgbaImage mine = test::ToRgba(*LoadPath(path));
    if (c.pillow >= 0) {
        const auto pillow = test::PillowDecode(path);
        ASSERT_TRUE(pillow);
        EXPECT_LE(test::MaxDifference(mine, *pillow), c.pillow) << "against Pillow";
        EXPECT_GE(test::MaxDifference(mine, *pillow), 0);
    }
    if (c.magick >= 0) {
        const auto magick = test::MagickDecode(path);
        ASSERT_TRUE(magick);
        EXPECT_LE(test::MaxDifference(mine, *magick), c.magick) << "against ImageMagick";
        EXPECT_GE(test::MaxDifference(mine, *magick), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Bmp, HandBuilt, ::testing::ValuesIn(kHand),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BmpRead, RleDeltaAndEarlyEndsLeaveIndexZero) {
    const auto bitmap = LoadBytes(Rle8WithDelta());
    ASSERT_EQ(bitmap->PixelFormat(), TPixelFormat::pf8bit);
    const auto index = [&](int x, int row) { return bitmap->ScanLine(bitmap->Height() - 1 - row)[x]; };
    const std::vector<std::vector<int>> expected = {
        {1, 1, 1, 2, 3, 4, 0}, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 4, 4, 0, 0, 0}, {3, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}};
    for (int row = 0; row < 5; ++row)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(index(x, row), expected[row][x]) << "x " << x << " row " << row;
}

TEST(BmpRead, IndicesPastAShortColourTableAreBlack) {
    // Readers disagree here (Pillow: a grey ramp, ImageMagick: entry 0 and a warning); black is
    // what the bitmap shows for an index without a colour.
    const std::vector<uint8_t> table = Quads({{255, 0, 0}, {0, 255, 0}, {0, 0, 255}});
    const auto bitmap = LoadBytes(BmpFile(InfoHeader(4, 1, 8, 0, 3), table, {0, 1, 2, 5}));
    EXPECT_EQ(bitmap->PaletteEntries().size(), 3u);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), (std::vector<uint8_t>{255, 0, 0, 255}));
    EXPECT_EQ(Pixel(*bitmap, 3, 0), (std::vector<uint8_t>{0, 0, 0, 255}));
}

TEST(BmpRead, TwoBitPixelsWidenToFourBits) {
    // Neither Pillow nor ImageMagick reads 2-bit files.
    const std::vector<uint8_t> table = Quads({{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}});
    const std::vector<uint8_t> pixels = {0b11100100, 0b11000000, 0, 0, 0b00011011, 0b01000000, 0, 0};
    const auto bitmap = LoadBytes(BmpFile(InfoHeader(5, 2, 2, 0, 4), table, pixels));
    ASSERT_EQ(bitmap->PixelFormat(), TPixelFormat::pf4bit);
    ASSERT_EQ(bitmap->PaletteEntries().size(), 4u);
    const int top[] = {0, 1, 2, 3, 1}, bottom[] = {3, 2, 1, 0, 3};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ((bitmap->ScanLine(0)[x / 2] >> (x % 2 ? 0 : 4)) & 15, top[x]) << x;
        EXPECT_EQ((bitmap->ScanLine(1)[x / 2] >> (x % 2 ? 0 : 4)) & 15, bottom[x]) << x;
    }
}

TEST(BmpRead, AlphaOnlyWhereTheFileDefinesIt) {
    test::LeBytes px;
    px.u32(0x80112233).u32(0x00445566);
    // A v5 header with an alpha mask: composited.
    auto withAlpha = LoadBytes(BmpFile(InfoHeader(2, 1, 32, 3, 0, 124, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}), {}, px.data));
    EXPECT_TRUE(withAlpha->AlphaChannel());
    EXPECT_EQ(Pixel(*withAlpha, 0, 0), (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x80}));
    EXPECT_EQ(Pixel(*withAlpha, 1, 0)[3], 0);
    // The same pixels with BI_RGB: the fourth byte is not alpha.
    auto plain = LoadBytes(BmpFile(InfoHeader(2, 1, 32, 0, 0, 124, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}), {}, px.data));
    EXPECT_FALSE(plain->AlphaChannel());
    EXPECT_EQ(Pixel(*plain, 1, 0)[3], 255);
    // An alpha mask over all-zero bytes means an opaque picture.
    test::LeBytes zero;
    zero.u32(0x00112233).u32(0x00445566);
    auto opaque = LoadBytes(BmpFile(InfoHeader(2, 1, 32, 3, 0, 124, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}), {}, zero.data));
    EXPECT_FALSE(opaque->AlphaChannel());
    // BI_ALPHABITFIELDS after a 40-byte header, in an unusual order (alpha low).
    test::LeBytes masks;
    masks.u32(0xFF000000).u32(0xFF0000).u32(0xFF00).u32(0xFF);
    test::LeBytes rgba;
    rgba.u32(0x11223340);
    auto six = LoadBytes(BmpFile(InfoHeader(1, 1, 32, 6), masks.data, rgba.data));
    EXPECT_TRUE(six->AlphaChannel());
    EXPECT_EQ(Pixel(*six, 0, 0), (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x40}));
    // Sixteen bits with four-bit fields: bits repeated, so 15 is 255.
    auto argb = LoadBytes(BmpFile(InfoHeader(1, 1, 16, 3, 0, 56, {0x0F00, 0x00F0, 0x000F, 0xF000}), {}, {0x5F, 0x8A, 0, 0}));
    EXPECT_EQ(Pixel(*argb, 0, 0), (std::vector<uint8_t>{0xAA, 0x55, 0xFF, 0x88}));
}

// Broken files: each raises one of the platform's errors, never a crash.
TEST(BmpRead, EveryTruncationRaises) {
    const std::string dir = test::TempDir();
    const std::vector<std::string> variants = {"-type palette -compress RLE BMP3:", "-colors 16 -compress none BMP:",
                                               "-define bmp:subtype=RGB565 BMP:", "BMP2:"};
    int index = 0;
    for (const std::string& variant : variants) {
        const std::string path = dir + "/t" + std::to_string(index++) + ".bmp";
        const auto split = variant.rfind(' ');
        const std::string options = split == std::string::npos ? "" : variant.substr(0, split);
        const std::string prefix = split == std::string::npos ? variant : variant.substr(split + 1);
        ASSERT_EQ(test::Run("convert -size 13x7 -seed 3 plasma:fractal " + options + " '" + prefix + path + "'"), 0);
        const std::vector<uint8_t> whole = test::ReadFile(path);
        const RgbaImage full = test::ToRgba(*LoadBytes(whole));
        for (size_t n = 0; n < whole.size(); ++n) {
            const std::vector<uint8_t> prefix(whole.begin(), whole.begin() + std::ptrdiff_t(n));
            try {
                const auto bitmap = LoadBytes(prefix);
                // Only the last row's padding or the final end-of-bitmap escape may be missing.
                EXPECT_GE(n + 4, whole.size()) << variant << " prefix " << n;
                EXPECT_EQ(test::MaxDifference(test::ToRgba(*bitmap), full), 0) << variant << " prefix " << n;
            } catch (const Exception&) {
            }
        }
    }
}

TEST(BmpRead, CorruptHeadersRaise) {
    const std::vector<uint8_t> table = Quads({{0, 0, 0}, {255, 255, 255}});
    const std::vector<uint8_t> rows(64, 0);
    struct Corrupt {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Corrupt> cases = {
        {"not BM", [&] { auto b = BmpFile(InfoHeader(4, 4, 24, 0), {}, rows); b[1] = 'X'; return b; }()},
        {"huge", BmpFile(InfoHeader(1000000, 1000000, 24, 0), {}, rows)},
        {"huge rle", BmpFile(InfoHeader(100000, 100000, 8, 1), table, {0, 1})},
        {"zero width", BmpFile(InfoHeader(0, 4, 24, 0), {}, rows)},
        {"negative width", BmpFile(InfoHeader(-4, 4, 24, 0), {}, rows)},
        {"zero height", BmpFile(InfoHeader(4, 0, 24, 0), {}, rows)},
        {"most negative height", BmpFile(InfoHeader(4, INT32_MIN, 24, 0), {}, rows)},
        {"tall for the data", BmpFile(InfoHeader(4, 400, 24, 0), {}, rows)},
        {"3 bits", BmpFile(InfoHeader(4, 4, 3, 0), {}, rows)},
        {"compression 9", BmpFile(InfoHeader(4, 4, 24, 9), {}, rows)},
        {"rle8 at 24 bits", BmpFile(InfoHeader(4, 4, 24, 1), {}, rows)},
        {"bitfields at 8 bits", BmpFile(InfoHeader(4, 4, 8, 3), {}, rows)},
        {"header size 200", BmpFile(InfoHeader(4, 4, 24, 0, 0, 200), {}, rows)},
        {"header size 8", BmpFile(InfoHeader(4, 4, 24, 0, 0, 8), {}, rows)},
        {"offset past the end", BmpFile(InfoHeader(4, 4, 24, 0), {}, rows, 100000)},
        {"offset inside the header", BmpFile(InfoHeader(4, 4, 24, 0), {}, rows, 20)},
        {"rle without end", BmpFile(InfoHeader(4, 4, 8, 1, 2), table, {4, 1, 0, 0, 4, 1})},
        {"rle delta below the image", BmpFile(InfoHeader(4, 4, 8, 1, 2), table, {0, 2, 0, 9, 4, 1, 0, 1})},
        {"rle absolute past the data", BmpFile(InfoHeader(4, 4, 8, 1, 2), table, {0, 200, 1, 1})},
        {"empty", {}},
        {"file header only", [&] { auto b = BmpFile(InfoHeader(4, 4, 24, 0), {}, rows); b.resize(14); return b; }()},
    };
    for (const Corrupt& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            LoadBytes(c.bytes);
            ADD_FAILURE() << c.name << " loaded";
        } catch (const EInvalidGraphic& e) {
            const std::string message = e.what();
            EXPECT_TRUE(message == messages::kInvalidBitmap || message.rfind("Image trop grande (", 0) == 0)
                << c.name << ": " << message;
        }
    }
    try {
        LoadBytes(BmpFile(InfoHeader(1000000, 1000000, 24, 0), {}, rows));
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Image trop grande (1000000 x 1000000).");
    }
}

// Our files: every pixel format saves as a BMP that Pillow and ImageMagick read back with our
// pixels, and that we read back unchanged.
TEST(BmpWrite, EveryPixelFormatOpensElsewhereWithOurPixels) {
    const auto source = LoadPath([] {
        const std::string path = test::TempDir() + "/source.bmp";
        EXPECT_EQ(test::Run("convert '" + Sources() + "/color.png' BMP3:'" + path + "'"), 0);
        return path;
    }());
    const TPixelFormat formats[] = {TPixelFormat::pf1bit,  TPixelFormat::pf4bit,  TPixelFormat::pf8bit,
                                    TPixelFormat::pf15bit, TPixelFormat::pf16bit, TPixelFormat::pf24bit,
                                    TPixelFormat::pf32bit, TPixelFormat::pfDevice};
    for (TPixelFormat format : formats) {
        TBitmap bitmap;
        bitmap.Assign(*source);
        bitmap.SetPixelFormat(format);
        if (format == TPixelFormat::pf8bit) {
            // A palette shorter than 256 colours is stored as it is.
            std::vector<TPaletteEntry> entries(bitmap.PaletteEntries().begin(), bitmap.PaletteEntries().begin() + 40);
            TBitmap reduced;
            reduced.Reset(bitmap.Width(), bitmap.Height(), TPixelFormat::pf8bit, entries);
            for (int y = 0; y < bitmap.Height(); ++y)
                for (int x = 0; x < bitmap.Width(); ++x) reduced.ScanLine(y)[x] = uint8_t((x * 7 + y * 3) % 40);
            bitmap.Assign(reduced);
        }
        const std::string name = "format" + std::to_string(int(format));
        const std::string path = test::TempDir() + "/" + name + ".bmp";
        bitmap.SaveToFile(path);
        const RgbaImage mine = test::ToRgba(bitmap);
        const std::vector<uint8_t> file = test::ReadFile(path);
        ASSERT_GE(file.size(), 54u);
        EXPECT_EQ(file[14], 40) << name;
        EXPECT_EQ(file[38] | file[42], 0) << name << ": resolution";
        const bool sixteen = format == TPixelFormat::pf15bit || format == TPixelFormat::pf16bit;
        const auto pillow = test::PillowDecode(path);
        ASSERT_TRUE(pillow) << name;
        EXPECT_LE(test::MaxDifference(mine, *pillow), sixteen ? 1 : 0) << name << " in Pillow";
        EXPECT_GE(test::MaxDifference(mine, *pillow), 0) << name;
        const auto magick = test::MagickDecode(path);
        ASSERT_TRUE(magick) << name;
        EXPECT_EQ(test::MaxDifference(mine, *magick), 0) << name << " in ImageMagick";
        const auto back = LoadBytes(file);
        EXPECT_EQ(test::MaxDifference(test::ToRgba(*back), mine), 0) << name;
        const TPixelFormat expected = format == TPixelFormat::pfDevice ? TPixelFormat::pf24bit : format;
        EXPECT_EQ(back->PixelFormat(), expected) << name;
        if (IsIndexed(format)) {
            EXPECT_EQ(file[46] | (file[47] << 8), int(bitmap.PaletteEntries().size())) << name << ": colours used";
            EXPECT_TRUE(std::equal(back->PaletteEntries().begin(), back->PaletteEntries().end(),
                                   bitmap.PaletteEntries().begin(), bitmap.PaletteEntries().end()))
                << name;
        }
        if (format == TPixelFormat::pf16bit) {
            EXPECT_EQ(file[30], 3) << "BI_BITFIELDS";
            EXPECT_EQ(std::vector<uint8_t>(file.begin() + 54, file.begin() + 66),
                      (std::vector<uint8_t>{0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}));
        }
    }
}

TEST(BmpWrite, EmptyBitmapWritesNothing) {
    TBitmap empty;
    TMemoryStream stream;
    empty.SaveToStream(stream);
    EXPECT_EQ(stream.Size(), 0);
}

TEST(BmpRead, StartsAtTheStreamPosition) {
    // A BMP after other bytes: the pixel offset counts from the file header.
    std::vector<uint8_t> bytes(5, 0x77);
    const std::vector<uint8_t> file = TopDown24();
    bytes.insert(bytes.end(), file.begin(), file.end());
    TBytesStream stream(bytes.data(), bytes.size());
    stream.SetPosition(5);
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    EXPECT_EQ(test::MaxDifference(test::ToRgba(bitmap), test::ToRgba(*LoadBytes(file))), 0);
}

} // namespace
} // namespace vermaline
