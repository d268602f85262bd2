// The platform's services: picture container, settings store, streams, synchronised calls,
// file names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "formats/platform/bitmap.h"
#include "formats/platform/exceptions.h"
#include "formats/platform/file_names.h"
#include "formats/platform/picture.h"
#include "formats/platform/registry.h"
#include "formats/platform/stream.h"
#include "formats/platform/threads.h"
#include "tests/support/oracle.h"

namespace vermaline {
namespace {

TEST(Picture, UnknownExtensionRaisesTheFrenchMessage) {
    RegisterPlatformGraphics();
    TPicture picture;
    try {
        picture.LoadFromFile("/tmp/image.XyZ");
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Extension de fichier inconnue (.XyZ).");
    }
    EXPECT_EQ(picture.Graphic(), nullptr);
}

TEST(Picture, LookupsIgnoreCaseAndUnregisterRemovesAClass) {
    RegisterPlatformGraphics();
    ASSERT_NE(TPicture::FindFileFormat("BMP"), nullptr);
    EXPECT_EQ(TPicture::FindFileFormat(".Dib")->ClassName, "TBitmap");
    for (const char* extension : {"rle", "ico", "jpg", "JPEG", "jpe", "jfif", "wmf", "emf"})
        EXPECT_NE(TPicture::FindFileFormat(extension), nullptr) << extension;
    TPicture::RegisterFileFormat("Zzt", "Test", "TTest", [] { return std::unique_ptr<TGraphic>(std::make_unique<TBitmap>()); });
    EXPECT_NE(TPicture::FindFileFormat("zZT"), nullptr);
    TPicture::UnregisterGraphicClass("TTest");
    EXPECT_EQ(TPicture::FindFileFormat("zzt"), nullptr);
    EXPECT_NE(TPicture::FindFileFormat("bmp"), nullptr);
}

TEST(Picture, LoadsThroughTheRegisteredClassAndReportsItsSize) {
    RegisterPlatformGraphics();
    const std::string file = test::TempDir() + "/a.BMP";
    TBitmap source(5, 3);
    source.SaveToFile(file);
    TPicture picture;
    picture.LoadFromFile(file);
    EXPECT_STREQ(picture.Graphic()->ClassName(), "TBitmap");
    EXPECT_EQ(picture.Width(), 5);
    EXPECT_EQ(picture.Height(), 3);
}

class RegistryFile : public ::testing::Test {
protected:
    std::string file = test::TempDir() + "/config/registry.reg";
    static constexpr const char* kKey = "\\Software\\Morvane\\Q.Z.M.\\2";
};

TEST_F(RegistryFile, ValuesRoundTripAsRegedit4Text) {
    {
        TRegistry registry(file);
        EXPECT_FALSE(registry.OpenKey(kKey, false));
        ASSERT_TRUE(registry.OpenKey(kKey, true));
        registry.WriteString("DossierDepart", "C:\\images \"été\"");
        registry.WriteInteger("FiltreCible", -1);
        registry.WriteBool("Effacer", true);
        registry.CloseKey();
    }
    const std::vector<uint8_t> bytes = test::ReadFile(file);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.rfind("REGEDIT4\r\n", 0), 0u);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Morvane\\Q.Z.M.\\2]"), std::string::npos);
    EXPECT_NE(text.find("\"FiltreCible\"=dword:ffffffff"), std::string::npos);
    EXPECT_NE(text.find("\"Effacer\"=dword:00000001"), std::string::npos);
    EXPECT_NE(text.find("\"DossierDepart\"=\"C:\\\\images \\\"été\\\"\""), std::string::npos);

    TRegistry registry(file);
    ASSERT_TRUE(registry.OpenKey(kKey, false));
    EXPECT_EQ(registry.ReadString("DossierDepart"), "C:\\images \"été\"");
    EXPECT_EQ(registry.ReadInteger("FiltreCible"), -1);
    EXPECT_TRUE(registry.ReadBool("Effacer"));
    EXPECT_EQ(registry.ReadString("Absent"), "");
    EXPECT_THROW(registry.ReadInteger("Absent"), ERegistryException);
    EXPECT_THROW(registry.ReadBool("DossierDepart"), ERegistryException);
    EXPECT_THROW(registry.ReadString("FiltreCible"), ERegistryException);
}

