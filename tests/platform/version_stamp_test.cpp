#include "platform/version_stamp.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/child_process.h"
#include "platform/file_system.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(VersionStampTest, FilesWithoutAStampHaveNoVersion) {
    test_support::TempFolder folder;
    EXPECT_FALSE(platform::ReadVersionStamp(folder.Write("empty", "")));
    EXPECT_FALSE(platform::ReadVersionStamp(folder.Write("short", "IXOVER")));
    EXPECT_FALSE(platform::ReadVersionStamp(folder.Write("text", std::string(100, 'x'))));
    EXPECT_FALSE(platform::ReadVersionStamp(folder.Path() + "missing"));
    EXPECT_FALSE(platform::ReadVersionStamp(folder.Path()));
    EXPECT_FALSE(platform::WriteVersionStamp(folder.Path() + "missing", {1, 2, 3, 4}));
}

TEST(VersionStampTest, StampIsReadBackAndReplacedNotStacked) {
    test_support::TempFolder folder;
    std::string file = folder.Write("package", "payload");
    ASSERT_TRUE(platform::WriteVersionStamp(file, {5, 1, 65535, 3}));
    EXPECT_EQ(platform::ReadVersionStamp(file), (platform::FileVersion{5, 1, 65535, 3}));
    ASSERT_TRUE(platform::WriteVersionStamp(file, {6, 0, 0, 1}));
    EXPECT_EQ(platform::ReadVersionStamp(file), (platform::FileVersion{6, 0, 0, 1}));
    EXPECT_EQ(platform::GetFileSize(file), int64_t(7 + 24));
    EXPECT_EQ(platform::ReadFile(file)->substr(0, 7), "payload");
}

TEST(VersionStampTest, StampedScriptStillRuns) {
    test_support::TempFolder folder;
    std::string script = folder.Write("setup.sh", "#!/bin/sh\nexit 4\n");
    std::filesystem::permissions(script, std::filesystem::perms(0755));
    ASSERT_TRUE(platform::WriteVersionStamp(script, {1, 0, 0, 0}));
    platform::ChildProcess child;
    platform::ProcessStart start;
    start.program = script;
    ASSERT_TRUE(child.Start(start));
    EXPECT_EQ(child.Wait(20000), 4);
}

TEST(VersionStampTest, TheBuildStampsTheInstaller) {
    std::optional<platform::FileVersion> version =
        platform::ReadVersionStamp(IXO_BINARY_DIR "/bin/ixo-setup");
    ASSERT_TRUE(version);
    EXPECT_EQ(*version, (platform::FileVersion{IXO_VERSION_MAJOR, IXO_VERSION_MINOR, IXO_VERSION_PATCH,
                                               IXO_VERSION_TWEAK}));
}

TEST(VersionStampTest, ToolSetsGetsAndRejectsBadVersions) {
    test_support::TempFolder folder;
    std::string file = folder.Write("package", "payload");
    auto run = [](std::vector<std::string> arguments) {
        platform::ChildProcess tool;
        platform::ProcessStart start;
        start.program = IXO_BINARY_DIR "/bin/ixo-stamp";
        start.arguments = std::move(arguments);
        start.hidden = true;
        return tool.Start(start) ? tool.Wait(20000) : std::nullopt;
    };
    EXPECT_EQ(run({"get", file}), 1);
    for (const char* bad : {"1.2.3", "1.2.3.4.5", "1.2.3.65536", "1..2.3", "a.b.c.d", "1.2.3.-4"}) {
        EXPECT_EQ(run({"set", file, bad}), 2) << bad;
    }
    EXPECT_FALSE(platform::ReadVersionStamp(file));
    EXPECT_EQ(run({"set", file, "2.10.0.7"}), 0);
    EXPECT_EQ(platform::ReadVersionStamp(file), (platform::FileVersion{2, 10, 0, 7}));
    EXPECT_EQ(run({"get", file}), 0);
}

}  // namespace
