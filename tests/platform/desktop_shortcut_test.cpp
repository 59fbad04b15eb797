#include "platform/desktop_shortcut.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_system.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace {

class DesktopShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment_.Unset("PKEXEC_UID").Unset("SUDO_UID").Unset("WAYLAND_DISPLAY").Unset("DISPLAY");
        environment_.Unset("XDG_CONFIG_HOME").Set("HOME", home_.Path());
    }
    test_support::TempFolder home_;
    ScopedEnvironment environment_;
};

TEST_F(DesktopShortcutTest, ExecLineQuotesWhatTheLauncherWouldSplitOrExpand) {
    struct Case {
        std::string program;
        std::string exec;
    };
    const Case cases[] = {
        {"/opt/ixo/ixo-setup", "Exec=/opt/ixo/ixo-setup"},
        {"/opt/my app/ixo-setup", "Exec=\"/opt/my app/ixo-setup\""},
        {"/tmp/a$b\\c\"d`e", "Exec=\"/tmp/a\\\\$b\\\\\\\\c\\\\\"d\\\\`e\""},
        {"/tmp/100%", "Exec=/tmp/100%%"},
    };
    for (const Case& test : cases) {
        std::string entry = platform::FormatDesktopEntry("ixo-setup", test.program, "/opt/ixo");
        EXPECT_NE(entry.find("\n" + test.exec + "\n"), std::string::npos) << entry;
    }
    std::string entry = platform::FormatDesktopEntry("ixo-setup", "/x", "/opt/back\\slash");
    EXPECT_EQ(entry,
              "[Desktop "
              "Entry]\nType=Application\nName=ixo-setup\nExec=/x\nPath=/opt/back\\\\slash\nTerminal=false\n");
}

TEST_F(DesktopShortcutTest, CreateAndRemoveOnTheDesktop) {
    std::filesystem::create_directory(home_.Path() + "Desktop");
    std::string shortcut = home_.Path() + "Desktop/ixo-setup.desktop";
    ASSERT_TRUE(platform::CreateDesktopShortcut("ixo-setup", "/opt/ixo/ixo-setup", "/opt/ixo"));
    EXPECT_EQ(platform::ReadFile(shortcut),
              platform::FormatDesktopEntry("ixo-setup", "/opt/ixo/ixo-setup", "/opt/ixo"));
    EXPECT_EQ(std::filesystem::status(shortcut).permissions(), std::filesystem::perms(0755));
    // A second creation replaces the first.
    ASSERT_TRUE(platform::CreateDesktopShortcut("ixo-setup", "/opt/new/ixo-setup", "/opt/new"));
    EXPECT_EQ(platform::ReadFile(shortcut),
              platform::FormatDesktopEntry("ixo-setup", "/opt/new/ixo-setup", "/opt/new"));

    EXPECT_EQ(platform::RemoveDesktopShortcut("ixo-setup"), platform::ShortcutRemoval::kRemoved);
    EXPECT_FALSE(platform::FileExists(shortcut));
    EXPECT_EQ(platform::RemoveDesktopShortcut("ixo-setup"), platform::ShortcutRemoval::kFailed);
    EXPECT_FALSE(platform::CreateDesktopShortcut("../escape", "/x", "/"));
}

TEST_F(DesktopShortcutTest, WithoutADesktopFolderNothingIsWritten) {
    EXPECT_FALSE(platform::CreateDesktopShortcut("ixo-setup", "/opt/ixo/ixo-setup", "/opt/ixo"));
    EXPECT_FALSE(platform::FolderExists(home_.Path() + "Desktop"));
    EXPECT_EQ(platform::RemoveDesktopShortcut("ixo-setup"), platform::ShortcutRemoval::kNoDesktop);
}

}  // namespace
