#include "app/run_config.h"

#include <gtest/gtest.h>

#include "app/ixo_mgr.h"
#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"

namespace {

using test_support::TempFolder;

std::u16string U(const std::string& text) {
    return Utf8ToUtf16(text);
}

TEST(RunConfigFileTest, WrittenInItsFixedFormAndReadBack) {
    TempFolder folder;
    std::string path = folder.Path() + "IXO_DOWNTASK_5120.xml";
    RunConfig written;
    written.Status = u"1";
    written.SelectLang = u"Pусский";
    written.InstallPath = u"/opt/A & B <test>/";
    written.TmpPackagePath = u"/var/lib/Kelvarosoft/mendrake_setup.~P2S";
    ASSERT_TRUE(WriteRunConfigFile(U(path), written));
    EXPECT_EQ(platform::ReadFile(path),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<config>\r\n<Status>1</Status>\r\n<JoinExp/>\r\n"
              "<SelectLang>P\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9</SelectLang>\r\n"
              "<InstallPath>/opt/A &amp; B &lt;test&gt;/</InstallPath>\r\n<AgreeExtInstall/>\r\n"
              "<TmpPackagePath>/var/lib/Kelvarosoft/mendrake_setup.~P2S</TmpPackagePath>\r\n</config>\r\n");

    RunConfig read;
    read.JoinExp = u"stale";  // an empty element reads as empty
    ASSERT_TRUE(ReadRunConfigFile(U(path), read));
    EXPECT_EQ(read.Status, u"1");
    EXPECT_EQ(read.JoinExp, u"");
    EXPECT_EQ(read.SelectLang, u"Pусский");
    EXPECT_EQ(read.InstallPath, u"/opt/A & B <test>/");
    EXPECT_EQ(read.AgreeExtInstall, u"");
    EXPECT_EQ(read.TmpPackagePath, u"/var/lib/Kelvarosoft/mendrake_setup.~P2S");
}

TEST(RunConfigFileTest, ReadingIgnoresOrderAndOtherElementsAndKeepsWhatIsMissing) {
    TempFolder folder;
    std::string path =
        folder.Write("run.xml",
                     "<?xml version=\"1.0\"?><config><Extra>x</Extra><SelectLang>Deutsch</SelectLang>"
                     "<Status>01</Status><SelectLang>English</SelectLang></config>");
    RunConfig read;
    read.JoinExp = u"1";
    ASSERT_TRUE(ReadRunConfigFile(U(path), read));
    EXPECT_EQ(read.SelectLang, u"Deutsch");  // the first one
    EXPECT_EQ(read.Status, u"01");
    EXPECT_EQ(read.JoinExp, u"1");  // no JoinExp element: unchanged
}

TEST(RunConfigFileTest, UnreadableFilesLeaveTheRecordAlone) {
    TempFolder folder;
    const std::pair<const char*, const char*> kFiles[] = {
        {"broken.xml", "<config><Status>1</Status>"},
        {"other-root.xml", "<settings><Status>1</Status></settings>"},
        {"empty.xml", ""},
    };
    for (auto [name, content] : kFiles) {
        RunConfig read;
        read.SelectLang = u"kept";
        EXPECT_FALSE(ReadRunConfigFile(U(folder.Write(name, content)), read)) << name;
        EXPECT_EQ(read.SelectLang, u"kept");
        EXPECT_EQ(read.Status, u"");
    }
    RunConfig read;
    EXPECT_FALSE(ReadRunConfigFile(U(folder.Path() + "missing.xml"), read));
}

TEST(RunConfigFileTest, ResumeStatusIsTheNumberOne) {
    const std::pair<const char16_t*, bool> kCases[] = {
        {u"1", true},  {u"01", true},  {u" 1", true},  {u"+1", true},  {u"1abc", true}, {u"", false},
        {u"0", false}, {u"10", false}, {u"-1", false}, {u"x1", false}, {u"11", false},
    };
    for (auto [status, resume] : kCases) EXPECT_EQ(IsResumeStatus(status), resume) << Utf16ToUtf8(status);
}

// The orchestrator's side: where the file is, the resume flag and fork mode.
class RunConfigOfIxoMgrTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetRegistryRootForTesting(folder_.Path() + "registry/");
        IxoMgr::Instance().ResetForTesting();
        FolderPlaces places;
        places.fixed_drives = {U(folder_.Path() + "disk/")};
        places.system_drive = places.fixed_drives[0];
        places.shared_data = U(folder_.Path() + "shared/");
        places.executable_folder = U(folder_.Path() + "exe/");
        places.temp_folder = U(folder_.Path() + "temp/");
        places.free_bytes = [](const std::u16string&) { return uint64_t(1) << 40; };
        IxoMgr::Instance().SetFolderPlacesForTesting(places);
    }
    void TearDown() override {
        IxoMgr::Instance().SetFolderPlacesForTesting(std::nullopt);
        IxoMgr::Instance().ResetForTesting();
        platform::SetRegistryRootForTesting("");
    }

    // Loads a configuration whose product id names the file.
    void LoadProduct() {
        ASSERT_TRUE(IxoMgr::Instance().LoadLocalXmlDocument(
            "<Product><ProductBrand>Kelvarosoft</ProductBrand><ProductID>5120</ProductID></Product>"));
        ASSERT_EQ(IxoMgr::Instance().GetRunConfigPath(), U(file_));
    }

    TempFolder folder_;
    std::string file_ = folder_.Path() + "shared/Kelvarosoft/IXO_DOWNTASK_5120.xml";
    test_support::LogCapture capture_;
};

