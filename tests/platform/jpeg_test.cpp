#include "formats/platform/jpeg_image.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "formats/platform/bitmap.h"
#include "formats/platform/canvas.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/picture.h"
#include "formats/platform/stream.h"
#include "tests/support/oracle.h"

namespace vermaline {
namespace {

using test::Capture;
using test::MaxDifference;
using test::PillowDecode;
using test::ReadFile;
using test::TempDir;
using test::ToRgba;
using test::WriteFile;

// ---- What libjpeg itself reads back from a file ----

struct FrameInfo {
    int components = 0;
    J_COLOR_SPACE colorSpace = JCS_UNKNOWN;
    bool progressive = false;
    bool jfif = false;
    unsigned restartInterval = 0;
    int tableCount = 0;
    unsigned tables[NUM_QUANT_TBLS][DCTSIZE2] = {};
    int sampling[MAX_COMPONENTS][2] = {};
};

struct ReadError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void LeaveRead(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ReadError*>(cinfo->err)->jump, 1); }

// No object with a destructor lives here: libjpeg's errors come back by longjmp.
bool ReadFrame(const std::vector<uint8_t>& bytes, FrameInfo& info) {
    jpeg_decompress_struct cinfo{};
    ReadError err{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = LeaveRead;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    info.components = cinfo.num_components;
    info.colorSpace = cinfo.jpeg_color_space;
    info.progressive = cinfo.progressive_mode;
    info.jfif = cinfo.saw_JFIF_marker;
    info.restartInterval = cinfo.restart_interval;
    for (int t = 0; t < NUM_QUANT_TBLS; ++t)
        if (const JQUANT_TBL* table = cinfo.quant_tbl_ptrs[t]) {
            info.tableCount = t + 1;
            for (int i = 0; i < DCTSIZE2; ++i) info.tables[t][i] = table->quantval[i];
        }
    for (int c = 0; c < cinfo.num_components && c < MAX_COMPONENTS; ++c) {
        info.sampling[c][0] = cinfo.comp_info[c].h_samp_factor;
        info.sampling[c][1] = cinfo.comp_info[c].v_samp_factor;
    }
    jpeg_destroy_decompress(&cinfo);
    return true;
}

FrameInfo Frame(const std::vector<uint8_t>& bytes) {
    FrameInfo info;
    EXPECT_TRUE(ReadFrame(bytes, info)) << "libjpeg cannot read the file";
    return info;
}

// The example tables of the JPEG standard (ITU-T T.81, K.1 and K.2), in natural order.
constexpr unsigned kLuminance[DCTSIZE2] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr unsigned kChrominance[DCTSIZE2] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// The standard's scaling by quality (1..100), limited to the 8-bit values of baseline files.
unsigned Scaled(unsigned base, int quality) {
    const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
    const long value = (static_cast<long>(base) * scale + 50) / 100;
    return static_cast<unsigned>(std::clamp(value, 1L, 255L));
}

// ---- Test pictures ----

// A smooth colour picture with some edges, of an odd width so that rows carry padding.
std::unique_ptr<TBitmap> Picture(int width = 67, int height = 45) {
    auto picture = std::make_unique<TBitmap>(width, height, TPixelFormat::pf24bit);
    TBitmap& bitmap = *picture;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<uint8_t>(x * 255 / width);                      // blue
            row[3 * x + 1] = static_cast<uint8_t>(y * 255 / height);                  // green
            row[3 * x + 2] = static_cast<uint8_t>((x / 8 + y / 8) % 2 ? 220 : 30);   // red
        }
    }
    return picture;
}

// The same pixels as a binary PPM, red-green-blue, for cjpeg.
void WritePpm(const TBitmap& bitmap, const std::string& path) {
    std::string header = "P6\n" + std::to_string(bitmap.Width()) + " " + std::to_string(bitmap.Height()) + "\n255\n";
    std::vector<uint8_t> bytes(header.begin(), header.end());
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) bytes.insert(bytes.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
    }
    WriteFile(path, bytes);
}

