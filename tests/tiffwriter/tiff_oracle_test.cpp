// Our TIFF files as other programs see them: libtiff's tiffinfo and tiff2rgba, and Pillow.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "formats/platform/bitmap.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/stream.h"
#include "tests/support/oracle.h"
#include "tiffwriter/tiff_writer.h"

namespace vermaline {
namespace {

using test::Capture;
using test::PillowDecode;
using test::ReadFile;
using test::TempDir;
using test::ToRgba;
namespace fs = std::filesystem;

struct Case {
    const char* name;
    TPixelFormat format;
    int width;
    int height;
};

// Every pixel a different colour as far as the depth allows; indexed bitmaps get a palette of
// distinct colours and every index in turn.
std::unique_ptr<TBitmap> MakeSource(const Case& c) {
    auto source = std::make_unique<TBitmap>(c.width, c.height, c.format);
    TBitmap& bitmap = *source;
    if (IsIndexed(c.format)) {
        const int colors = 1 << BitsPerPixel(c.format);
        std::vector<TPaletteEntry> palette(static_cast<size_t>(colors));
        for (int i = 0; i < colors; ++i)
            palette[static_cast<size_t>(i)] = {uint8_t(i * 37), uint8_t(255 - i * 11), uint8_t(i * 101), 0};
        bitmap.SetPaletteEntries(palette);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const auto& e = palette[static_cast<size_t>((x * 7 + y * 3) % colors)];
                bitmap.SetPixel(x, y, RGB(e.peRed, e.peGreen, e.peBlue));
            }
    } else {
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) bitmap.SetPixel(x, y, RGB(uint8_t(x * 17 + y), uint8_t(y * 29), uint8_t(x * y + 5)));
    }
    return source;
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// What a libtiff tool printed on standard error, less the one warning every file of this writer
// draws: the Software text is stored as its 10 characters without a terminating zero.
std::string Warnings(const std::string& errFile) {
    const std::vector<uint8_t> bytes = ReadFile(errFile);
    std::istringstream lines(std::string(bytes.begin(), bytes.end()));
    std::string rest, line;
    while (std::getline(lines, line))
        if (line != "TIFFFetchNormalTag: Warning, ASCII value for tag \"Software\" does not end in null byte.")
            rest += line + "\n";
    return rest;
}

class TiffOracle : public ::testing::TestWithParam<Case> {};

TEST_P(TiffOracle, ReadersDecodeTheSourcePixels) {
    const Case c = GetParam();
    const auto source = MakeSource(c);
    const test::RgbaImage expected = ToRgba(*source);
    const std::string dir = TempDir();
    const std::string path = dir + "/image.tif";
    WriteTiffToFile(path, *source);

    // tiffinfo reads the directory and, with -D, the strip; any warning goes to stderr.
    const std::string info = Capture("tiffinfo -D '" + path + "' 2>'" + dir + "/info.err'; echo status=$?");
    EXPECT_NE(info.find("status=0"), std::string::npos) << info;
    EXPECT_EQ(Warnings(dir + "/info.err"), "");
    EXPECT_NE(info.find("Image Width: " + std::to_string(c.width) + " Image Length: " + std::to_string(c.height)),
              std::string::npos)
        << info;
    EXPECT_NE(info.find("Software: Tavel Labs"), std::string::npos) << info;

    const auto pillow = PillowDecode(path);
    ASSERT_TRUE(pillow.has_value());
    EXPECT_EQ(test::MaxDifference(*pillow, expected), 0);

    const std::string rgba = dir + "/rgba.tif";
    ASSERT_EQ(test::Run("tiff2rgba '" + path + "' '" + rgba + "' 2>'" + dir + "/rgba.err'"), 0);
    EXPECT_EQ(Warnings(dir + "/rgba.err"), "");
    const auto converted = PillowDecode(rgba);
    ASSERT_TRUE(converted.has_value());
    EXPECT_EQ(test::MaxDifference(*converted, expected), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TiffOracle,
    ::testing::Values(Case{"OneBit", TPixelFormat::pf1bit, 13, 5}, Case{"OneBitByteWide", TPixelFormat::pf1bit, 16, 2},
                      Case{"FourBitOdd", TPixelFormat::pf4bit, 101, 3}, Case{"FourBitNarrow", TPixelFormat::pf4bit, 3, 4},
                      Case{"FourBitOnePixel", TPixelFormat::pf4bit, 1, 1}, Case{"EightBit", TPixelFormat::pf8bit, 19, 13},
                      Case{"EightBitSmall", TPixelFormat::pf8bit, 3, 2}, Case{"TwentyFourBit", TPixelFormat::pf24bit, 3, 3},
                      Case{"TwentyFourBitWide", TPixelFormat::pf24bit, 41, 7}, Case{"Device", TPixelFormat::pfDevice, 6, 5},
                      Case{"ThirtyTwoBit", TPixelFormat::pf32bit, 5, 9}, Case{"FifteenBit", TPixelFormat::pf15bit, 7, 3},
                      Case{"SixteenBit", TPixelFormat::pf16bit, 9, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TiffFile, ReplacesAnExistingFileWithTheSameBytesAsTheStream) {
    const auto source = MakeSource({"", TPixelFormat::pf8bit, 5, 4});
    TMemoryStream stream;
    WriteTiffToStream(stream, *source);
    const std::string dir = TempDir();
    const std::string path = dir + "/out.tif";
    test::WriteFile(path, std::vector<uint8_t>(5000, 7));
    fs::permissions(path, fs::perms(0640));
    WriteTiffToFile(path, *source);
    EXPECT_EQ(ReadFile(path), stream.Bytes());
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // no temporary left
}

TEST(TiffFile, WritesThroughASymbolicLink) {
    const auto source = MakeSource({"", TPixelFormat::pf24bit, 2, 2});
    const std::string dir = TempDir();
    fs::create_directory(dir + "/real");
    test::WriteFile(dir + "/real/target.tif", {1, 2, 3});
    fs::create_symlink("real/target.tif", dir + "/link.tif");
    WriteTiffToFile(dir + "/link.tif", *source);
    EXPECT_TRUE(fs::is_symlink(dir + "/link.tif"));
    EXPECT_EQ(ReadFile(dir + "/real/target.tif").size(), 40u + 12 + 186);
}

TEST(TiffFile, FailedWriteLeavesTheExistingFileAndNoTemporary) {
    const std::string dir = TempDir();
    const std::string path = dir + "/kept.tif";
    const std::vector<uint8_t> old(100, 42);
    test::WriteFile(path, old);
    // A child process whose files may not grow past 64 KiB writes a 300 KB image.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 << 10, 64 << 10};
        setrlimit(RLIMIT_FSIZE, &limit);
        TBitmap big(100000, 1, TPixelFormat::pf24bit);
        try {
            WriteTiffToFile(path, big);
        } catch (const EWriteError&) {
            _exit(3);
        } catch (...) {
            _exit(4);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(TiffFile, UnwritableTargetRaisesCreateErrorNamingIt) {
    const auto source = MakeSource({"", TPixelFormat::pf24bit, 2, 2});
    const std::string dir = TempDir();
    // A missing folder, and a name taken by a folder (the rename cannot replace it).
    const std::string missing = dir + "/absent/out.tif";
    EXPECT_THROW(
        try { WriteTiffToFile(missing, *source); } catch (const EFCreateError& e) {
            EXPECT_NE(std::string(e.what()).find(missing), std::string::npos);
            throw;
        },
        EFCreateError);
    fs::create_directory(dir + "/taken.tif");
    fs::create_directory(dir + "/taken.tif/inside");
    EXPECT_THROW(WriteTiffToFile(dir + "/taken.tif", *source), EFCreateError);
    EXPECT_TRUE(fs::is_directory(dir + "/taken.tif/inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

} // namespace
} // namespace vermaline
