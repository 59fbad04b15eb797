#include "platform/child_process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "platform/file_system.h"
#include "tests/support/temp_folder.h"

namespace {

platform::ProcessStart Shell(const std::string& script, std::vector<std::string> extra = {}) {
    platform::ProcessStart start;
    start.program = "/bin/sh";
    start.arguments = {"-c", script, "sh"};
    start.arguments.insert(start.arguments.end(), extra.begin(), extra.end());
    return start;
}

TEST(ChildProcessTest, ReturnsTheExitStatusOrTheSignal) {
    struct Case {
        const char* script;
        int code;
    };
    const Case cases[] = {{"exit 0", 0}, {"exit 7", 7}, {"exit 255", 255}, {"kill -TERM $$", 128 + 15}};
    for (const Case& test : cases) {
        platform::ChildProcess child;
        ASSERT_TRUE(child.Start(Shell(test.script)));
        EXPECT_EQ(child.Wait(), test.code) << test.script;
        EXPECT_FALSE(child.IsStarted());
    }
}

TEST(ChildProcessTest, PassesArgumentsUnchangedAndStartsInTheWorkingFolder) {
    test_support::TempFolder folder;
    platform::ProcessStart start =
        Shell("printf '%s|' \"$@\" > args; pwd > where", {"a b", "c\"d", "", "$HOME", "*"});
    start.working_folder = folder.Path();
    platform::ChildProcess child;
    ASSERT_TRUE(child.Start(start));
    ASSERT_EQ(child.Wait(20000), 0);
    EXPECT_EQ(platform::ReadFile(folder.Path() + "args"), "a b|c\"d||$HOME|*|");
    std::string where = folder.Path();
    where.pop_back();
    EXPECT_EQ(platform::ReadFile(folder.Path() + "where"), where + "\n");
}

TEST(ChildProcessTest, HiddenProcessWritesToNowhere) {
    test_support::TempFolder folder;
    platform::ProcessStart start =
        Shell("x=$(readlink /proc/$$/fd/1); echo \"$x\" > \"$1\"", {folder.Path() + "out"});
    start.hidden = true;
    platform::ChildProcess child;
    ASSERT_TRUE(child.Start(start));
    ASSERT_EQ(child.Wait(20000), 0);
    EXPECT_EQ(platform::ReadFile(folder.Path() + "out"), "/dev/null\n");
}

TEST(ChildProcessTest, StartFailsWithTheReason) {
    test_support::TempFolder folder;
    std::string plain = folder.Write("plain", "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(plain, std::filesystem::perms(0644));
    struct Case {
        std::string program;
        int error;
    };
    const Case cases[] = {{folder.Path() + "missing", ENOENT}, {plain, EACCES}, {folder.Path(), EACCES}};
    for (const Case& test : cases) {
        platform::ChildProcess child;
        platform::ProcessStart start;
        start.program = test.program;
        int error = 0;
        EXPECT_FALSE(child.Start(start, &error)) << test.program;
        EXPECT_EQ(error, test.error) << test.program;
        EXPECT_FALSE(child.IsStarted());
    }
}

TEST(ChildProcessTest, WaitWithALimitReturnsNothingAndTerminateEndsTheProcess) {
    platform::ChildProcess child;
    ASSERT_TRUE(child.Start(Shell("exec sleep 1000")));
    EXPECT_EQ(child.Wait(100), std::nullopt);
    EXPECT_TRUE(child.IsStarted());
    EXPECT_TRUE(child.Terminate());
    EXPECT_FALSE(child.IsStarted());
    EXPECT_EQ(child.Wait(100), std::nullopt);
    EXPECT_FALSE(child.Terminate());
}

TEST(ChildProcessTest, MakeExecutableAddsExecuteWhereReadIsSet) {
    test_support::TempFolder folder;
    std::string script = folder.Write("setup", "#!/bin/sh\nexit 3\n");
    std::filesystem::permissions(script, std::filesystem::perms(0640));
    EXPECT_TRUE(platform::MakeExecutable(script));
    EXPECT_EQ(std::filesystem::status(script).permissions(), std::filesystem::perms(0750));
    EXPECT_TRUE(platform::IsExecutableFile(script));
    platform::ChildProcess child;
    platform::ProcessStart start;
    start.program = script;
    ASSERT_TRUE(child.Start(start));
    EXPECT_EQ(child.Wait(20000), 3);

    EXPECT_FALSE(platform::MakeExecutable(folder.Path() + "missing"));
    EXPECT_FALSE(platform::MakeExecutable(folder.Path()));
    EXPECT_FALSE(platform::IsExecutableFile(folder.Path()));
}

}  // namespace
