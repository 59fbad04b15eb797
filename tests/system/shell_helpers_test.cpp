#include "system/shell_helpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <vector>

#include "formats/utf_conversion.h"
#include "platform/browser_locations.h"
#include "platform/file_system.h"
#include "platform/window_endpoint.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace {

std::string ReadWholeFile(const std::string& path) {
    return platform::ReadFile(path).value_or("");
}

using test_support::TempFolder;

// Collects what a window receives, straight from the endpoint's reader (no loop is needed to look).
class Inbox {
public:
    platform::WindowEndpoint::LoopPoster Poster() {
        return [this](std::function<void()> task) {
            task();
            std::lock_guard guard(lock_);
            arrived_.notify_all();
        };
    }
    platform::WindowEndpoint::Handler Handler() {
        return [this](const platform::WindowMessage& message) {
            std::lock_guard guard(lock_);
            messages_.push_back(message);
        };
    }
    // Waits until `count` messages arrived; a copy of them.
    std::vector<platform::WindowMessage> WaitFor(size_t count) {
        std::unique_lock guard(lock_);
        arrived_.wait_for(guard, std::chrono::seconds(20), [&] { return messages_.size() >= count; });
        return messages_;
    }

private:
    std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<platform::WindowMessage> messages_;
};

class ShellHelpersTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment_.Set("XDG_RUNTIME_DIR", runtime_.Path()).Set("HOME", home_.Path());
        environment_.Unset("PKEXEC_UID").Unset("SUDO_UID").Unset("WAYLAND_DISPLAY").Unset("DISPLAY");
        environment_.Unset("XDG_CONFIG_HOME");
    }
    TempFolder runtime_;
    TempFolder home_;
    ScopedEnvironment environment_;
};

TEST_F(ShellHelpersTest, ActivateInstanceShowsOrRestoresTheMainWindowAndBringsItForward) {
    Inbox inbox;
    platform::WindowEndpoint window;
    ASSERT_TRUE(window.Create("IXO", "Kelvarosoft Mendrake", inbox.Poster(), inbox.Handler()));
    platform::WindowEndpoint other_class;
    Inbox ignored;
    ASSERT_TRUE(other_class.Create("NOTIXO", "Kelvarosoft Mendrake", ignored.Poster(), ignored.Handler()));

    ActivateInstance(u"Kelvarosoft Mendrake");
    ASSERT_TRUE(window.SetMinimized(true));
    ActivateInstance(u"Kelvarosoft Mendrake");
    ActivateInstance(u"Another Product");  // no window: nothing posted
    ASSERT_TRUE(platform::PostWindowMessage(window.Handle(), 1, 0, 0));

    std::vector<platform::WindowMessage> messages = inbox.WaitFor(5);
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[0].message, platform::kMessageShowWindow);
    EXPECT_EQ(messages[0].wparam, 5);
    EXPECT_EQ(messages[1].message, platform::kMessageSetForeground);
    EXPECT_EQ(messages[2].message, platform::kMessageShowWindow);
    EXPECT_EQ(messages[2].wparam, 9);
    EXPECT_EQ(messages[3].message, platform::kMessageSetForeground);
    EXPECT_EQ(messages[4].message, 1u);
    EXPECT_TRUE(ignored.WaitFor(0).empty());
}

TEST_F(ShellHelpersTest, DesktopShortcutOfTheRunningProgram) {
    EXPECT_TRUE(RemoveDesktopShortcut());  // no desktop folder: nothing to remove
    std::filesystem::create_directory(home_.Path() + "Desktop");
    // The test program stands in for the installer: its own name is what the removal looks for.
    ASSERT_TRUE(CreateDesktopShortcut(u"system_tests", u"/opt/ixo"));
    std::string shortcut = home_.Path() + "Desktop/system_tests.desktop";
    EXPECT_NE(ReadWholeFile(shortcut).find("\nExec=/opt/ixo/system_tests\nPath=/opt/ixo\n"),
              std::string::npos);
    EXPECT_TRUE(RemoveDesktopShortcut());
    EXPECT_FALSE(std::filesystem::exists(shortcut));
    EXPECT_FALSE(RemoveDesktopShortcut());  // already gone
}

TEST_F(ShellHelpersTest, PreferredBrowserFollowsTheFixedOrder) {
    TempFolder root;
    environment_.Set("PATH", root.Path() + "usr/bin");
    platform::SetBrowserRootForTesting(root.Path());
    auto install = [&](const std::string& path) {
        std::string file = root.Write(path, "#!/bin/sh\n");
        std::filesystem::permissions(file, std::filesystem::perms(0755));
        return Utf8ToUtf16(file);
    };
    EXPECT_EQ(FindPreferredBrowser(), u"");
    std::u16string opera = install("usr/bin/opera");
    EXPECT_EQ(FindPreferredBrowser(), opera);
    std::u16string firefox = install("opt/firefox/firefox");
    EXPECT_EQ(FindPreferredBrowser(), firefox);
    std::u16string chrome = install("usr/bin/google-chrome");
    EXPECT_EQ(FindPreferredBrowser(), chrome);
    platform::SetBrowserRootForTesting("");
}

TEST_F(ShellHelpersTest, WithoutADisplayNoFolderIsChosenAndNothingIsCentred) {
    EXPECT_EQ(BrowseForFolder(0, u"Select the installation folder"), u"");
    EXPECT_FALSE(CenterWindow(0));
}

}  // namespace
