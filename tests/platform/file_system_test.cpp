#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(FileSystemTest, CreatesEveryMissingParentAndReportsWhatBlocksIt) {
    test_support::TempFolder root;
    std::string deep = root.Path() + "a/b c/d/";
    EXPECT_TRUE(platform::CreateFolderWithParents(deep));
    EXPECT_TRUE(platform::FolderExists(deep));
    EXPECT_TRUE(platform::CreateFolderWithParents(deep));  // already there

    root.Write("file", "x");
    EXPECT_FALSE(platform::CreateFolderWithParents(root.Path() + "file/sub/"));
    EXPECT_FALSE(platform::CreateFolderWithParents(""));
}

TEST(FileSystemTest, ListsEntriesWithKindAndModificationTime) {
    test_support::TempFolder root;
    root.Write("kxIXO.log", "log");
    ASSERT_TRUE(platform::CreateFolderWithParents(root.Path() + "sub"));
    struct timespec times[2] = {{1600000000, 123456789}, {1600000000, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, (root.Path() + "kxIXO.log").c_str(), times, 0), 0);

    std::vector<platform::FolderEntry> entries = platform::ListFolder(root.Path());
    ASSERT_EQ(entries.size(), 2u);
    for (const platform::FolderEntry& entry : entries) {
        if (entry.name == "kxIXO.log") {
            EXPECT_FALSE(entry.is_folder);
            EXPECT_EQ(entry.modified_ns, 1600000000123456789LL);
        } else {
            EXPECT_EQ(entry.name, "sub");
            EXPECT_TRUE(entry.is_folder);
        }
    }
    EXPECT_TRUE(platform::ListFolder(root.Path() + "missing/").empty());
}

// Readers racing with writers see one complete version or the other, never a torn or empty file.
TEST(FileSystemTest, AtomicWritesAreNeverSeenHalfDone) {
    test_support::TempFolder root;
    const std::string path = root.Path() + "state";
    const std::string first(200000, 'a');
    const std::string second(300000, 'b');
    ASSERT_TRUE(platform::WriteFileAtomically(path, first));

    std::vector<std::thread> writers;
    for (int w = 0; w < 2; ++w) {
        writers.emplace_back([&, w] {
            for (int i = 0; i < 20; ++i) EXPECT_TRUE(platform::WriteFileAtomically(path, w ? second : first));
        });
    }
    bool torn = false;
    for (int i = 0; i < 200; ++i) {
        std::optional<std::string> seen = platform::ReadFile(path);
        torn = torn || !seen || (*seen != first && *seen != second);
    }
    for (std::thread& writer : writers) writer.join();
    EXPECT_FALSE(torn);
    EXPECT_EQ(platform::ListFolder(root.Path()).size(), 1u);  // no temporary file left behind
}

TEST(FileSystemTest, RenameDeleteAndSizeReportFailure) {
    test_support::TempFolder root;
    root.Write("from", "12345");
    EXPECT_EQ(platform::GetFileSize(root.Path() + "from"), 5);
    EXPECT_TRUE(platform::RenameFile(root.Path() + "from", root.Path() + "to"));
    EXPECT_FALSE(platform::FileExists(root.Path() + "from"));
    EXPECT_FALSE(platform::RenameFile(root.Path() + "from", root.Path() + "again"));
    EXPECT_FALSE(platform::RenameFile(root.Path() + "to", ""));
    EXPECT_TRUE(platform::DeleteFile(root.Path() + "to"));
    EXPECT_FALSE(platform::DeleteFile(root.Path() + "to"));
    EXPECT_FALSE(platform::GetFileSize(root.Path() + "to"));
}

TEST(PathsTest, TempFolderFollowsTmpdirAndEndsInSlash) {
    std::string saved = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    setenv("TMPDIR", "/var/tmp", 1);
    EXPECT_EQ(platform::GetTempFolder(), "/var/tmp/");
    setenv("TMPDIR", "", 1);
    EXPECT_EQ(platform::GetTempFolder(), "/tmp/");
    if (saved.empty()) unsetenv("TMPDIR"); else setenv("TMPDIR", saved.c_str(), 1);
    EXPECT_EQ(platform::GetExecutablePath().substr(platform::GetExecutablePath().rfind('/')), "/platform_tests");
}

}  // namespace