std::vector<uint8_t> Saved(TJPEGImage& image) {
    TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.Bytes();
}

std::vector<uint8_t> Encoded(const TBitmap& bitmap, uint8_t quality, bool grayscale = false) {
    TJPEGImage image;
    image.SetCompressionQuality(quality);
    image.SetGrayscale(grayscale);
    image.Assign(bitmap);
    image.Compress();
    return Saved(image);
}

std::vector<uint8_t> Cjpeg(const TBitmap& bitmap, const std::string& options) {
    const std::string dir = TempDir();
    WritePpm(bitmap, dir + "/in.ppm");
    EXPECT_EQ(test::Run("cjpeg " + options + " -outfile " + dir + "/out.jpg " + dir + "/in.ppm"), 0);
    return ReadFile(dir + "/out.jpg");
}

std::string JpegError(int code) { return Format(messages::kJpegError, code); }

// ---- Encoding ----

struct RateCase {
    int rate;            // the JPEG dialog's rate field
    uint8_t quality;     // the setting it gives
    int effective;       // what libjpeg makes of it
};

class JpegRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(JpegRate, GivesTheStandardTablesScaledByTheLimitedQuality) {
    const auto [rate, quality, effective] = GetParam();
    EXPECT_EQ(JpegQualityFromRate(rate), quality);
    const auto picture = Picture();
    const TBitmap& bitmap = *picture;
    const std::vector<uint8_t> bytes = Encoded(bitmap, JpegQualityFromRate(rate));
    const FrameInfo info = Frame(bytes);
    ASSERT_EQ(info.tableCount, 2);
    for (int i = 0; i < DCTSIZE2; ++i) {
        ASSERT_EQ(info.tables[0][i], Scaled(kLuminance[i], effective)) << "luminance " << i;
        ASSERT_EQ(info.tables[1][i], Scaled(kChrominance[i], effective)) << "chrominance " << i;
    }
    // cjpeg, on the same pixels at the same quality with baseline tables, writes the same file.
    EXPECT_EQ(bytes, Cjpeg(bitmap, "-quality " + std::to_string(effective) + " -baseline"));
}

INSTANTIATE_TEST_SUITE_P(DialogRates, JpegRate,
                         ::testing::Values(RateCase{1, 99, 99}, RateCase{50, 50, 50}, RateCase{100, 0, 1},
                                           RateCase{0, 100, 100}, RateCase{101, 255, 100}, RateCase{-5, 105, 100}));

TEST(JpegEncoding, ImageMagickEstimatesTheQuality) {
    for (const auto& [rate, estimate] : {std::pair{1, "99"}, std::pair{50, "50"}, std::pair{25, "75"}}) {
        const std::string path = TempDir() + "/q.jpg";
        WriteFile(path, Encoded(*Picture(), JpegQualityFromRate(rate)));
        EXPECT_EQ(Capture("identify -format %Q " + path), estimate) << "rate " << rate;
    }
}

TEST(JpegEncoding, DefaultsGiveABaselineColourFileAtQuality90LikeCjpeg) {
    const auto picture = Picture();
    const TBitmap& bitmap = *picture;
    TJPEGImage image;
    EXPECT_EQ(image.CompressionQuality(), 90);
    EXPECT_FALSE(image.Grayscale());
    EXPECT_FALSE(image.ProgressiveEncoding());
    image.Assign(bitmap);
    image.Compress();
    const std::vector<uint8_t> bytes = Saved(image);
    const FrameInfo info = Frame(bytes);
    EXPECT_EQ(info.components, 3);
    EXPECT_EQ(info.colorSpace, JCS_YCbCr);
    EXPECT_FALSE(info.progressive);
    EXPECT_TRUE(info.jfif);
    EXPECT_EQ(info.restartInterval, 0u);
    EXPECT_EQ(info.sampling[0][0], 2);  // libjpeg's default 2x2 chroma subsampling
    EXPECT_EQ(info.sampling[0][1], 2);
    // Byte for byte what cjpeg makes of the same red-green-blue pixels: so the bitmap's
    // blue-green-red pixels reached the encoder as red, green, blue, top row first.
    EXPECT_EQ(bytes, Cjpeg(bitmap, "-quality 90"));
    EXPECT_EQ(image.Width(), 67);
    EXPECT_EQ(image.Height(), 45);
}

