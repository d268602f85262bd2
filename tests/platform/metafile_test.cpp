#include "formats/platform/metafile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

using namespace std::string_literals;

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

struct EmfRecord {
    uint32_t type;
    size_t offset;
    uint32_t size;
};

// Walks the records of an EMF, checking that each lies inside the file; stops after EMR_EOF.
std::vector<EmfRecord> WalkEmf(const std::vector<uint8_t>& bytes) {
    std::vector<EmfRecord> records;
    size_t offset = 0;
    while (offset + 8 <= bytes.size()) {
        const EmfRecord r{U32(bytes, offset), offset, U32(bytes, offset + 4)};
        EXPECT_GE(r.size, 8u);
        EXPECT_EQ(r.size % 4, 0u);
        EXPECT_LE(offset + r.size, bytes.size());
        if (r.size < 8 || offset + r.size > bytes.size()) break;
        records.push_back(r);
        offset += r.size;
        if (r.type == 14) break;
    }
    EXPECT_EQ(offset, bytes.size()) << "bytes after EMR_EOF or a record past the end";
    return records;
}

TEST(MetafileEmfOutput, IsAStructurallyValidEnhancedMetafile) {
    const auto source = Gradient();
    const std::vector<uint8_t> emf = Record(*source, true, true);
    const std::vector<EmfRecord> records = WalkEmf(emf);
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records.front().type, 1u);
    EXPECT_EQ(records.back().type, 14u);
    EXPECT_EQ(U32(emf, 40), 0x464D4520u);            // " EMF"
    EXPECT_EQ(U32(emf, 48), emf.size());              // nBytes
    EXPECT_EQ(U32(emf, 52), records.size());          // nRecords
    EXPECT_GE(U16(emf, 56), 1);                        // nHandles counts the reserved index 0
    // Bounds in device pixels and frame in 0.01 mm, both inclusive, of 40 x 30 pixels at 96 dpi.
    const int32_t bounds[4] = {I32(emf, 8), I32(emf, 12), I32(emf, 16), I32(emf, 20)};
    EXPECT_EQ(std::vector<int32_t>(bounds, bounds + 4), (std::vector<int32_t>{0, 0, 39, 29}));
    EXPECT_EQ(I32(emf, 24), 0);
    EXPECT_EQ(I32(emf, 28), 0);
    EXPECT_NEAR(I32(emf, 32) + 1, 40 * 2540.0 / 96, 1);
    EXPECT_NEAR(I32(emf, 36) + 1, 30 * 2540.0 / 96, 1);
    // The reference device is 96 dpi: pixels over millimetres.
    EXPECT_NEAR(I32(emf, 72) / double(I32(emf, 80)), 96 / 25.4, 1e-9);
    EXPECT_NEAR(I32(emf, 76) / double(I32(emf, 84)), 96 / 25.4, 1e-9);
    // The description: creator, NUL, description, NUL, NUL in UTF-16LE.
    const std::u16string expected = u"Q.Z.M.\0Fichier généré par QZM\0\0"s;
    ASSERT_EQ(U32(emf, 60), expected.size());
    const size_t at = U32(emf, 64);
    ASSERT_LE(at + 2 * expected.size(), records.front().size);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(U16(emf, at + 2 * i), expected[i]) << i;
    // The bitmap is one stretched DIB transfer, source copy, of a 24-bit DIB over the whole frame.
    const auto dib = std::find_if(records.begin(), records.end(), [](const EmfRecord& r) { return r.type == 81; });
    ASSERT_NE(dib, records.end());
    const size_t o = dib->offset;
    EXPECT_EQ(U32(emf, o + 68), 0x00CC0020u);
    EXPECT_EQ(I32(emf, o + 24), 0);
    EXPECT_EQ(I32(emf, o + 28), 0);
    EXPECT_EQ(I32(emf, o + 72), 40);
    EXPECT_EQ(I32(emf, o + 76), 30);
    const size_t bmi = o + U32(emf, o + 48);
    EXPECT_EQ(U32(emf, bmi), 40u);
    EXPECT_EQ(I32(emf, bmi + 4), 40);
    EXPECT_EQ(I32(emf, bmi + 8), 30);
    EXPECT_EQ(U16(emf, bmi + 14), 24);
    EXPECT_EQ(U32(emf, o + 60), 120u * 30);  // 40 pixels of 3 bytes, already a multiple of 4

    // Pillow recognises the file and takes its size from the bounds; it reads the inclusive
    // right and bottom edges as exclusive (as for any EMF the GDI writes), hence one less.
    const std::string path = test::TempDir() + "/picture.emf";
    test::WriteFile(path, emf);
    EXPECT_EQ(test::Capture("/usr/bin/python3 -c \"from PIL import Image; im = Image.open('" + path +
                            "'); print(im.format, im.size)\""),
              "WMF (39, 29)\n");
}

