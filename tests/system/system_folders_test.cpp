#include "system/system_folders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "formats/utf_conversion.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace {

using test_support::TempFolder;

TEST(SystemFoldersTest, AdminOnlyPathsAreTheSystemAndProgramFolders) {
    struct Case {
        const char16_t* path;
        bool admin_only;
    };
    const Case cases[] = {
        {u"/opt/Kelvarosoft/", true},
        {u"/opt", true},
        {u"/usr/local/bin", true},
        {u"/etc/x", true},
        {u"/lib64/", true},
        {u"/boot/efi", true},
        {u"/home/user/opt/x", false},
        {u"/optional/x", false},
        {u"/var/lib/Kelvarosoft/", false},
        {u"/tmp/../usr/share", true},
        {u"/usr/../home/u", false},
        {u"//opt//x", true},
        {u"opt/x", false},
        {u"", false},
        {u"/", false},
    };
    for (const Case& test : cases)
        EXPECT_EQ(IsAdminOnlyPath(test.path), test.admin_only) << Utf16ToUtf8(test.path);
}

TEST(SystemFoldersTest, WritableFolderIsProbedAndLeftClean) {
    TempFolder folder;
    std::u16string path = Utf8ToUtf16(folder.Path());
    path.pop_back();  // with or without the trailing '/'
    EXPECT_TRUE(IsFolderWritable(path));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
    EXPECT_FALSE(IsFolderWritable(Utf8ToUtf16(folder.Path() + "missing/")));
    EXPECT_FALSE(IsFolderWritable(u"/proc/"));
}

TEST(SystemFoldersTest, BrandFolderIsCreatedUnderItsBase) {
    TempFolder temp;
    ScopedEnvironment environment;
    environment.Set("TMPDIR", temp.Path());
    EXPECT_EQ(GetTempFolder(), Utf8ToUtf16(temp.Path()));
    EXPECT_EQ(GetBrandFolder(u"Acme", BrandFolderBase::kTemp), Utf8ToUtf16(temp.Path() + "Acme/"));
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path() + "Acme"));
    EXPECT_EQ(GetBrandFolder(u"", BrandFolderBase::kTemp), Utf8ToUtf16(temp.Path() + "Kelvarosoft/"));
    EXPECT_EQ(GetBrandFolder(u"Acme", BrandFolderBase::kPublicDocuments), u"/var/lib/Acme/");
    std::error_code ignored;
    std::filesystem::remove("/var/lib/Acme", ignored);
    EXPECT_EQ(GetBrandFolder(u"Acme", BrandFolderBase::kExecutable),
              Utf8ToUtf16(IXO_BINARY_DIR "/tests/Acme/"));
    std::filesystem::remove(IXO_BINARY_DIR "/tests/Acme", ignored);
}

TEST(SystemFoldersTest, FixedPlacesOfThisSystem) {
    ProgramFilesFolders program_files = GetProgramFilesFolders();
    EXPECT_EQ(program_files.x86, u"/opt/");
    EXPECT_EQ(program_files.native, u"/opt/");
    std::vector<std::u16string> drives = GetFixedDrives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives[0], u"/");
    std::u16string root = GetDriveRoot(u"/opt/not/yet/there");
    EXPECT_EQ(std::u16string(u"/opt/not/yet/there/").compare(0, root.size(), root), 0);
    EXPECT_EQ(root.back(), u'/');
    EXPECT_GT(GetFreeDiskBytes(u"/"), 0u);
    EXPECT_EQ(GetModulePath(), Utf8ToUtf16(IXO_BINARY_DIR "/tests/system_tests"));
    EXPECT_EQ(GetModuleFileName(), u"system_tests");
    EXPECT_EQ(GetModuleVersion(), u"");  // test programs carry no stamp
}

TEST(SystemFoldersTest, LocalAppDataBelongsToTheDesktopUser) {
    TempFolder home;
    ScopedEnvironment environment;
    environment.Unset("PKEXEC_UID").Unset("SUDO_UID").Unset("WAYLAND_DISPLAY").Unset("DISPLAY");
    environment.Unset("XDG_DATA_HOME").Set("HOME", home.Path());
    EXPECT_EQ(GetDesktopUserLocalAppData(), Utf8ToUtf16(home.Path() + ".local/share/"));
}

}  // namespace