TEST(JpegEncoding, GreyScaleWritesOneLuminanceComponent) {
    const auto picture = Picture();
    const TBitmap& bitmap = *picture;
    const std::vector<uint8_t> bytes = Encoded(bitmap, 90, true);
    const FrameInfo info = Frame(bytes);
    EXPECT_EQ(info.components, 1);
    EXPECT_EQ(info.colorSpace, JCS_GRAYSCALE);
    EXPECT_EQ(bytes, Cjpeg(bitmap, "-quality 90 -grayscale"));
    // Pillow sees the luminance of the drawn colours.
    const std::string path = TempDir() + "/grey.jpg";
    WriteFile(path, bytes);
    const auto decoded = PillowDecode(path);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(Capture("/usr/bin/python3 -c \"from PIL import Image; print(Image.open('" + path + "').mode)\""), "L\n");
    int worst = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const uint8_t* p = bitmap.ScanLine(y) + 3 * x;
            const double luma = 0.299 * p[2] + 0.587 * p[1] + 0.114 * p[0];
            worst = std::max(worst, std::abs(int(decoded->rgba[(y * bitmap.Width() + x) * 4]) - int(luma + 0.5)));
        }
    EXPECT_LE(worst, 12);  // quantisation error at quality 90 around the checker edges
}

TEST(JpegEncoding, DecodingSettingsNeverChangeTheWrittenBytes) {
    const auto picture = Picture();
    const TBitmap& bitmap = *picture;
    const std::vector<uint8_t> reference = Encoded(bitmap, 75);
    for (const TJPEGPixelFormat format : {TJPEGPixelFormat::jf24Bit, TJPEGPixelFormat::jf8Bit})
        for (const TJPEGPerformance performance : {TJPEGPerformance::jpBestQuality, TJPEGPerformance::jpBestSpeed})
            for (const bool smoothing : {true, false}) {
                TJPEGImage image;
                image.SetCompressionQuality(75);
                image.SetPixelFormat(format);
                image.SetPerformance(performance);
                image.SetSmoothing(smoothing);
                image.Assign(bitmap);
                image.Compress();
                EXPECT_EQ(Saved(image), reference) << int(format) << " " << int(performance) << " " << smoothing;
            }
}

TEST(JpegEncoding, OtherPixelFormatsAreCompressedAsTheir24BitConversion) {
    const auto base = Picture(40, 20);
    for (const TPixelFormat format : {TPixelFormat::pfDevice, TPixelFormat::pf32bit, TPixelFormat::pf8bit, TPixelFormat::pf1bit}) {
        TBitmap bitmap;
        bitmap.Assign(*base);
        bitmap.SetPixelFormat(format);
        TBitmap expected;
        expected.Assign(bitmap);
        expected.SetPixelFormat(TPixelFormat::pf24bit);
        EXPECT_EQ(Encoded(bitmap, 90), Encoded(expected, 90)) << int(format);
    }
}

TEST(JpegEncoding, ProgressStartsThenEndsAt100) {
    TJPEGImage image;
    std::vector<std::pair<TProgressStage, int>> seen;
    image.OnProgress = [&](TGraphic&, TProgressStage stage, uint8_t percent, bool, const TRect&, const std::string&) {
        seen.emplace_back(stage, percent);
    };
    image.Assign(*Picture());
    image.Compress();
    image.Compress();  // data exists: nothing to do
    const std::vector<std::pair<TProgressStage, int>> expected = {{TProgressStage::psStarting, 0},
                                                                  {TProgressStage::psEnding, 100}};
    EXPECT_EQ(seen, expected);
}