TEST(MetafileOutput, PlaysBackThroughOurReaderToTheSamePixels) {
    const auto source = Gradient();
    for (const bool enhanced : {true, false}) {
        SCOPED_TRACE(enhanced ? "EMF" : "WMF");
        const auto metafile = Load(Record(*source, enhanced, true));
        EXPECT_EQ(metafile->Enhanced(), enhanced);
        EXPECT_EQ(metafile->Width(), 40);
        EXPECT_EQ(metafile->Height(), 30);
        EXPECT_EQ(test::MaxDifference(Render(*metafile, 40, 30), test::ToRgba(*source)), 0);
        if (enhanced) {
            EXPECT_EQ(metafile->CreatedBy(), "Q.Z.M.");
            EXPECT_EQ(metafile->Description(), "Fichier généré par QZM");
        }
    }
}

TEST(MetafileOutput, PlainCanvasStoresNoDescriptionAndShapesSurviveBothFormats) {
    TMetafile metafile;
    metafile.SetWidth(50);
    metafile.SetHeight(40);
    {
        TMetafileCanvas canvas(metafile);
        canvas.Brush.Color = RGB(0, 128, 255);
        canvas.FillRect(Rect(0, 0, 50, 40));
        canvas.Pen.Color = RGB(255, 0, 0);
        canvas.Brush.Color = RGB(0, 255, 0);
        canvas.Rectangle(Rect(5, 5, 20, 15));
        canvas.Brush.Color = RGB(255, 255, 0);
        canvas.Ellipse(Rect(25, 5, 45, 25));
        const TPoint triangle[] = {{5, 35}, {20, 20}, {35, 35}};
        canvas.Polygon(triangle);
    }
    TBitmap direct(50, 40, TPixelFormat::pf24bit);
    direct.Canvas().StretchDraw(Rect(0, 0, 50, 40), metafile);
    for (const bool enhanced : {true, false}) {
        SCOPED_TRACE(enhanced ? "EMF" : "WMF");
        metafile.SetEnhanced(enhanced);
        TMemoryStream stream;
        metafile.SaveToStream(stream);
        if (enhanced) {
            EXPECT_EQ(U32(stream.Bytes(), 60), 0u);  // no description
        }
        const auto loaded = Load(stream.Bytes());
        EXPECT_EQ(test::MaxDifference(Render(*loaded, 50, 40), test::ToRgba(direct)), 0);
    }
    EXPECT_EQ(direct.GetPixel(1, 1), RGB(0, 128, 255));
    EXPECT_EQ(direct.GetPixel(5, 5), RGB(255, 0, 0));     // the rectangle's outline
    EXPECT_EQ(direct.GetPixel(10, 10), RGB(0, 255, 0));   // its interior
    EXPECT_EQ(direct.GetPixel(35, 15), RGB(255, 255, 0)); // the ellipse's centre
    EXPECT_EQ(direct.GetPixel(20, 30), RGB(255, 255, 0)); // the triangle's interior
    EXPECT_EQ(direct.GetPixel(40, 35), RGB(0, 128, 255));
}

