// Whole downloads through the engine's facade against nginx on loopback.
#include <gtest/gtest.h>

#include <filesystem>

#include "downloader/multi_downloader.h"
#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "tests/downloader/engine_harness.h"
#include "tests/downloader/nginx_server.h"

namespace ixo_test {
namespace {

class EngineDownloadTest : public EngineTest, public ::testing::WithParamInterface<bool> {};

TEST_P(EngineDownloadTest, ManyConnectionsGiveAByteIdenticalFile) {
    bool tls = GetParam();
    TempFolder site;
    // Not a multiple of 24, so that the last range is shorter than the others.
    std::string content = PatternBytes(3 * 1024 * 1024 + 12345, 1);
    ASSERT_TRUE(WriteTestFile(site.Path() + "setup.bin", content));
    NginxServer nginx;
    ASSERT_TRUE(nginx.Start({{.root = site.Path(), .tls = tls}}));
    std::string url =
        std::string(tls ? "https" : "http") + "://localhost:" + std::to_string(nginx.Port()) + "/setup.bin";

    ASSERT_EQ(Download(url, Md5Hex(content)), 0);

    EXPECT_EQ(ReadTestFile(folder_.Path() + "setup.bin"), content);
    EXPECT_FALSE(platform::FileExists(folder_.Path() + "setup.bin.~P2S"));
    EXPECT_EQ(callback_.Matching("OnFileSize").front(), "OnFileSize " + std::to_string(content.size()));
    EXPECT_EQ(callback_.Matching("OnDownloadConfig").front(), "OnDownloadConfig 24 5242880");
    EXPECT_EQ(callback_.Matching("OnAddressUsed").front(), "OnAddressUsed 127.0.0.1");
    EXPECT_GE(callback_.Matching("OnConnection").size(), 24u);
    EXPECT_EQ(callback_.Matching("OnMd5Match").size(), 1u);
    EXPECT_EQ(callback_.Matching("OnAttemptEnd").back(), "OnAttemptEnd 0 0");
    // Every range was asked for with a closed range of its own.
    nginx.Stop();
    int ranged = 0;
    for (const std::string& line : nginx.AccessLog()) ranged += line.find("\"bytes=") != std::string::npos;
    EXPECT_GE(ranged, 24);
}

INSTANTIATE_TEST_SUITE_P(HttpAndHttps, EngineDownloadTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Https" : "Http"; });

TEST_F(EngineTest, FileSmallerThanTheConnectionCountUsesOneConnectionPerByte) {
    TempFolder site;
    ASSERT_TRUE(WriteTestFile(site.Path() + "tiny.bin", "12345"));
    NginxServer nginx;
    ASSERT_TRUE(nginx.Start({{.root = site.Path()}}));

    ASSERT_EQ(Download("http://localhost:" + std::to_string(nginx.Port()) + "/tiny.bin", Md5Hex("12345")), 0);

    EXPECT_EQ(ReadTestFile(folder_.Path() + "tiny.bin"), "12345");
    // Parts of one byte each; none is left empty, so no request asks for bytes the file does not have.
    EXPECT_EQ(callback_.Matching("OnConnection").size(), 5u);
    nginx.Stop();
    for (const std::string& line : nginx.AccessLog())
        EXPECT_EQ(line.find(" 416 "), std::string::npos) << line;
}

TEST_F(EngineTest, QueryIsPartOfTheFileNameAndEitherOfTwoDigestsMatches) {
    TempFolder site;
    std::string content = PatternBytes(300000, 5);
    ASSERT_TRUE(WriteTestFile(site.Path() + "q.bin", content));
    NginxServer nginx;
    ASSERT_TRUE(nginx.Start({{.root = site.Path()}}));

    std::string digests = "0123456789abcdef0123456789abcdef;" + Md5Hex(content);
    ASSERT_EQ(Download("http://localhost:" + std::to_string(nginx.Port()) + "/q.bin?v=2", digests), 0);

    EXPECT_EQ(ReadTestFile(folder_.Path() + "q.bin?v=2"), content);
    EXPECT_EQ(callback_.Matching("OnFileName"), std::vector<std::string>{"OnFileName q.bin?v=2"});
}

TEST_F(EngineTest, TargetWithTheExpectedMd5IsNotFetchedAgain) {
    TempFolder site;
    std::string content = PatternBytes(200000, 2);
    ASSERT_TRUE(WriteTestFile(site.Path() + "done.bin", content));
    ASSERT_TRUE(WriteTestFile(folder_.Path() + "done.bin", content));
    NginxServer nginx;
    ASSERT_TRUE(nginx.Start({{.root = site.Path()}}));

    ASSERT_EQ(Download("http://localhost:" + std::to_string(nginx.Port()) + "/done.bin", Md5Hex(content)), 0);

    EXPECT_TRUE(callback_.Matching("OnDownloadConfig").empty());
    nginx.Stop();
    EXPECT_EQ(nginx.BodyBytesSent("/done.bin"), 0);
}

TEST_F(EngineTest, WithoutAnExpectedMd5TheSizeCheckDecides) {
    TempFolder site;
    std::string content = PatternBytes(700000, 3);
    ASSERT_TRUE(WriteTestFile(site.Path() + "plain.bin", content));
    NginxServer nginx;
    ASSERT_TRUE(nginx.Start({{.root = site.Path()}}));

    ASSERT_EQ(Download("http://localhost:" + std::to_string(nginx.Port()) + "/plain.bin"), 0);
    EXPECT_EQ(ReadTestFile(folder_.Path() + "plain.bin"), content);
    EXPECT_TRUE(callback_.Matching("OnFileMd5").empty());
}

TEST_F(EngineTest, CancelledDownloadResumesFetchingOnlyWhatWasMissing) {
    ns_IXD::CMultiDownloader::SetSaveIntervalForTesting(512 * 1024);
    TempFolder site;
    std::string content = PatternBytes(8 * 1024 * 1024, 4);
    ASSERT_TRUE(WriteTestFile(site.Path() + "big.bin", content));
    NginxServer slow, fast;
    ASSERT_TRUE(slow.Start({{.root = site.Path(), .limit_rate = "48k"}}));
    ASSERT_TRUE(fast.Start({{.root = site.Path()}}));
    std::u16string folder = Utf8ToUtf16(folder_.Path());
    std::u16string slow_url = Utf8ToUtf16("http://localhost:" + std::to_string(slow.Port()) + "/big.bin");
    std::u16string md5 = Utf8ToUtf16(Md5Hex(content));

    ASSERT_EQ(manager_->AddTask(slow_url.c_str(), folder.c_str(), u"", 7, u"", md5.c_str(), 0), 7);
    ASSERT_TRUE(WaitUntil([&] { return callback_.LastProgress() >= 2 * 1024 * 1024; }));
    manager_->RemoveTask(7);
    ASSERT_EQ(callback_.WaitFinished(), 13);
    ASSERT_TRUE(WaitUntil([&] { return manager_->GetTaskCount() == 0; }));
    std::string temp = folder_.Path() + "big.bin.~P2S";
    ASSERT_GT(platform::GetFileSize(temp).value_or(0), int64_t(content.size()));

    RecordingCallback second;
    manager_->SetCallBack(&second);
    std::u16string fast_url = Utf8ToUtf16("http://localhost:" + std::to_string(fast.Port()) + "/big.bin");
    ASSERT_EQ(manager_->AddTask(fast_url.c_str(), folder.c_str(), u"", 8, u"", md5.c_str(), 0), 8);
    ASSERT_EQ(second.WaitFinished(), 0);

    EXPECT_EQ(ReadTestFile(folder_.Path() + "big.bin"), content);
    std::string log = ReadLog();
    EXPECT_NE(log.find("[INFO] multi, resume download."), std::string::npos);
    slow.Stop();
    fast.Stop();
    int64_t fetched_first = slow.BodyBytesSent("/big.bin");
    int64_t fetched_second = fast.BodyBytesSent("/big.bin");
    EXPECT_GE(fetched_first, 2 * 1024 * 1024);
    EXPECT_LT(fetched_second, int64_t(content.size()) - 2 * 1024 * 1024 + 1024 * 1024)
        << "first run " << fetched_first;
    ns_IXD::CMultiDownloader::SetSaveIntervalForTesting(0);
}

}  // namespace
}  // namespace ixo_test
