// The pre-sized temporary file and the report of who holds a file open.
#include "downloader/sized_file.h"

#include <gtest/gtest.h>

#include "formats/utf_conversion.h"
#include "platform/file_handle.h"
#include "platform/file_lockers.h"
#include "platform/file_system.h"
#include "platform/process_identity.h"
#include "tests/downloader/test_support.h"
#include "tests/support/child_process.h"

namespace ixo_test {
namespace {

using ns_IXD::CreateSizedFile;

struct SizedCase {
    const char* what;
    std::string relative;  // "" for an empty path
    int64_t size;
    int outcome;
};

TEST(SizedFileTest, CreatesTheFileAtItsSizeInFoldersThatMayNotExistYet) {
    EnsureTestLog();
    TempFolder folder;
    ASSERT_TRUE(WriteTestFile(folder.Path() + "old.~P2S", "leftover of an earlier run"));
    const SizedCase cases[] = {
        {"empty path", "", 10, ns_IXD::kSizedFileEmptyPath},
        {"empty file", "zero.~P2S", 0, ns_IXD::kSizedFileCreated},
        {"sized", "a.~P2S", 5000000, ns_IXD::kSizedFileCreated},
        {"missing folders", "x/y/z.~P2S", 4096, ns_IXD::kSizedFileCreated},
        {"leftover replaced", "old.~P2S", 7, ns_IXD::kSizedFileCreated},
    };
    for (const SizedCase& test : cases) {
        SCOPED_TRACE(test.what);
        std::string path = test.relative.empty() ? "" : folder.Path() + test.relative;
        int error = -1;
        EXPECT_EQ(CreateSizedFile(Utf8ToUtf16(path), error, test.size), test.outcome);
        if (test.outcome == ns_IXD::kSizedFileCreated) {
            EXPECT_EQ(error, 0);
            EXPECT_EQ(platform::GetFileSize(path), test.size);
        }
    }
    EXPECT_EQ(ReadTestFile(folder.Path() + "old.~P2S"), std::string(7, '\0'));
}

TEST(SizedFileTest, LeftoverHeldByAnotherProcessIsNotReplaced) {
    EnsureTestLog();
    TempFolder folder;
    std::string path = folder.Path() + "held.~P2S";
    ASSERT_TRUE(WriteTestFile(path, "held"));
    test_support::ChildProcess holder({"/bin/sh", "-c", "exec 3<'" + path + "'; exec sleep 60"});
    ASSERT_TRUE(WaitUntil([&] { return platform::FileInUseByOtherProcess(path); }));

    int error = 0;
    EXPECT_EQ(CreateSizedFile(Utf8ToUtf16(path), error, 100), ns_IXD::kSizedFileCreateFailed);
    EXPECT_EQ(error, 32);
    EXPECT_EQ(ReadTestFile(path), "held");
    EXPECT_NE(ReadLog().find("[WARN] before create, delete file=[" + path + "], error=[32]."),
              std::string::npos);
}

TEST(SizedFileTest, FullDiskIsOutcome2AndLeavesNoFile) {
    EnsureTestLog();
    TempFolder folder;
    std::string disk = folder.Path() + "disk";
    platform::CreateFolderWithParents(disk);
    if (Shell("mount -t tmpfs -o size=1m ixo-test-disk '" + disk + "' 2>/dev/null") != 0) {
        GTEST_SKIP() << "mounting a small tmpfs is not permitted here";
    }
    int error = 0;
    int outcome = CreateSizedFile(Utf8ToUtf16(disk + "/big.~P2S"), error, 4 * 1024 * 1024);
    bool left = platform::FileExists(disk + "/big.~P2S");
    Shell("umount '" + disk + "'");
    EXPECT_EQ(outcome, ns_IXD::kSizedFileNoSpace);
    EXPECT_EQ(error, 112);
    EXPECT_FALSE(left);
}

TEST(SizedFileTest, LockersAreNamedButThisProcessIsNot) {
    EnsureTestLog();
    TempFolder folder;
    std::string path = folder.Path() + "target.exe";
    ASSERT_TRUE(WriteTestFile(path, "x"));
    platform::FileHandle own;
    ASSERT_TRUE(own.Open(path, platform::FileHandle::Mode::kOpenExisting));
    ns_IXD::LogFileLockers(Utf8ToUtf16(path));
    std::string own_line = "process=[" + std::to_string(platform::CurrentProcessId()) + "]";
    EXPECT_EQ(ReadLog().find(own_line), std::string::npos);

    test_support::ChildProcess holder({"/bin/sh", "-c", "exec 3<'" + path + "'; exec sleep 60"});
    ASSERT_TRUE(WaitUntil([&] {
        for (const platform::FileLocker& locker : platform::ListFileLockers(path, 10)) {
            if (locker.name == "sleep") return true;
        }
        return false;
    }));
    ns_IXD::LogFileLockers(Utf8ToUtf16(path));
    EXPECT_NE(ReadLog().find("[WARN] process=[" + std::to_string(holder.Pid()) +
                             "][sleep] locked the file=[" + path + "] "),
              std::string::npos);
}

}  // namespace
}  // namespace ixo_test