class FailingRename : public TRegistry {
public:
    using TRegistry::TRegistry;

protected:
    void ReplaceFile(const std::string&, const std::string&) override { throw ERegistryException("interrompu"); }
};

TEST_F(RegistryFile, AnInterruptedSaveLeavesTheOldFile) {
    {
        TRegistry registry(file);
        registry.OpenKey(kKey, true);
        registry.WriteString("TailleX", "640");
    }
    const std::vector<uint8_t> before = test::ReadFile(file);
    FailingRename failing(file);
    ASSERT_TRUE(failing.OpenKey(kKey, false));
    EXPECT_THROW(failing.WriteString("TailleX", "800"), ERegistryException);
    EXPECT_EQ(test::ReadFile(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(std::filesystem::path(file).parent_path()),
                            std::filesystem::directory_iterator()),
              1);
    TRegistry registry(file);
    registry.OpenKey(kKey, false);
    EXPECT_EQ(registry.ReadString("TailleX"), "640");
}

TEST_F(RegistryFile, AnUnreadableFileCountsAsAnAbsentKey) {
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    std::ofstream(file) << "not a registry file\n[HKEY_CURRENT_USER\\Software\\Morvane\\Q.Z.M.\\2]\n";
    TRegistry registry(file);
    EXPECT_FALSE(registry.OpenKey(kKey, false));
}

TEST(Streams, ReadingPastTheEndRaises) {
    TMemoryStream stream(std::vector<uint8_t>{1, 2, 3});
    uint8_t buffer[4];
    EXPECT_EQ(stream.Read(buffer, 4), 3);
    stream.SetPosition(1);
    EXPECT_EQ(stream.ReadWordLE(), 0x0302);
    EXPECT_THROW(stream.ReadByte(), EReadError);
    TBytesStream view(buffer, 2);
    EXPECT_THROW(view.ReadDWordLE(), EReadError);
    EXPECT_THROW(TFileStream("/nonexistent/x", TFileMode::fmOpenRead), EFOpenError);
}

TEST(Synchronizer, WorkerCallsRunOnTheMainThreadAndPassErrorsBack) {
    TSynchronizer& sync = TSynchronizer::Instance();
    sync.SetMainThread();
    std::thread::id ranOn;
    bool failed = false;
    std::thread worker([&] {
        sync.Synchronize([&] { ranOn = std::this_thread::get_id(); });
        try {
            sync.Synchronize([] { throw EInvalidGraphic("x"); });
        } catch (const EInvalidGraphic&) {
            failed = true;
        }
    });
    int rounds = 0;
    while (rounds < 2) rounds += sync.CheckSynchronize() ? 1 : 0;
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_TRUE(failed);
}

TEST(Events, AutoResetAndTimeout) {
    TEvent event;
    EXPECT_EQ(event.WaitFor(1), TEvent::TWaitResult::wrTimeout);
    event.SetEvent();
    EXPECT_EQ(event.WaitFor(0), TEvent::TWaitResult::wrSignaled);
    EXPECT_EQ(event.WaitFor(0), TEvent::TWaitResult::wrTimeout);
}

TEST(FileNames, SplitAndMerge) {
    EXPECT_EQ(ExtractFilePath("/a/b.c/d.tar.gz"), "/a/b.c/");
    EXPECT_EQ(ExtractFileName("/a/b.c/d.tar.gz"), "d.tar.gz");
    EXPECT_EQ(ExtractFileExt("/a/b.c/d.tar.gz"), ".gz");
    EXPECT_EQ(ExtractFileExt("/a/b.c/noext"), "");
    EXPECT_EQ(ChangeFileExt("/a/b.c/noext", ".bmp"), "/a/b.c/noext.bmp");
    EXPECT_EQ(ChangeFileExt("x.JPG", ".tif"), "x.tif");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a") + "x", "/a/x");
}

} // namespace
} // namespace vermaline
