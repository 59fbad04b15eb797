#include "platform/browser_locations.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace {

class BrowserLocationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment_.Set("PATH",
                         "relative/bin:" + root_.Path() + "usr/bin:" + root_.Path() + "usr/local/bin");
        platform::SetBrowserRootForTesting(root_.Path());
    }
    void TearDown() override { platform::SetBrowserRootForTesting(""); }

    std::string Install(const std::string& path, bool executable = true) {
        std::string file = root_.Write(path, "#!/bin/sh\n");
        std::filesystem::permissions(file, std::filesystem::perms(executable ? 0755 : 0644));
        return file;
    }

    test_support::TempFolder root_;
    ScopedEnvironment environment_;
};

TEST_F(BrowserLocationsTest, NothingInstalledFindsNothing) {
    for (platform::Browser browser : {platform::Browser::kChrome, platform::Browser::kFirefox,
                                      platform::Browser::kSafari, platform::Browser::kOpera}) {
        EXPECT_EQ(platform::FindBrowserExecutable(browser), "");
    }
}

TEST_F(BrowserLocationsTest, CommandsAlongPathComeBeforeFixedPlaces) {
    std::string fixed = Install("opt/google/chrome/chrome");
    EXPECT_EQ(platform::FindBrowserExecutable(platform::Browser::kChrome), fixed);
    std::string chromium = Install("usr/local/bin/chromium");
    EXPECT_EQ(platform::FindBrowserExecutable(platform::Browser::kChrome), chromium);
    std::string stable = Install("usr/local/bin/google-chrome-stable");  // earlier command name wins
    EXPECT_EQ(platform::FindBrowserExecutable(platform::Browser::kChrome), stable);
}

TEST_F(BrowserLocationsTest, FilesThatCannotRunAreNoBrowser) {
    Install("usr/bin/firefox", false);
    std::filesystem::create_directories(root_.Path() + "usr/local/bin/firefox");
    EXPECT_EQ(platform::FindBrowserExecutable(platform::Browser::kFirefox), "");
    std::string esr = Install("usr/lib/firefox-esr/firefox-esr");
    EXPECT_EQ(platform::FindBrowserExecutable(platform::Browser::kFirefox), esr);
}

TEST_F(BrowserLocationsTest, SandboxedInstallsAreFound) {
    std::string opera = Install("var/lib/flatpak/exports/bin/com.opera.Opera");
    EXPECT_EQ(platform::FindBrowserExecutable(platform::Browser::kOpera), opera);
    std::string firefox = Install("snap/bin/firefox");
    EXPECT_EQ(platform::FindBrowserExecutable(platform::Browser::kFirefox), firefox);
}

}  // namespace
