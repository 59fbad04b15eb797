// The engine's command-line front end, run as a child process: interrupted by Ctrl-C or killed outright, a
// download resumes from the range table saved in its temporary file.
#include <gtest/gtest.h>

#include "downloader/range_table.h"
#include "platform/file_handle.h"
#include "platform/file_system.h"
#include "tests/downloader/nginx_server.h"
#include "tests/downloader/test_support.h"
#include "tests/support/child_process.h"

namespace ixo_test {
namespace {

constexpr int kSigInt = 2;
constexpr int kSigKill = 9;

class IxoFetchTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureTestLog();
        // 2 MiB per connection: the first 1100 KiB of each come at once, the rest slowly.
        content_ = PatternBytes(12 * 1024 * 1024, 51);
        ASSERT_TRUE(WriteTestFile(site_.Path() + "fetch.bin", content_));
        ASSERT_TRUE(slow_.Start(
            {{.root = site_.Path(), .limit_rate = "16k", .extra = "    limit_rate_after 1100k;\n"}}));
        ASSERT_TRUE(fast_.Start({{.root = site_.Path()}}));
        temp_ = target_folder_.Path() + "fetch.bin.~P2S";
    }

    // With 6 MiB of memory the engine plans 6 connections with buffers of 1 MiB, so that data reaches the
    // disk, and the range table with it, long before a connection ends.
    std::unique_ptr<test_support::ChildProcess> Fetch(const NginxServer& server) {
        std::string url = "http://localhost:" + std::to_string(server.Port()) + "/fetch.bin";
        return std::make_unique<test_support::ChildProcess>(
            std::vector<std::string>{std::string(IXO_BINARY_DIR) + "/bin/ixo-fetch", "--md5",
                                     Md5Hex(content_), "--save-every", "262144", "--memory",
                                     std::to_string(6 * 1024 * 1024), url, target_folder_.Path()},
            std::vector<std::string>{"TMPDIR=" + log_folder_.Path()});
    }

    // Bytes the saved range table still lists, or the whole size when there is no table.
    int64_t Remaining() {
        platform::FileHandle file;
        if (!file.Open(temp_, platform::FileHandle::Mode::kOpenExisting)) return int64_t(content_.size());
        auto ranges = ns_IXD::ReadRangeTable(file, int64_t(content_.size()));
        if (!ranges) return int64_t(content_.size());
        int64_t sum = 0;
        for (const auto& [start, end] : *ranges) sum += end - start + 1;
        return sum;
    }

    void ExpectResumedToTheEnd(int64_t most) {
        auto second = Fetch(fast_);
        EXPECT_EQ(second->Wait(std::chrono::seconds(60)), 0) << second->Output();
        EXPECT_NE(second->Output().find("result=0 \n"), std::string::npos) << second->Output();
        EXPECT_EQ(ReadTestFile(target_folder_.Path() + "fetch.bin"), content_);
        EXPECT_NE(ReadTestFile(log_folder_.Path() + "Kelvarosoft/IXO/ixo-fetch.log")
                      .find("[INFO] multi, resume download."),
                  std::string::npos);
        fast_.Stop();
        EXPECT_LE(fast_.BodyBytesSent("/fetch.bin"), most);
    }

    TempFolder site_, target_folder_, log_folder_;
    NginxServer slow_, fast_;
    std::string content_;
    std::string temp_;
};

TEST_F(IxoFetchTest, CtrlCCancelsAndTheNextRunResumes) {
    auto first = Fetch(slow_);
    ASSERT_TRUE(WaitUntil([&] { return Remaining() < int64_t(content_.size()); })) << first->Output();
    first->Signal(kSigInt);
    EXPECT_EQ(first->Wait(), 13);
    EXPECT_NE(first->Output().find("OnError 13\n"), std::string::npos);
    EXPECT_NE(first->Output().find("result=13 User canceled\n"), std::string::npos) << first->Output();
    // Cancelled connections write what they hold before the table is saved: all of their first 1100 KiB.
    int64_t remaining = Remaining();
    EXPECT_LE(remaining, int64_t(content_.size()) - 6 * 1100 * 1024);
    ExpectResumedToTheEnd(remaining);
}

TEST_F(IxoFetchTest, KilledRunResumesFromTheLastSavedRangeTable) {
    auto first = Fetch(slow_);
    // Killed once a saved table shows that each connection has written its first buffer (a little less than
    // 1 MiB: a buffer is written when the next chunk would overfill it).
    const int64_t most = int64_t(content_.size()) - 6 * 1000 * 1024;
    ASSERT_TRUE(WaitUntil([&] { return Remaining() <= most; })) << first->Output();
    first->Signal(kSigKill);
    first->Wait();
    int64_t remaining = Remaining();
    EXPECT_LE(remaining, most);
    ExpectResumedToTheEnd(remaining);
}

TEST(IxoFetchUsageTest, WrongCommandLineExitsWith2) {
    test_support::ChildProcess fetch({std::string(IXO_BINARY_DIR) + "/bin/ixo-fetch", "only-a-url"});
    EXPECT_EQ(fetch.Wait(), 2);
}

}  // namespace
}  // namespace ixo_test
