// vermaline-convert run as a user runs it.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/platform/bitmap.h"
#include "formats/platform/file_names.h"
#include "tests/support/oracle.h"

namespace vermaline {
namespace {

const std::string kConvert = VERMALINE_CONVERT;

struct Result {
    int status;
    std::string err;
    std::string out;
};

Result Convert(const std::string& arguments) {
    const std::string dir = test::TempDir();
    const int status = test::Run(kConvert + " " + arguments + " >" + dir + "/out 2>" + dir + "/err </dev/null");
    const auto text = [](const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); };
    return {status, text(test::ReadFile(dir + "/err")), text(test::ReadFile(dir + "/out"))};
}

void WriteBitmap(const std::string& path, int width, int height, TColor color) {
    TBitmap b(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b.SetPixel(x, y, color);
    b.SaveToFile(path);
}

TEST(Cli, ACorruptFileIsReportedAndTheOthersAreConverted) {
    const std::string in = test::TempDir(), out = test::TempDir();
    WriteBitmap(in + "/a.bmp", 8, 6, clBlack);
    test::WriteFile(in + "/b.bmp", {'B', 'M', 0, 0, 1, 2, 3});
    WriteBitmap(in + "/c.bmp", 5, 4, clWhite);
    for (const char* jobs : {"1", "2"}) {
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        const Result r = Convert("-q -j " + std::string(jobs) + " -o " + out + " -f tif " + in + "/a.bmp " + in +
                                 "/b.bmp " + in + "/c.bmp");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, in + "/b.bmp: Image bitmap incorrecte\n");
        EXPECT_TRUE(FileExists(out + "/a.tif"));
        EXPECT_TRUE(FileExists(out + "/c.tif"));
        EXPECT_FALSE(FileExists(out + "/b.tif"));
    }
    const Result ok = Convert("-q -o " + out + " " + in + "/a.bmp");
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.err, "");
}

TEST(Cli, OfTwoInputsWithOneOutputNameTheLaterWins) {
    const std::string one = test::TempDir(), two = test::TempDir(), out = test::TempDir();
    for (const char* jobs : {"1", "2"}) {
        // Many pairs, so that parallel jobs would race if the rule were not kept.
        std::string args;
        for (int i = 0; i < 12; ++i) {
            const std::string name = "/p" + std::to_string(i) + ".bmp";
            WriteBitmap(one + name, 300, 200, clBlack);
            WriteBitmap(two + name, 3, 2, clWhite);
            args += " " + one + name + " " + two + name;
        }
        const Result r = Convert("-q -j " + std::string(jobs) + " -o " + out + args);
        ASSERT_EQ(r.status, 0) << r.err;
        for (int i = 0; i < 12; ++i) {
            const auto image = test::PillowDecode(out + "/p" + std::to_string(i) + ".bmp");
            ASSERT_TRUE(image);
            EXPECT_EQ(image->width, 3) << "jobs " << jobs;
            std::filesystem::remove(out + "/p" + std::to_string(i) + ".bmp");
        }
    }
}

TEST(Cli, DeletesSourcesOnlyAfterTheirOutput) {
    const std::string in = test::TempDir(), out = test::TempDir();
    WriteBitmap(in + "/a.bmp", 4, 4, clBlack);
    test::WriteFile(in + "/b.bmp", {'x'});
    WriteBitmap(in + "/c.bmp", 4, 4, clBlack);
    const Result r = Convert("-q --delete-source -o " + out + " -f jpg " + in + "/a.bmp " + in + "/b.bmp");
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(FileExists(in + "/a.bmp"));
    EXPECT_TRUE(FileExists(in + "/b.bmp")) << "its conversion failed";
    // Converted onto itself: the output is the source, which stays.
    const Result same = Convert("-q --delete-source -o " + in + " " + in + "/c.bmp");
    EXPECT_EQ(same.status, 0);
    EXPECT_TRUE(FileExists(in + "/c.bmp"));
}

TEST(Cli, UsageErrorsHelpAndInfo) {
    struct Case {
        const char* args;
        const char* message;
    } cases[] = {{"", "aucun fichier à convertir"},
                 {"--format png x.bmp", "valeur inconnue pour --format : png"},
                 {"-s 50 x.bmp", "valeur incorrecte pour --size : 50 (LxH attendu)"},
                 {"-s ax3 x.bmp", "valeur incorrecte pour --size : a"},
                 {"-j 0 x.bmp", "valeur incorrecte pour --jobs : 0"},
                 {"--bidule x.bmp", "option inconnue : --bidule"},
                 {"-o", "l'option --output attend une valeur"}};
    for (const Case& c : cases) {
        const Result r = Convert(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.err, std::string("vermaline-convert : ") + c.message +
                             "\nEssayez « vermaline-convert --help ».\n")
            << c.args;
    }
    const Result help = Convert("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage : vermaline-convert [OPTIONS] FICHIER..."), std::string::npos);

    const std::string in = test::TempDir();
    TBitmap b(7, 3, TPixelFormat::pf8bit);
    b.SaveToFile(in + "/i.bmp");
    const Result info = Convert("--info " + in + "/i.bmp " + in + "/absent.bmp");
    EXPECT_EQ(info.status, 1);
    EXPECT_EQ(info.out, in + "/i.bmp: TBitmap, 7 x 3, pf8bit (8 bits par pixel)\n");
    EXPECT_EQ(info.err, in + "/absent.bmp: Impossible d'ouvrir le fichier " + in + "/absent.bmp\n");
}

} // namespace
} // namespace vermaline
