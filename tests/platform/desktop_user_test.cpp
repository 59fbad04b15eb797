#include "platform/desktop_user.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace {

// No launcher variables and no display: the desktop user is the effective user, at $HOME.
class DesktopUserTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment_.Unset("PKEXEC_UID").Unset("SUDO_UID").Unset("WAYLAND_DISPLAY").Unset("DISPLAY");
        environment_.Unset("XDG_CONFIG_HOME").Unset("XDG_DATA_HOME").Set("HOME", home_.Path());
    }
    test_support::TempFolder home_;
    ScopedEnvironment environment_;
};

TEST_F(DesktopUserTest, LauncherVariablesNameTheUserBeforeTheEffectiveOne) {
    std::optional<platform::DesktopUser> me = platform::FindDesktopUser();
    ASSERT_TRUE(me);
    EXPECT_EQ(me->home, home_.Path());

    // 65534 is "nobody" on this system's family of distributions.
    environment_.Set("SUDO_UID", "65534");
    std::optional<platform::DesktopUser> sudo = platform::FindDesktopUser();
    ASSERT_TRUE(sudo);
    EXPECT_EQ(sudo->uid, 65534u);
    EXPECT_EQ(sudo->name, "nobody");
    EXPECT_NE(sudo->home, home_.Path());  // another user's home comes from the account, not from $HOME

    environment_.Set("PKEXEC_UID", std::to_string(me->uid));
    std::optional<platform::DesktopUser> pkexec = platform::FindDesktopUser();
    ASSERT_TRUE(pkexec);
    EXPECT_EQ(pkexec->uid, me->uid);

    environment_.Set("PKEXEC_UID", "not a number").Unset("SUDO_UID");
    EXPECT_EQ(platform::FindDesktopUser()->uid, me->uid);
}

TEST_F(DesktopUserTest, DesktopFolderFollowsUserDirs) {
    platform::DesktopUser me = *platform::FindDesktopUser();
    EXPECT_EQ(platform::GetUserDesktopFolder(me), home_.Path() + "Desktop/");

    home_.Write(".config/user-dirs.dirs",
                "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    EXPECT_EQ(platform::GetUserDesktopFolder(me), home_.Path() + "Schreibtisch/");

    test_support::TempFolder config;
    config.Write("user-dirs.dirs", "XDG_DESKTOP_DIR=\"/srv/desk\"\n");
    environment_.Set("XDG_CONFIG_HOME", config.Path());
    EXPECT_EQ(platform::GetUserDesktopFolder(me), "/srv/desk/");
}

TEST_F(DesktopUserTest, DataFolderIsXdgDataHomeOrLocalShare) {
    platform::DesktopUser me = *platform::FindDesktopUser();
    EXPECT_EQ(platform::GetUserDataFolder(me), home_.Path() + ".local/share/");
    environment_.Set("XDG_DATA_HOME", "/srv/data");
    EXPECT_EQ(platform::GetUserDataFolder(me), "/srv/data/");
    environment_.Set("XDG_DATA_HOME", "relative/is/ignored");
    EXPECT_EQ(platform::GetUserDataFolder(me), home_.Path() + ".local/share/");
}

}  // namespace
