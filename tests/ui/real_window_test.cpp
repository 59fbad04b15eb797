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

// Runs one case of real_window_checks.sh under xvfb-run; the previews' output lands in `folder`.
void RunCase(const std::string& name, const test_support::TempFolder& folder) {
    test_support::ChildProcess run(
        {"/usr/bin/xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", "/bin/bash",
         IXO_SOURCE_DIR "/tests/ui/real_window_checks.sh", name, IXO_BINARY_DIR "/bin/skin-preview",
         folder.Path()},
        {"XDG_RUNTIME_DIR=" + folder.Path(), "XDG_CACHE_HOME=" + folder.Path() + "cache",
         "XDG_CONFIG_HOME=" + folder.Path() + "config", "XDG_DATA_HOME=" + folder.Path() + "data",
         "GSETTINGS_BACKEND=memory", "NO_AT_BRIDGE=1"});
    ASSERT_TRUE(run.Started());
    std::optional<int> status = run.Wait(std::chrono::seconds(90));
    ASSERT_EQ(status, 0) << run.Output() << "\n--- main:\n"
                         << platform::ReadFile(folder.Path() + "main.out").value_or("") << "\n--- mask:\n"
                         << platform::ReadFile(folder.Path() + "mask.out").value_or("");
    EXPECT_NE(run.Output().find("passed " + name), std::string::npos) << run.Output();
}

bool CanRun() {
    return Installed("xvfb-run") && Installed("Xvfb") && Installed("xdotool");
}

TEST(RealWindowTest, ClickOnInstallMadeByARealInputEventIsReported) {
    if (!CanRun()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    test_support::TempFolder folder;
    RunCase("click", folder);
    std::string preview = platform::ReadFile(folder.Path() + "main.out").value_or("");
    EXPECT_NE(preview.find("rect lay_main 0 0 600 400\n"), std::string::npos) << preview;
    EXPECT_NE(preview.find("\nclick btn_install\n"), std::string::npos) << preview;
}

// The combo's list is a native pop-up under the combo; choosing in it with the pointer raises "itemselect".
TEST(RealWindowTest, ChoiceInTheLanguageListIsReported) {
    if (!CanRun()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    test_support::TempFolder folder;
    RunCase("combo", folder);
}

// Without a compositor the overlay cannot blend: it is cut to the shape of what it paints, so its nearly
// transparent surface lets clicks through to the page beneath while its buttons still take theirs.
TEST(RealWindowTest, OverlayTakesClicksOnItsButtonsAndLetsTheRestThrough) {
    if (!CanRun()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    test_support::TempFolder folder;
    RunCase("overlay", folder);
}

}  // namespace