TEST(JpegEncoding, EncoderErrorsRaiseEJPEGWithLibjpegsCodeAndEndProgressAtZero) {
    TJPEGImage image;
    std::vector<std::pair<TProgressStage, int>> seen;
    image.OnProgress = [&](TGraphic&, TProgressStage stage, uint8_t percent, bool, const TRect&, const std::string&) {
        seen.emplace_back(stage, percent);
    };
    image.Assign(TBitmap(JPEG_MAX_DIMENSION + 1, 1));  // wider than a JPEG frame can be
    try {
        image.Compress();
        FAIL() << "no error";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.what(), JpegError(JERR_IMAGE_TOO_BIG));
    }
    const std::vector<std::pair<TProgressStage, int>> expected = {{TProgressStage::psStarting, 0},
                                                                  {TProgressStage::psEnding, 0}};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(image.Data().empty());
    EXPECT_THROW(Saved(image), EJPEG);  // the half-made file is never written
}

TEST(JpegEncoding, AnAbortEmptiesTheImage) {
    TJPEGImage image;
    image.OnProgress = [](TGraphic&, TProgressStage stage, uint8_t, bool, const TRect&, const std::string&) {
        if (stage == TProgressStage::psStarting) throw EAbort();
    };
    image.Assign(*Picture());
    EXPECT_THROW(image.Compress(), EAbort);
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Width(), 0);
}

TEST(JpegEncoding, AnEmptySourceGivesEmptyData) {
    for (const auto& [width, height] : {std::pair{0, 0}, std::pair{10, 0}, std::pair{0, 10}}) {
        TJPEGImage image;
        bool progressed = false;
        image.OnProgress = [&](TGraphic&, TProgressStage, uint8_t, bool, const TRect&, const std::string&) { progressed = true; };
        image.Assign(TBitmap(width, height));
        image.Compress();
        EXPECT_TRUE(Saved(image).empty());
        EXPECT_TRUE(image.Empty());
        EXPECT_FALSE(progressed);
    }
    TJPEGImage never;
    EXPECT_TRUE(Saved(never).empty());
}

TEST(JpegEncoding, SavingCompressesWhenNeededAndThenWritesTheSameData) {
    TJPEGImage image;
    image.Assign(*Picture());
    const std::vector<uint8_t> first = Saved(image);
    ASSERT_FALSE(first.empty());
    image.SetCompressionQuality(10);  // applies to the next compression only
    EXPECT_EQ(Saved(image), first);
    EXPECT_EQ(std::vector<uint8_t>(image.Data().begin(), image.Data().end()), first);
}

TEST(JpegEncoding, GreyScaleSetAfterAssigningKeepsTheBitmapToCompress) {
    TJPEGImage image;
    image.Assign(*Picture());
    image.SetGrayscale(true);
    image.SetPerformance(TJPEGPerformance::jpBestSpeed);
    EXPECT_EQ(image.Width(), 67);
    EXPECT_EQ(Frame(Saved(image)).components, 1);
}

// ---- Decoding ----

struct MagickCase {
    const char* name;
    const char* options;
    int width;
    int height;
    int components;
    bool restarts = false;
};

class JpegFromImageMagick : public ::testing::TestWithParam<MagickCase> {};

