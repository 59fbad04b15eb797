#include "app/install_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "formats/utf_conversion.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"

namespace {

std::u16string U(const std::string& text) {
    return Utf8ToUtf16(text);
}

// Three disks under a test folder; the first is the system's.
class InstallFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* disk : {"sys/", "data/", "usb/"})
            std::filesystem::create_directories(folder_.Path() + disk);
        places_.fixed_drives = {U(folder_.Path() + "sys/"), U(folder_.Path() + "data/"),
                                U(folder_.Path() + "usb/")};
        places_.system_drive = places_.fixed_drives[0];
        places_.shared_data = U(folder_.Path() + "shared/");
        places_.executable_folder = U(folder_.Path() + "exe/");
        places_.temp_folder = U(folder_.Path() + "temp/");
        places_.free_bytes = [this](const std::u16string& drive) { return free_[Utf16ToUtf8(drive)]; };
    }
    std::string Drive(const char* name) const { return folder_.Path() + name; }

    test_support::TempFolder folder_;
    FolderPlaces places_;
    std::map<std::string, uint64_t> free_;
};

TEST_F(InstallFoldersTest, ExistingDownloadFolderOfAFixedDriveComesFirst) {
    free_[Drive("data/")] = 100;
    std::filesystem::create_directories(Drive("usb/") + "Kelvarosoft/Download");
    EXPECT_EQ(GetWorkingFolder(u"Kelvarosoft", false, places_), U(Drive("usb/") + "Kelvarosoft/Download/"));
    // Asked for any disk, the existing folder does not count.
    EXPECT_EQ(GetWorkingFolder(u"Kelvarosoft", true, places_), U(Drive("data/") + "Kelvarosoft/Download/"));
    EXPECT_TRUE(std::filesystem::is_directory(Drive("data/") + "Kelvarosoft/Download"));
}

TEST_F(InstallFoldersTest, LargestFreeDriveDecidesAndTheSystemDiskMeansTheSharedFolder) {
    free_[Drive("sys/")] = 500;
    free_[Drive("data/")] = 500;  // a tie goes to the first
    EXPECT_EQ(GetLargestFreeFolder(u"Acme", places_), U(folder_.Path() + "shared/Acme/"));
    EXPECT_TRUE(std::filesystem::is_directory(folder_.Path() + "shared/Acme"));
    free_[Drive("usb/")] = 501;
    EXPECT_EQ(GetLargestFreeFolder(u"Acme", places_), U(Drive("usb/") + "Acme/Download/"));
    EXPECT_EQ(GetLargestFreeFolder(u"", places_), U(Drive("usb/") + "Download/"));
    EXPECT_EQ(GetWorkingFolder(u"", false, places_), U(Drive("usb/") + "Download/"));
}

TEST_F(InstallFoldersTest, UnwritableFoldersGiveWayToTheExecutableThenTheTemporaryFolder) {
    free_[Drive("sys/")] = 1;
    places_.shared_data = u"/proc/";
    test_support::LogCapture capture;
    EXPECT_EQ(GetWorkingFolder(u"Kelvarosoft", false, places_), U(folder_.Path() + "exe/Kelvarosoft/"));
    EXPECT_NE(capture.NewText().find("[WARN] get default folder=[/proc/Kelvarosoft/] failed, err=["),
              std::string::npos)
        << capture.NewText();

    places_.executable_folder = u"/proc/";
    test_support::LogCapture second;
    EXPECT_EQ(GetWorkingFolder(u"Kelvarosoft", false, places_), U(folder_.Path() + "temp/Kelvarosoft/"));
    EXPECT_NE(second.NewText().find("[WARN] get exe folder=[/proc/Kelvarosoft/] failed, err=["),
              std::string::npos);
    EXPECT_EQ(second.NewText().find("[ERROR]"), std::string::npos);

    places_.temp_folder = u"/proc/";
    test_support::LogCapture third;
    EXPECT_EQ(GetWorkingFolder(u"Kelvarosoft", false, places_), u"/proc/Kelvarosoft/");
    EXPECT_NE(third.NewText().find("[ERROR] get temp folder=[/proc/Kelvarosoft/] failed! err=["),
              std::string::npos);
}

}  // namespace
