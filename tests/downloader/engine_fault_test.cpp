// Downloads through the engine's facade from servers that misbehave the way real servers and disks do.
#include <gtest/gtest.h>

#include <regex>

#include "downloader/multi_downloader.h"
#include "formats/utf_conversion.h"
#include "platform/file_lockers.h"
#include "platform/file_system.h"
#include "tests/downloader/engine_harness.h"
#include "tests/downloader/fault_server.h"
#include "tests/downloader/nginx_server.h"
#include "tests/support/child_process.h"

namespace ixo_test {
namespace {

std::string Url(int port, const std::string& path) {
    return "http://localhost:" + std::to_string(port) + path;
}

TEST_F(EngineTest, ServerRefusingRangesWith416IsFetchedWithOneConnectionNext) {
    FaultScript script;
    script.body = PatternBytes(600000, 11);
    script.refuse_closed_ranges = true;
    FaultServer server;
    int port = server.Start(script);
    ASSERT_GT(port, 0);

    ASSERT_EQ(Download(Url(port, "/refuse.bin"), Md5Hex(script.body)), 0);

    EXPECT_EQ(ReadTestFile(folder_.Path() + "refuse.bin"), script.body);
    EXPECT_EQ(callback_.Matching("OnAttemptEnd").front(), "OnAttemptEnd 0 3");
    // The second attempt asks once, for everything from byte 0.
    std::vector<std::string> second = AttemptLines(1);
    EXPECT_EQ(std::count(second.begin(), second.end(), "OnConnection 0 600000"), 1);
    EXPECT_EQ(server.Ranges().back(), "bytes=0-");
    EXPECT_NE(ReadLog().find("[WARN] not support range download."), std::string::npos);
}

TEST_F(EngineTest, ServerAnswering200ToRangesIsCaughtByMd5AndEndsWithOneConnection) {
    TempFolder site;
    std::string content = PatternBytes(1500000, 12);
    ASSERT_TRUE(WriteTestFile(site.Path() + "whole.bin", content));
    NginxServer nginx;
    ASSERT_TRUE(nginx.Start({{.root = site.Path(), .ranges = false}}));

    ASSERT_EQ(Download(Url(nginx.Port(), "/whole.bin"), Md5Hex(content)), 0);

    EXPECT_EQ(ReadTestFile(folder_.Path() + "whole.bin"), content);
    std::vector<std::string> ends = callback_.Matching("OnAttemptEnd");
    ASSERT_EQ(ends.size(), 5u);
    for (int attempt = 0; attempt < 4; ++attempt)
        EXPECT_EQ(ends[attempt], "OnAttemptEnd " + std::to_string(attempt) + " 11");
    std::vector<std::string> last = AttemptLines(4);
    EXPECT_EQ(std::count_if(last.begin(), last.end(),
                            [](const std::string& line) { return line.rfind("OnConnection ", 0) == 0; }),
              1);
}

TEST_F(EngineTest, WrongMd5LowersTheConnectionsTo12Then8Then4ThenOne) {
    TempFolder site;
    std::string content = PatternBytes(800000, 13);
    ASSERT_TRUE(WriteTestFile(site.Path() + "bad.bin", content));
    NginxServer nginx;
    ASSERT_TRUE(nginx.Start({{.root = site.Path()}}));

    ASSERT_EQ(Download(Url(nginx.Port(), "/bad.bin"), "0123456789abcdef0123456789abcdef"), 11);

    std::vector<std::string> configs = callback_.Matching("OnDownloadConfig");
    ASSERT_EQ(configs.size(), 10u);
    const int expected_connections[] = {24, 12, 8, 4, 1};
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::vector<std::string> lines = AttemptLines(attempt);
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& line) { return line.rfind("OnConnection ", 0) == 0; }),
                  expected_connections[attempt])
            << "attempt " << attempt;
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "OnAttemptEnd " + std::to_string(attempt) + " 11"),
                  1);
    }
    // The sixth attempt forgets the hosts and resolves again.
    EXPECT_EQ(callback_.Matching("OnDnsCacheCleared").size(), 1u);
    EXPECT_FALSE(platform::FileExists(folder_.Path() + "bad.bin"));
    EXPECT_FALSE(platform::FileExists(folder_.Path() + "bad.bin.~P2S"));
}

// "bytes=a-b" or "bytes=a-" as numbers; b is -1 for an open range.
std::pair<int64_t, int64_t> ParseRange(const std::string& header) {
    std::smatch match;
    if (!std::regex_match(header, match, std::regex("bytes=([0-9]+)-([0-9]*)"))) return {-1, -1};
    return {std::stoll(match[1]), match[2].length() ? std::stoll(match[2]) : -1};
}

TEST_F(EngineTest, RangeThatStallsAfterItsFirstBytesIsFetchedAgainFromWhereItStopped) {
    FaultScript script;
    script.body = PatternBytes(2000000, 14);
    script.stall_first_requests = 2;
    script.stall_after = 32768;
    FaultServer server;
    int port = server.Start(script);
    ASSERT_GT(port, 0);

    ASSERT_EQ(Download(Url(port, "/stall.bin"), Md5Hex(script.body)), 0);

    EXPECT_EQ(ReadTestFile(folder_.Path() + "stall.bin"), script.body);
    std::vector<std::string> ranges = server.Ranges();
    // The first two range requests stalled; each has a later one that starts where its bytes ended.
    for (int stalled = 0; stalled < 2; ++stalled) {
        auto [start, end] = ParseRange(ranges[stalled]);
        bool refetched = false;
        for (size_t later = 2; later < ranges.size(); ++later) {
            refetched |= ParseRange(ranges[later]) == std::make_pair(start + 32768, end);
        }
        EXPECT_TRUE(refetched) << ranges[stalled];
    }
    EXPECT_NE(ReadLog().find("[INFO] multi, failed, redownload range("), std::string::npos);
}