// Words of a WMF that another program could have written, record by record.
class WmfBuilder {
public:
    void Record(uint16_t function, std::initializer_list<int> parameters) {
        largest_ = std::max(largest_, uint16_t(3 + parameters.size()));
        words_.push_back(uint16_t(3 + parameters.size()));
        words_.push_back(0);
        words_.push_back(function);
        for (int p : parameters) words_.push_back(static_cast<uint16_t>(p));
    }
    // Placeable header with the box and units per inch, then the WMF header and the records.
    std::vector<uint8_t> Bytes(int right, int bottom, int inch, uint16_t objects) const {
        std::vector<uint16_t> all = {0xCDD7, 0x9AC6, 0, 0, 0, uint16_t(right), uint16_t(bottom), uint16_t(inch), 0, 0};
        uint16_t checksum = 0;
        for (uint16_t w : all) checksum ^= w;
        all.push_back(checksum);
        const uint32_t size = uint32_t(9 + words_.size() + 3);
        for (uint16_t w : {uint16_t(1), uint16_t(9), uint16_t(0x300), uint16_t(size & 0xFFFF), uint16_t(size >> 16),
                           objects, largest_, uint16_t(0), uint16_t(0)})
            all.push_back(w);
        all.insert(all.end(), words_.begin(), words_.end());
        for (uint16_t w : {uint16_t(3), uint16_t(0), uint16_t(0)}) all.push_back(w);  // META_EOF
        std::vector<uint8_t> bytes;
        for (uint16_t w : all) {
            bytes.push_back(uint8_t(w));
            bytes.push_back(uint8_t(w >> 8));
        }
        return bytes;
    }

private:
    std::vector<uint16_t> words_;
    uint16_t largest_ = 3;  // libwmf needs the header's largest record size to be right
};

// Colours as COLORREF parameter words (low word red and green, high word blue).
int Lo(TColor c) { return int(c & 0xFFFF); }
int Hi(TColor c) { return int(c >> 16); }

constexpr TColor kGrey = RGB(192, 192, 192);

std::vector<uint8_t> ForeignWmf() {
    // 1440 units per inch over a box of 1440 x 1080 units: 96 x 72 pixels, 15 units a pixel.
    WmfBuilder b;
    b.Record(0x020B, {0, 0});                                          // SETWINDOWORG
    b.Record(0x020C, {1080, 1440});                                    // SETWINDOWEXT (y, x)
    b.Record(0x02FC, {0, Lo(kGrey), Hi(kGrey), 0});                    // grey brush: slot 0
    b.Record(0x02FA, {5, 0, 0, 0, 0});                                 // null pen: slot 1
    b.Record(0x012D, {0});
    b.Record(0x012D, {1});
    b.Record(0x041B, {1080, 1440, 0, 0});                              // RECTANGLE over the box
    b.Record(0x02FC, {0, Lo(RGB(255, 0, 0)), Hi(RGB(255, 0, 0)), 0});  // red brush: slot 2
    b.Record(0x012D, {2});
    b.Record(0x01F0, {0});                                             // delete the grey brush
    b.Record(0x041B, {450, 600, 150, 150});                            // RECTANGLE px (10,10)-(40,30)
    b.Record(0x0777, {1, 2, 3, 4, 5, 6, 7});                           // an unknown record, skipped
    b.Record(0x02FC, {0, Lo(RGB(0, 0, 255)), Hi(RGB(0, 0, 255)), 0});  // blue brush: free slot 0
    b.Record(0x012D, {0});
    b.Record(0x01F0, {2});                                             // delete the red brush
    b.Record(0x0324, {3, 750, 150, 1350, 150, 1050, 750});             // POLYGON px (50,10) (90,10) (70,50)
    b.Record(0x02FC, {0, Lo(RGB(0, 255, 0)), Hi(RGB(0, 255, 0)), 0});  // green brush: free slot 2
    b.Record(0x012D, {2});
    b.Record(0x0418, {1050, 900, 600, 150});                           // ELLIPSE px (10,40)-(60,70)
    return b.Bytes(1440, 1080, 1440, 3);
}

