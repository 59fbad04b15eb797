#include "system/process_launch.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/read_only_hold.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"

namespace {

std::string ReadWholeFile(const std::string& path) {
    return platform::ReadFile(path).value_or("");
}

using test_support::TempFolder;

std::u16string U(const std::string& text) {
    return Utf8ToUtf16(text);
}

TEST(RunExeTest, PassesTheSplitParametersAndReturnsTheExitCode) {
    TempFolder folder;
    // Arrives without the execute permission, as a download does.
    std::string installer =
        folder.Write("setup.sh", "#!/bin/sh\nprintf '%s|' \"$@\" > \"$(dirname \"$0\")/args\"\nexit 5\n");
    std::filesystem::permissions(installer, std::filesystem::perms(0644));
    test_support::LogCapture capture;
    EXPECT_EQ(RunExe(U(installer), u"/S /LANG=DEU /DIR=\"/opt/Kelvarosoft/My App/\" /IXOWIN=42", false), 5);
    EXPECT_EQ(ReadWholeFile(folder.Path() + "args"),
              "/S|/LANG=DEU|/DIR=/opt/Kelvarosoft/My App/|/IXOWIN=42|");
    std::string log = capture.NewText();
    EXPECT_NE(
        log.find(
            "[INFO] RunExe: \n path=[" + installer +
            "] \n param=[/S /LANG=DEU /DIR=\"/opt/Kelvarosoft/My App/\" /IXOWIN=42] \n hide=[0], block=[1]."),
        std::string::npos)
        << log;
    EXPECT_NE(log.find("[INFO] RunExe ret=[5]."), std::string::npos) << log;
}

TEST(RunExeTest, HoldsThePackageWhileTheInstallerRunsUnlessAskedNotTo) {
    TempFolder folder;
    std::string marker = folder.Path() + "held";
    // The installer itself reports whether its own package is held by someone.
    std::string installer = folder.Write("setup.sh",
                                         "#!/bin/sh\ninode=$(stat -c %i \"$0\")\ngrep -q \":$inode \" "
                                         "/proc/locks && echo yes > \"$1\" || echo no > "
                                         "\"$1\"\n");
    std::filesystem::permissions(installer, std::filesystem::perms(0755));
    EXPECT_EQ(RunExe(U(installer), U(marker), false), 0);
    EXPECT_EQ(ReadWholeFile(marker), "yes\n");
    EXPECT_FALSE(platform::IsFileHeld(installer));  // released afterwards
    EXPECT_EQ(RunExe(U(installer), U(marker), true), 0);
    EXPECT_EQ(ReadWholeFile(marker), "no\n");
}

TEST(RunExeTest, MissingOrUnstartablePackageGivesMinusOne) {
    TempFolder folder;
    std::string garbage = folder.Write("garbage.bin", std::string("\x01\x02\x03\x04", 4));
    struct Case {
        std::string path;
        bool skip_lock;
        const char* error;
    };
    const Case cases[] = {
        {folder.Path() + "missing.exe", false, "[ERROR] RunExe failed! err=[2]"},  // cannot be opened
        {folder.Path() + "missing.exe", true, "[ERROR] RunExe failed! err=[2]"},   // cannot be started
        {garbage, false, "[ERROR] RunExe failed! err=[8]"},                        // not a program
    };
    for (const Case& test : cases) {
        test_support::LogCapture capture;
        EXPECT_EQ(RunExe(U(test.path), u"", test.skip_lock), -1) << test.path;
        std::string log = capture.NewText();
        EXPECT_NE(log.find(test.error), std::string::npos) << log;
        EXPECT_EQ(log.find("RunExe ret="), std::string::npos) << log;
    }
}

TEST(RunHiddenTest, TrueOnlyForExitCodeZeroWithinTheLimit) {
    TempFolder folder;
    std::string out = folder.Path() + "out";
    EXPECT_TRUE(RunHidden(u"/bin/sh -c \"echo ran > '" + U(out) + u"'\""));
    EXPECT_EQ(ReadWholeFile(out), "ran\n");
    EXPECT_FALSE(RunHidden(u"/bin/sh -c \"exit 1\""));
    EXPECT_FALSE(RunHidden(U(folder.Path()) + u"missing"));
    EXPECT_FALSE(RunHidden(u""));
    EXPECT_TRUE(RunHidden(u"\"/bin/sh\" -c true"));
}

TEST(RunHiddenTest, ProcessStillRunningAtTheLimitIsKilled) {
    TempFolder folder;
    std::string pid_file = folder.Path() + "pid";
    EXPECT_FALSE(RunHiddenWithin(u"/bin/sh -c \"echo $$ > '" + U(pid_file) + u"'; exec sleep 1000\"", 300));
    std::string pid = ReadWholeFile(pid_file);
    ASSERT_FALSE(pid.empty());
    pid.pop_back();
    EXPECT_FALSE(std::filesystem::exists("/proc/" + pid + "/stat"));
}

}  // namespace