TEST_P(JpegFromImageMagick, DecodesLikePillow) {
    const MagickCase& c = GetParam();
    const std::string path = TempDir() + "/" + c.name + ".jpg";
    ASSERT_EQ(test::Run("convert -seed 1 -size " + std::to_string(c.width) + "x" + std::to_string(c.height) +
                  " plasma:fractal " + c.options + " " + path),
              0);
    const FrameInfo info = Frame(ReadFile(path));
    ASSERT_EQ(info.components, c.components);
    ASSERT_EQ(info.restartInterval != 0, c.restarts);

    TJPEGImage image;
    image.LoadFromFile(path);
    EXPECT_EQ(image.Width(), c.width);  // from the header
    EXPECT_EQ(image.Height(), c.height);
    const TBitmap& bitmap = image.Bitmap();
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pfDevice);
    const auto expected = PillowDecode(path);
    ASSERT_TRUE(expected);
    EXPECT_LE(MaxDifference(ToRgba(bitmap), *expected), 1);

    // Drawing at its own size puts exactly those pixels on a canvas.
    TBitmap target(c.width, c.height);
    target.Canvas().StretchDraw(Rect(0, 0, c.width, c.height), image);
    EXPECT_EQ(MaxDifference(ToRgba(target), ToRgba(bitmap)), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, JpegFromImageMagick,
    ::testing::Values(MagickCase{"baseline", "-quality 85", 64, 48, 3},
                      MagickCase{"odd_size", "-quality 70", 61, 37, 3},
                      MagickCase{"no_subsampling", "-sampling-factor 1x1 -quality 92", 64, 48, 3},
                      MagickCase{"progressive", "-interlace Plane", 64, 48, 3},
                      MagickCase{"grey", "-colorspace Gray", 64, 48, 1},
                      MagickCase{"cmyk", "-colorspace CMYK", 64, 48, 4},
                      MagickCase{"cmyk_progressive", "-colorspace CMYK -interlace Plane", 50, 30, 4},
                      // ImageMagick 6 writes no restart markers: its pixels go through cjpeg for those.
                      MagickCase{"restart_markers", "ppm:- | cjpeg -restart 1 -outfile", 64, 48, 3, true},
                      MagickCase{"arithmetic", "-define jpeg:arithmetic-coding=true", 64, 48, 3}),
    [](const ::testing::TestParamInfo<MagickCase>& info) { return std::string(info.param.name); });

TEST(JpegDecoding, TheDecodedBitmapIsKeptUntilADecodingSettingChanges) {
    const std::string path = TempDir() + "/colour.jpg";
    ASSERT_EQ(test::Run("convert -seed 1 -size 32x32 plasma:fractal " + path), 0);
    TJPEGImage image;
    int changes = 0;
    image.OnChange = [&](TGraphic&) { ++changes; };
    image.LoadFromFile(path);
    const TBitmap* first = &image.Bitmap();
    EXPECT_EQ(&image.Bitmap(), first);
    image.SetGrayscale(false);  // the same value: nothing happens
    EXPECT_EQ(changes, 1);
    image.SetGrayscale(true);
    EXPECT_EQ(changes, 2);
    const TBitmap& grey = image.Bitmap();
    bool coloured = false;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint8_t* p = grey.ScanLine(y) + 3 * x;
            coloured = coloured || p[0] != p[1] || p[1] != p[2];
        }
    EXPECT_FALSE(coloured);
    // Saving writes the loaded bytes unchanged.
    EXPECT_EQ(Saved(image), ReadFile(path));
}

TEST(JpegDecoding, RegisteredForItsExtensionsInAnyCase) {
    RegisterJpegImage();
    const std::string dir = TempDir();
    ASSERT_EQ(test::Run("convert -seed 1 -size 20x10 plasma:fractal " + dir + "/a.jpg"), 0);
    for (const char* name : {"b.JPG", "c.jpeg", "d.jpe", "e.jfif"}) {
        ASSERT_EQ(test::Run("cp " + dir + "/a.jpg " + dir + "/" + name), 0);
        TPicture picture;
        picture.LoadFromFile(dir + "/" + name);
        ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr) << name;
        EXPECT_EQ(picture.Width(), 20);
        EXPECT_EQ(picture.Height(), 10);
    }
}