TEST_F(RunConfigOfIxoMgrTest, FirstRunIsEmptyAndNotResumed) {
    IxoMgr& manager = IxoMgr::Instance();
    manager.ReadRunConfig();  // no path yet: nothing at all
    EXPECT_EQ(capture_.NewText().find("ReadRunConfig"), std::string::npos);
    LoadProduct();
    manager.ReadRunConfig();
    EXPECT_NE(capture_.NewText().find("[INFO] ReadRunConfig\n"), std::string::npos);
    EXPECT_FALSE(manager.IsResume());
    EXPECT_EQ(manager.GetRunConfig().Status, u"");
    EXPECT_EQ(manager.GetRunConfig().SelectLang, u"");
}

TEST_F(RunConfigOfIxoMgrTest, SavedRunResumesUntilTheFileIsDeleted) {
    IxoMgr& manager = IxoMgr::Instance();
    LoadProduct();
    manager.EditRunConfig().Status = u"1";
    manager.EditRunConfig().SelectLang = u"Deutsch";
    manager.WriteRunConfig();
    EXPECT_NE(capture_.NewText().find("[INFO] WriteRunConfig\n"), std::string::npos);

    manager.ResetForTesting();
    LoadProduct();
    manager.ReadRunConfig();
    EXPECT_TRUE(manager.IsResume());
    EXPECT_EQ(manager.GetRunConfig().SelectLang, u"Deutsch");

    manager.DeleteRunConfig();
    EXPECT_FALSE(manager.IsResume());
    EXPECT_FALSE(platform::FileExists(file_));
}

TEST_F(RunConfigOfIxoMgrTest, ForkModeReadsButNeverWritesOrDeletes) {
    IxoMgr& manager = IxoMgr::Instance();
    LoadProduct();
    manager.EditRunConfig().Status = u"1";
    manager.WriteRunConfig();
    ASSERT_TRUE(platform::FileExists(file_));

    manager.ResetForTesting();
    manager.SetForkMode(true);
    LoadProduct();
    manager.ReadRunConfig();
    EXPECT_TRUE(manager.IsResume());
    manager.EditRunConfig().SelectLang = u"English";
    manager.WriteRunConfig();
    manager.DeleteRunConfig();
    EXPECT_FALSE(manager.IsResume());
    EXPECT_TRUE(platform::FileExists(file_));
    EXPECT_EQ(platform::ReadFile(file_)->find("English"), std::string::npos);
}

}  // namespace