TEST(MetafileForeignWmf, PlaysRectanglesPolygonsAndEllipsesWithTheirBrushes) {
    const auto metafile = Load(ForeignWmf());
    EXPECT_FALSE(metafile->Enhanced());
    EXPECT_EQ(metafile->Width(), 96);
    EXPECT_EQ(metafile->Height(), 72);
    const RgbaImage image = Render(*metafile, 96, 72);
    const auto at = [&](int x, int y) {
        const uint8_t* p = &image.rgba[(size_t(y) * 96 + x) * 4];
        return RGB(p[0], p[1], p[2]);
    };
    const struct { int x, y; TColor c; } cases[] = {
        {10, 10, RGB(255, 0, 0)}, {39, 29, RGB(255, 0, 0)}, {25, 20, RGB(255, 0, 0)},  // rectangle, null pen
        {9, 20, kGrey},           {40, 20, kGrey},          {25, 30, kGrey},
        {70, 20, RGB(0, 0, 255)}, {70, 45, RGB(0, 0, 255)}, {52, 30, kGrey},  // triangle
        {88, 30, kGrey},          {35, 55, RGB(0, 255, 0)}, {12, 42, kGrey},  // ellipse and its corner
    };
    for (const auto& c : cases) EXPECT_EQ(at(c.x, c.y), c.c) << c.x << "," << c.y;
    // Drawn at twice the size, the records scale with the frame.
    const RgbaImage twice = Render(*metafile, 192, 144);
    const uint8_t* p = &twice.rgba[(size_t(40) * 192 + 50) * 4];
    EXPECT_EQ(RGB(p[0], p[1], p[2]), RGB(255, 0, 0));
}

TEST(MetafileForeignWmf, LibwmfDrawsOurTestFileLikeWeDo) {
    // The hand-built file must mean what we think it means: libwmf agrees on its colours.
    const std::string dir = test::TempDir();
    test::WriteFile(dir + "/foreign.wmf", ForeignWmf());
    ASSERT_EQ(test::Run("wmf2gd --maxwidth=96 --maxheight=72 --maxsize -t png -o '" + dir + "/foreign.png' '" + dir +
                        "/foreign.wmf' 2>/dev/null"),
              0);
    const auto theirs = test::PillowDecode(dir + "/foreign.png");
    ASSERT_TRUE(theirs);
    ASSERT_EQ(theirs->width, 96);
    const auto ours = Render(*Load(ForeignWmf()), 96, 72);
    // Rectangles, polygon and background only: libwmf's PNG renderer leaves filled ellipses out
    // (its SVG output has this one, in green).
    for (const TPoint p : {TPoint{25, 20}, TPoint{70, 25}, TPoint{5, 5}, TPoint{88, 60}, TPoint{45, 20}}) {
        const size_t i = (size_t(p.Y) * 96 + p.X) * 4;
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(theirs->rgba[i + c], ours.rgba[i + c], 16) << p.X << "," << p.Y;
    }
}

