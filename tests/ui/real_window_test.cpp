// The real window under Xvfb: skin-preview opens skin.xml from the embedded archive at 600 x 400, and a click
// on "btn_install" made by a real input event reaches the window as a "click" notification.
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace {

bool Installed(const std::string& program) {
    for (const char* folder : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
        if (platform::FileExists(folder + program)) return true;
    }
    return false;
}

TEST(RealWindowTest, ClickOnInstallMadeByARealInputEventIsReported) {
    if (!Installed("xvfb-run") || !Installed("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    if (!Installed("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    test_support::TempFolder home;
    std::string output = home.Path() + "preview.out";
    test_support::ChildProcess run(
        {"/usr/bin/xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", "/bin/bash",
         IXO_SOURCE_DIR "/tests/ui/click_in_real_window.sh", IXO_BINARY_DIR "/bin/skin-preview", output},
        {"XDG_RUNTIME_DIR=" + home.Path(), "XDG_CACHE_HOME=" + home.Path() + "cache",
         "XDG_CONFIG_HOME=" + home.Path() + "config", "XDG_DATA_HOME=" + home.Path() + "data",
         "GSETTINGS_BACKEND=memory", "NO_AT_BRIDGE=1"});
    ASSERT_TRUE(run.Started());
    std::optional<int> status = run.Wait(std::chrono::seconds(90));
    std::string preview = platform::ReadFile(output).value_or("");
    ASSERT_EQ(status, 0) << run.Output() << "\n--- preview:\n" << preview;
    EXPECT_NE(run.Output().find("geometry 600x400"), std::string::npos);
    EXPECT_NE(preview.find("rect lay_main 0 0 600 400\n"), std::string::npos) << preview;
    EXPECT_NE(preview.find("\nclick btn_install\n"), std::string::npos) << preview;
}

}  // namespace