TEST(JpegDecoding, CannotBeResized) {
    TJPEGImage image;
    EXPECT_THROW(image.SetWidth(3), EInvalidGraphicOperation);
    EXPECT_THROW(image.SetHeight(3), EInvalidGraphicOperation);
}

// ---- Damaged input ----

std::vector<uint8_t> MagickJpeg(const std::string& options) {
    const std::string path = TempDir() + "/source.jpg";
    EXPECT_EQ(test::Run("convert -seed 1 -size 64x48 plasma:fractal " + options + " " + path), 0);
    return ReadFile(path);
}

// Loads and decodes; returns the EJPEG message, or nothing when the data decoded.
std::optional<std::string> LoadError(const std::vector<uint8_t>& bytes) {
    try {
        TMemoryStream stream(bytes);
        TJPEGImage image;
        image.LoadFromStream(stream);
        image.Bitmap();
        return std::nullopt;
    } catch (const EJPEG& e) {
        return std::string(e.what());
    }
}

TEST(JpegDamaged, NotAJpegOrNothingAtAll) {
    EXPECT_EQ(LoadError({'B', 'M', 0, 0, 0, 0}), JpegError(JERR_NO_SOI));
    EXPECT_EQ(LoadError({}), JpegError(JERR_INPUT_EMPTY));
    TMemoryStream stream(std::vector<uint8_t>{'G', 'I', 'F'});
    TJPEGImage image;
    EXPECT_THROW(image.LoadFromStream(stream), EInvalidGraphic);  // EJPEG is an invalid graphic
    EXPECT_TRUE(image.Empty());
}

TEST(JpegDamaged, TruncatedFilesRaiseEJPEG) {
    for (const char* options : {"-quality 80", "-interlace Plane", "-colorspace CMYK"}) {
        const std::vector<uint8_t> whole = MagickJpeg(options);
        ASSERT_FALSE(LoadError(whole)) << options;
        for (size_t length : {size_t(2), size_t(20), size_t(200), whole.size() / 2, whole.size() - 40}) {
            const std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_EQ(LoadError(part), JpegError(JERR_INPUT_EOF)) << options << " cut at " << length;
        }
    }
}

TEST(JpegDamaged, AHugeFrameIsRefusedBeforeAnythingIsAllocated) {
    // Reuse a real file and patch its frame header to 60000 x 60000.
    std::vector<uint8_t> bytes = MagickJpeg("-quality 80");
    size_t sof = 2;
    while (sof + 9 < bytes.size() && !(bytes[sof] == 0xFF && bytes[sof + 1] == 0xC0))
        sof += 2 + (size_t(bytes[sof + 2]) << 8 | bytes[sof + 3]);
    ASSERT_LT(sof + 9, bytes.size());
    bytes[sof + 5] = 0xEA;  // height 0xEA60
    bytes[sof + 6] = 0x60;
    bytes[sof + 7] = 0xEA;  // width
    bytes[sof + 8] = 0x60;
    TMemoryStream stream(bytes);
    TJPEGImage image;
    try {
        image.LoadFromStream(stream);
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.what(), Format(messages::kImageTooLarge, 60000, 60000));
    }
}

TEST(JpegDamaged, ScrambledBytesNeverCrash) {
    for (const char* options : {"-quality 80", "-interlace Plane", "-colorspace Gray"}) {
        const std::vector<uint8_t> whole = MagickJpeg(options);
        uint32_t seed = 12345;
        for (int round = 0; round < 300; ++round) {
            std::vector<uint8_t> bytes = whole;
            for (int k = 0; k < 1 + round % 8; ++k) {
                seed = seed * 1664525u + 1013904223u;
                bytes[seed % bytes.size()] = static_cast<uint8_t>(seed >> 24);
            }
            try {
                LoadError(bytes);
            } catch (const EInvalidGraphic&) {
                // too large after the damage: refused with its own message
            }
        }
    }
}

} // namespace
} // namespace vermaline