TEST_F(EngineTest, DroppedConnectionsAreFetchedAgain) {
    FaultScript script;
    script.body = PatternBytes(2000000, 15);
    script.drop_first_requests = 3;
    script.drop_after = 20000;
    FaultServer server;
    int port = server.Start(script);
    ASSERT_GT(port, 0);

    ASSERT_EQ(Download(Url(port, "/drop.bin"), Md5Hex(script.body)), 0);

    EXPECT_EQ(ReadTestFile(folder_.Path() + "drop.bin"), script.body);
    EXPECT_EQ(callback_.Matching("OnAttemptEnd"), std::vector<std::string>{"OnAttemptEnd 0 0"});
    EXPECT_NE(ReadLog().find("[ERROR] multi, curl_error=[18]"), std::string::npos);
}

TEST_F(EngineTest, ServerThatGoesAwayEndsEveryAttemptAndTheTaskWithConnectFailed) {
    // Ten attempts of 48 refused connections, three handled per supervision pass: short passes.
    ns_IXD::CMultiDownloader::SetSupervisionIntervalForTesting(5);
    TempFolder site;
    std::string content = PatternBytes(4 * 1024 * 1024, 18);
    ASSERT_TRUE(WriteTestFile(site.Path() + "gone.bin", content));
    NginxServer nginx;
    ASSERT_TRUE(nginx.Start({{.root = site.Path(), .limit_rate = "16k"}}));
    std::u16string url = Utf8ToUtf16(Url(nginx.Port(), "/gone.bin"));
    std::u16string folder = Utf8ToUtf16(folder_.Path());
    ASSERT_EQ(manager_->AddTask(url.c_str(), folder.c_str(), u"", 7, u"", u"", 0), 7);
    ASSERT_TRUE(WaitUntil([&] { return callback_.LastProgress() > 0; }));

    nginx.Stop();

    EXPECT_EQ(callback_.WaitFinished(), 2);
    EXPECT_EQ(callback_.Matching("OnAttemptEnd").size(), 10u);
    EXPECT_NE(ReadLog().find("[ERROR] multi, too many errors without progress (cnt=48 >= 48), break."),
              std::string::npos);
}

TEST_F(EngineTest, FullDiskGivesResult10) {
    std::string disk = folder_.Path() + "disk";
    platform::CreateFolderWithParents(disk);
    if (Shell("mount -t tmpfs -o size=1m ixo-test-disk '" + disk + "' 2>/dev/null") != 0) {
        GTEST_SKIP() << "mounting a small tmpfs is not permitted here";
    }
    TempFolder site;
    std::string content = PatternBytes(3 * 1024 * 1024, 16);
    ASSERT_TRUE(WriteTestFile(site.Path() + "huge.bin", content));
    NginxServer nginx;
    ASSERT_TRUE(nginx.Start({{.root = site.Path()}}));
    std::u16string url = Utf8ToUtf16(Url(nginx.Port(), "/huge.bin"));
    std::u16string folder = Utf8ToUtf16(disk + "/");

    ASSERT_EQ(
        manager_->AddTask(url.c_str(), folder.c_str(), u"", 7, u"", Utf8ToUtf16(Md5Hex(content)).c_str(), 0),
        7);
    int result = callback_.WaitFinished();
    Shell("umount '" + disk + "'");

    EXPECT_EQ(result, 10);
    EXPECT_EQ(callback_.Matching("OnFileOperationFailed"),
              std::vector<std::string>{"OnFileOperationFailed 3 112"});
    EXPECT_NE(ReadLog().find("[ERROR] multi, disk space not enough!"), std::string::npos);
}

TEST_F(EngineTest, TargetHeldOpenByAnotherProcessNamesItAndIsReplacedOnceReleased) {
    // Rename tries wait 100 ms, 200 ms ... so that the test has time to release the file.
    ns_IXD::CMultiDownloader::SetWaitScaleForTesting(100);
    TempFolder site;
    std::string content = PatternBytes(400000, 17);
    ASSERT_TRUE(WriteTestFile(site.Path() + "held.bin", content));
    std::string target = folder_.Path() + "held.bin";
    ASSERT_TRUE(WriteTestFile(target, "an older installer"));
    test_support::ChildProcess holder({"/bin/sh", "-c", "exec 3<'" + target + "'; exec sleep 60"});
    ASSERT_TRUE(WaitUntil([&] { return platform::FileInUseByOtherProcess(target); }));
    NginxServer nginx;
    ASSERT_TRUE(nginx.Start({{.root = site.Path()}}));
    std::u16string url = Utf8ToUtf16(Url(nginx.Port(), "/held.bin"));
    std::u16string folder = Utf8ToUtf16(folder_.Path());
    std::u16string md5 = Utf8ToUtf16(Md5Hex(content));
    ASSERT_EQ(manager_->AddTask(url.c_str(), folder.c_str(), u"", 7, u"", md5.c_str(), 0), 7);

    std::string locker =
        "[WARN] process=[" + std::to_string(holder.Pid()) + "][sleep] locked the file=[" + target + "] ";
    ASSERT_TRUE(WaitUntil([&] { return ReadLog().find(locker) != std::string::npos; })) << ReadLog();
    holder.Signal(9);
    holder.Wait();

    EXPECT_EQ(callback_.WaitFinished(), 0);
    EXPECT_EQ(ReadTestFile(target), content);
    EXPECT_NE(ReadLog().find("[ERROR] rename failed, try=1, err=32"), std::string::npos);
}

}  // namespace
}  // namespace ixo_test
