// Icons: ImageMagick's multi-size icons load their largest image, transparency shows the
// destination when drawn, hand-built BMP entries with AND masks decode as Pillow decodes them,
// our saved icons open in Pillow and ImageMagick, and broken icons raise.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "formats/platform/bitmap.h"
#include "formats/platform/canvas.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/icon.h"
#include "formats/platform/stream.h"
#include "tests/support/oracle.h"

namespace vermaline {
namespace {

std::unique_ptr<TIcon> LoadIcon(const std::vector<uint8_t>& bytes) {
    auto icon = std::make_unique<TIcon>();
    TBytesStream stream(bytes.data(), bytes.size());
    icon->LoadFromStream(stream);
    return icon;
}


// A BMP icon image: information header of doubled height, colour table, XOR rows, AND rows.
std::vector<uint8_t> DibEntry(int width, int height, int bits, const std::vector<std::array<uint8_t, 3>>& colors,
                              const std::vector<uint8_t>& xorRows, const std::vector<uint8_t>& andRows) {
    test::LeBytes b;
    b.u32(40).u32(width).u32(2 * height).u16(1).u16(bits).u32(0).u32(0).u32(0).u32(0).u32(uint32_t(colors.size())).u32(0);
    for (auto& c : colors) b.u8(c[2]).u8(c[1]).u8(c[0]).u8(0);
    return b.raw(xorRows).raw(andRows).data;
}

std::vector<uint8_t> IconFile(const std::vector<std::vector<uint8_t>>& images, const std::vector<std::array<int, 3>>& sizes) {
    test::LeBytes b;
    b.u16(0).u16(1).u16(uint32_t(images.size()));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        b.u8(sizes[i][0]).u8(sizes[i][1]).u8(0).u8(0).u16(1).u16(sizes[i][2]).u32(uint32_t(images[i].size())).u32(offset);
        offset += uint32_t(images[i].size());
    }
    for (auto& image : images) b.raw(image);
    return b.data;
}

// 5 x 3 pixels: a 4-bit entry and an 8-bit one of the same size (the deeper wins), and a
// smaller 32-bit one.
std::vector<uint8_t> HandBuiltIcon() {
    const std::vector<std::array<uint8_t, 3>> colors = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    // Rows bottom-up, each padded to 4 bytes; AND rows of 1 bit, 1 = transparent.
    const std::vector<uint8_t> xor4 = {0x12, 0x31, 0x20, 0, 0x33, 0x33, 0x30, 0, 0x21, 0x12, 0x10, 0};
    const std::vector<uint8_t> xor8 = {1, 2, 3, 1, 2, 0, 0, 0, 3, 3, 3, 3, 3, 0, 0, 0, 2, 1, 1, 2, 1, 0, 0, 0};
    const std::vector<uint8_t> mask = {0b10001000, 0, 0, 0, 0b00000000, 0, 0, 0, 0b11000000, 0, 0, 0};
    std::vector<uint8_t> small = DibEntry(2, 2, 32, {}, std::vector<uint8_t>(16, 0x80), std::vector<uint8_t>(8, 0));
    return IconFile({DibEntry(5, 3, 4, colors, xor4, mask), DibEntry(5, 3, 8, colors, xor8, mask), small},
                    {{5, 3, 4}, {5, 3, 8}, {2, 2, 32}});
}

std::string TransparentCornersPng() {
    const std::string path = test::TempDir() + "/disc.png";
    EXPECT_EQ(test::Run("convert -size 48x48 xc:none -fill '#d02040' -draw 'circle 24,24 24,3' '" + path + "'"), 0);
    return path;
}

TEST(Icon, ImageMagickIconLoadsTheLargestImage) {
    const std::string dir = test::TempDir();
    const std::string ico = dir + "/x.ico";
    ASSERT_EQ(test::Run("convert '" + TransparentCornersPng() + "' -define icon:auto-resize=16,32,48 '" + ico + "'"), 0);
    const auto icon = LoadIcon(test::ReadFile(ico));
    EXPECT_STREQ(icon->ClassName(), "TIcon");
    ASSERT_EQ(icon->Width(), 48);
    ASSERT_EQ(icon->Height(), 48);
    const auto pillow = test::PillowDecode(ico);
    ASSERT_TRUE(pillow);
    EXPECT_EQ(test::MaxDifference(test::ToRgba(icon->Image()), *pillow, true), 0);
    // The mask marks exactly the fully transparent pixels.
    EXPECT_EQ(icon->Mask().GetPixel(0, 0), clWhite);
    EXPECT_EQ(icon->Mask().GetPixel(24, 24), clBlack);
}

TEST(Icon, TransparentCornersShowTheDestination) {
    const std::string ico = test::TempDir() + "/x.ico";
    ASSERT_EQ(test::Run("convert '" + TransparentCornersPng() + "' -define icon:auto-resize=16,32,48 '" + ico + "'"), 0);
    auto icon = LoadIcon(test::ReadFile(ico));
    TBitmap target(48, 48, TPixelFormat::pf24bit);
    target.Canvas().Brush.Color = RGB(10, 200, 30);
    target.Canvas().FillRect(Rect(0, 0, 48, 48));
    target.Canvas().Draw(0, 0, *icon);
    for (auto [x, y] : {std::pair{0, 0}, {47, 0}, {0, 47}, {47, 47}}) EXPECT_EQ(target.GetPixel(x, y), RGB(10, 200, 30));
    EXPECT_EQ(target.GetPixel(24, 24), RGB(0xd0, 0x20, 0x40));
    // A bitmap assigned from the icon shows white where the icon is transparent.
    TBitmap flat;
    flat.Assign(*icon);
    EXPECT_EQ(flat.GetPixel(0, 0), clWhite);
    EXPECT_EQ(flat.GetPixel(24, 24), RGB(0xd0, 0x20, 0x40));
}

TEST(Icon, BmpEntriesWithAndMasksDecodeLikePillow) {
    const std::string path = test::TempDir() + "/hand.ico";
    test::WriteFile(path, HandBuiltIcon());
    const auto icon = LoadIcon(test::ReadFile(path));
    ASSERT_EQ(icon->Width(), 5);
    ASSERT_EQ(icon->Height(), 3);
    const test::RgbaImage mine = test::ToRgba(icon->Image());
    // The 8-bit entry was chosen: its top row is 2 1 1 2 1.
    EXPECT_EQ(icon->Image().GetPixel(0, 0), RGB(0, 255, 0));
    EXPECT_EQ(icon->Image().GetPixel(1, 0), RGB(255, 0, 0));
    const auto pillow = test::PillowDecode(path);
    ASSERT_TRUE(pillow);
    EXPECT_EQ(test::MaxDifference(mine, *pillow, true), 0);
    // Top row: the mask's bottom-up last row, 11000: the first two pixels are transparent.
    EXPECT_EQ(mine.rgba[3], 0);
    EXPECT_EQ(mine.rgba[7], 0);
    EXPECT_EQ(mine.rgba[11], 255);
}

TEST(Icon, SavedIconOpensElsewhereWithOurPixels) {
    const std::string dir = test::TempDir();
    const std::string source = dir + "/source.ico";
    ASSERT_EQ(test::Run("convert '" + TransparentCornersPng() + "' -define icon:auto-resize=48 '" + source + "'"), 0);
    auto icon = LoadIcon(test::ReadFile(source));
    icon->SetSize(53, 50);  // odd width: padded mask rows; the new area is transparent
    EXPECT_EQ(icon->Image().ScanLine(49)[4 * 52 + 3], 0);
    EXPECT_EQ(icon->Mask().GetPixel(52, 49), clWhite);
    const std::string saved = dir + "/saved.ico";
    icon->SaveToFile(saved);
    const test::RgbaImage mine = test::ToRgba(icon->Image());
    const auto pillow = test::PillowDecode(saved);
    ASSERT_TRUE(pillow);
    EXPECT_EQ(test::MaxDifference(mine, *pillow, true), 0);
    const auto magick = test::MagickDecode(saved);
    ASSERT_TRUE(magick);
    EXPECT_EQ(test::MaxDifference(mine, *magick, true), 0);
    // And back: the same pixels, and a copy by Assign too.
    const auto back = LoadIcon(test::ReadFile(saved));
    EXPECT_EQ(test::MaxDifference(test::ToRgba(back->Image()), mine, true), 0);
    TIcon copy;
    copy.Assign(*back);
    EXPECT_EQ(test::MaxDifference(test::ToRgba(copy.Image()), mine, true), 0);
    EXPECT_TRUE(copy.Equals(*back));
}

TEST(Icon, PngEntriesGoThroughTheDecoderHook) {
    const std::string ico = test::TempDir() + "/png.ico";
    // Pillow stores icon images as PNG.
    ASSERT_EQ(test::Run("/usr/bin/python3 -c \"from PIL import Image; Image.open('" + TransparentCornersPng() +
                        "').save('" + ico + "', sizes=[(48, 48)])\""),
              0);
    const std::vector<uint8_t> bytes = test::ReadFile(ico);
    TIcon::SetPngDecoder(nullptr);
    EXPECT_THROW(LoadIcon(bytes), EInvalidGraphic);
    std::vector<uint8_t> seen;
    TIcon::SetPngDecoder([&](TStream& stream, TBitmap& bitmap) {
        seen.resize(static_cast<size_t>(stream.Size()));
        stream.ReadBuffer(seen.data(), stream.Size());
        bitmap.Reset(2, 1, TPixelFormat::pf24bit, {});
        bitmap.SetPixel(0, 0, RGB(1, 2, 3));
    });
    const auto icon = LoadIcon(bytes);
    TIcon::SetPngDecoder(nullptr);
    ASSERT_GE(seen.size(), 8u);
    EXPECT_EQ(seen[1], 'P');
    EXPECT_EQ(icon->Width(), 2);
    EXPECT_EQ(icon->Image().GetPixel(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(icon->Image().ScanLine(0)[3], 255) << "a PNG without alpha is opaque";
}

TEST(Icon, BrokenIconsRaise) {
    const std::vector<uint8_t> whole = HandBuiltIcon();
    for (size_t n = 0; n < whole.size(); ++n) {
        const std::vector<uint8_t> prefix(whole.begin(), whole.begin() + std::ptrdiff_t(n));
        try {
            LoadIcon(prefix);
        } catch (const Exception&) {
        }
    }
    std::vector<uint8_t> badType = whole;
    badType[2] = 7;
    EXPECT_THROW(LoadIcon(badType), EInvalidGraphic);
    std::vector<uint8_t> noEntries = {0, 0, 1, 0, 0, 0};
    EXPECT_THROW(LoadIcon(noEntries), EInvalidGraphic);
    std::vector<uint8_t> farOffsets = whole;
    for (int i = 0; i < 3; ++i) farOffsets[6 + 16 * i + 15] = 0x7F;
    try {
        LoadIcon(farOffsets);
        ADD_FAILURE() << "loaded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), messages::kInvalidIcon);
    }
    // Icon images are uncompressed: an RLE entry, which could claim millions of rows in a few
    // bytes, is refused.
    std::vector<uint8_t> rle = DibEntry(7, 9000000, 8, {{0, 0, 0}}, {0, 1}, {});
    rle[16] = 1;
    EXPECT_THROW(LoadIcon(IconFile({rle}, {{7, 0, 8}})), EInvalidGraphic);
    // A huge entry is refused before anything is allocated.
    std::vector<uint8_t> huge = IconFile({DibEntry(60000, 60000, 32, {}, std::vector<uint8_t>(64, 0), {})}, {{0, 0, 32}});
    EXPECT_THROW(LoadIcon(huge), EInvalidGraphic);
    // A PNG entry claiming 2^32 - 1 pixels each way is not measured as a candidate at all.
    test::LeBytes png;
    png.raw({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}).u32(0x0D000000).raw({'I', 'H', 'D', 'R'});
    png.raw({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 8, 6, 0, 0, 0}).u32(0);
    EXPECT_THROW(LoadIcon(IconFile({png.data}, {{0, 0, 32}})), EInvalidGraphic);
}

TEST(Icon, EmptyIcon) {
    TIcon icon;
    EXPECT_TRUE(icon.Empty());
    TMemoryStream stream;
    icon.SaveToStream(stream);
    EXPECT_EQ(stream.Size(), 0);
    TBitmap bitmap(2, 2);
    EXPECT_THROW(icon.Assign(bitmap), EConvertError);
}

} // namespace
} // namespace vermaline