// An EMF another program might write: a y-up anisotropic mapping, stock objects, a
// poly-polygon with a hole, a saved and restored state.
std::vector<uint8_t> ForeignEmf() {
    std::vector<uint32_t> records;
    uint32_t count = 0;
    const auto record = [&](uint32_t type, std::initializer_list<uint32_t> fields) {
        records.push_back(type);
        records.push_back(uint32_t(8 + 4 * fields.size()));
        records.insert(records.end(), fields);
        ++count;
    };
    const auto i = [](int32_t v) { return static_cast<uint32_t>(v); };
    record(17, {8});                        // SETMAPMODE anisotropic
    record(10, {0, 0});                     // SETWINDOWORGEX
    record(9, {100, i(-100)});              // SETWINDOWEXTEX: y grows upwards
    record(12, {0, 80});                    // SETVIEWPORTORGEX: logical y 0 at the bottom
    record(11, {80, 80});                   // SETVIEWPORTEXTEX
    record(39, {1, 0, RGB(255, 0, 0), 0});  // CREATEBRUSHINDIRECT red at 1
    record(37, {1});
    record(37, {0x80000008});               // NULL_PEN
    record(33, {});                         // SAVEDC
    record(37, {0x80000004});               // BLACK_BRUSH
    record(33, {});
    record(34, {i(-2)});                    // RESTOREDC two levels: red again
    // POLYPOLYGON16: an outer square (10,10)-(90,90) and a hole (40,40)-(60,60), in logical units.
    record(91, {0, 0, 0, 0, 2, 8, 4, 4,    // bounds, 2 polygons, 8 points, 4 + 4
                10 | 10u << 16, 90 | 10u << 16, 90 | 90u << 16, 10 | 90u << 16,
                40 | 40u << 16, 60 | 40u << 16, 60 | 60u << 16, 40 | 60u << 16});
    record(0x4321, {1, 2, 3});              // unknown, skipped
    record(14, {0, 16, 20});                // EOF
    std::vector<uint32_t> header = {1, 88, 0, 0, 79, 79, 0, 0, 2116, 2116, 0x464D4520, 0x10000, 0, 0, 2, 0, 0, 0,
                                    1920, 1440, 508, 381};
    header[12] = uint32_t(4 * (header.size() + records.size()));
    header[13] = count + 1;
    header[14] = 2;  // nHandles (u16) and sReserved
    std::vector<uint8_t> bytes;
    for (const auto* part : {&header, &records})
        for (uint32_t v : *part)
            for (int k = 0; k < 4; ++k) bytes.push_back(uint8_t(v >> (8 * k)));
    return bytes;
}

TEST(MetafileForeignEmf, MapsWindowToViewportAndFillsPolyPolygonsWithHoles) {
    const auto metafile = Load(ForeignEmf());
    EXPECT_TRUE(metafile->Enhanced());
    // A frame of 2117 hundredths of a millimetre is 80 pixels at 96 dpi.
    EXPECT_EQ(metafile->Width(), 80);
    EXPECT_EQ(metafile->Height(), 80);
    TBitmap target(80, 80, TPixelFormat::pf24bit);
    target.Canvas().StretchDraw(Rect(0, 0, 80, 80), *metafile);
    // Logical (x, y) lands at pixel (0.8 x, 80 - 0.8 y).
    EXPECT_EQ(target.GetPixel(12, 12), RGB(255, 0, 0));  // inside the outer square
    EXPECT_EQ(target.GetPixel(40, 40), clWhite);         // the hole
    EXPECT_EQ(target.GetPixel(4, 4), clWhite);           // outside
    EXPECT_EQ(target.GetPixel(70, 70), RGB(255, 0, 0));
    EXPECT_EQ(target.GetPixel(40, 20), RGB(255, 0, 0));
}

