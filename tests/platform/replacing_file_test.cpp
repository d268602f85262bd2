// Output files replace their target only once complete.
#include "formats/platform/replacing_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "formats/platform/exceptions.h"
#include "tests/support/oracle.h"

namespace vermaline {
namespace {

TEST(ReplacingFile, AnUnfinishedFileNeverReplacesTheTarget) {
    const std::string dir = test::TempDir();
    const std::string target = dir + "/sortie.bmp";
    test::WriteFile(target, {'o', 'l', 'd'});
    ::chmod(target.c_str(), 0640);
    {
        TReplacingFile file(target);
        file.Stream().WriteBuffer("new", 3);
    }
    EXPECT_EQ(test::ReadFile(target), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(test::ListFolder(dir), std::vector<std::string>{"sortie.bmp"});
    {
        TReplacingFile file(target);
        file.Stream().WriteBuffer("new!", 4);
        file.Commit();
    }
    EXPECT_EQ(test::ReadFile(target), (std::vector<uint8_t>{'n', 'e', 'w', '!'}));
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replaced file keeps its permissions";
    EXPECT_EQ(test::ListFolder(dir), std::vector<std::string>{"sortie.bmp"});

    try {
        TReplacingFile file(dir + "/absent/x.bmp");
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Impossible de créer le fichier " + dir + "/absent/x.bmp");
    }
}

} // namespace
} // namespace vermaline