TEST(MetafileLoad, DamagedFilesRaiseInvalidGraphic) {
    const auto source = Gradient();
    const std::vector<uint8_t> emf = Record(*source, true, true), wmf = Record(*source, false);
    const std::vector<uint8_t> foreignWmf = ForeignWmf(), foreignEmf = ForeignEmf();
    const auto expectInvalid = [](const std::vector<uint8_t>& bytes, const std::string& what) {
        try {
            Load(bytes);
            ADD_FAILURE() << what << ": loaded";
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), "Métafichier incorrect") << what;
        }
    };
    // Every truncation, of our files and of the hand-built ones: the declared sizes say more
    // bytes should follow.
    for (const auto* file : {&emf, &wmf, &foreignWmf, &foreignEmf})
        for (size_t n = 0; n < file->size(); n += (n < 200 ? 1 : 97))
            expectInvalid(std::vector<uint8_t>(file->begin(), file->begin() + long(n)), "truncated at " + std::to_string(n));

    const auto patched = [](std::vector<uint8_t> bytes, size_t at, uint32_t value, int width = 4) {
        for (int k = 0; k < width; ++k) bytes.at(at + size_t(k)) = uint8_t(value >> (8 * k));
        return bytes;
    };
    const size_t firstEmfRecord = U32(emf, 4);
    const size_t firstWmfRecord = 22 + 18;
    const struct { std::vector<uint8_t> bytes; const char* what; } cases[] = {
        {patched(emf, 52, U32(emf, 52) + 1), "EMF record count too high"},
        {patched(emf, 52, U32(emf, 52) - 1), "EMF record count too low"},
        {patched(emf, 48, U32(emf, 48) + 4), "EMF nBytes beyond the data"},
        {patched(emf, firstEmfRecord + 4, 0), "EMF record of size 0"},
        {patched(emf, firstEmfRecord + 4, 6), "EMF record size not a multiple of 4"},
        {patched(emf, firstEmfRecord + 4, 0x7FFFFFF0), "EMF record past the end"},
        {patched(emf, 60, 0x10000), "EMF description past the header"},
        {patched(emf, 80, 0), "EMF reference device of 0 mm"},
        {patched(wmf, firstWmfRecord, 0), "WMF record of size 0"},
        {patched(wmf, firstWmfRecord, 0x40000000), "WMF record past the end"},
        {patched(wmf, 22 + 6, 0x40000000), "WMF size beyond the data"},
        {patched(wmf, 22 + 2, 10, 2), "WMF header size not 9"},
        {patched(wmf, 14, 0, 2), "WMF placeable header of 0 units per inch"},
        {patched(foreignWmf, 22 + 18 + 6 * 2 * 0 + 0, 2), "WMF record shorter than its header"},
        {std::vector<uint8_t>{'B', 'M', 0, 0}, "not a metafile"},
        {std::vector<uint8_t>{}, "empty"},
    };
    for (const auto& c : cases) expectInvalid(c.bytes, c.what);

    // A poly-line whose point count exceeds its record, and a DIB transfer whose bits are cut.
    WmfBuilder b;
    b.Record(0x0325, {200, 1, 1, 2, 2});
    expectInvalid(b.Bytes(100, 100, 96, 0), "WMF polyline count beyond its record");
    std::vector<uint8_t> cut = emf;
    const std::vector<EmfRecord> records = WalkEmf(emf);
    const auto dib = std::find_if(records.begin(), records.end(), [](const EmfRecord& r) { return r.type == 81; });
    ASSERT_NE(dib, records.end());
    expectInvalid(patched(emf, dib->offset + 60, U32(emf, dib->offset + 60) + 8), "EMF DIB bits past the record");
    expectInvalid(patched(emf, dib->offset + 8 + 80 + 4, 1000), "EMF DIB taller than its bits");
}

TEST(MetafileLoad, UnchangedFilesSaveBackByteForByte) {
    for (const std::vector<uint8_t>& bytes : {ForeignWmf(), ForeignEmf()}) {
        const auto metafile = Load(bytes);
        TMemoryStream out;
        metafile->SaveToStream(out);
        EXPECT_EQ(out.Bytes(), bytes);
        // Saved in the other format, it is re-encoded from what was played and still draws the same.
        metafile->SetEnhanced(!metafile->Enhanced());
        TMemoryStream converted;
        metafile->SaveToStream(converted);
        const auto again = Load(converted.Bytes());
        EXPECT_EQ(test::MaxDifference(Render(*again, 96, 72), Render(*metafile, 96, 72)), 0);
    }
}

TEST(MetafileRegistration, WmfAndEmfOpenAsMetafiles) {
    RegisterMetafile();
    for (const char* extension : {"wmf", "EMF"}) {
        const auto graphic = TPicture::CreateForExtension(extension);
        EXPECT_STREQ(graphic->ClassName(), "TMetafile");
    }
    EXPECT_EQ(TPicture::FindFileFormat("wmf")->Description, "Metafiles Windows");
    EXPECT_EQ(TPicture::FindFileFormat("emf")->Description, "Metafiles Windows améliorés");
}

TEST(MetafileWmfOutput, RefusesCoordinatesBeyondSixteenBits) {
    TMetafile metafile;
    metafile.SetWidth(40000);
    metafile.SetHeight(10);
    metafile.SetEnhanced(false);
    TMemoryStream stream;
    EXPECT_THROW(metafile.SaveToStream(stream), EInvalidGraphic);
}

} // namespace
} // namespace vermaline
