// One range connection against nginx and the fault server, writing into memory.
#include "downloader/range_connection.h"

#include <gtest/gtest.h>

#include <mutex>

#include "tests/downloader/fault_server.h"
#include "tests/downloader/nginx_server.h"
#include "tests/downloader/test_support.h"

namespace ixo_test {
namespace {

using ns_IXD::CRangeConnection;

// Collects what a connection writes, at the offsets it names.
class MemoryWriter : public ns_IXD::IFileWriter {
public:
    explicit MemoryWriter(size_t size) : bytes_(size, '\0') {}
    int64_t WriteData(int64_t offset, int64_t length, const void* bytes) override {
        std::lock_guard<std::mutex> hold(lock_);
        if (offset < 0 || size_t(offset + length) > bytes_.size()) return 0;
        bytes_.replace(size_t(offset), size_t(length), static_cast<const char*>(bytes), size_t(length));
        writes_++;
        return length;
    }
    std::string Bytes(size_t from, size_t count) {
        std::lock_guard<std::mutex> hold(lock_);
        return bytes_.substr(from, count);
    }
    int Writes() {
        std::lock_guard<std::mutex> hold(lock_);
        return writes_;
    }

private:
    std::mutex lock_;
    std::string bytes_;
    int writes_ = 0;
};

class RangeConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureTestLog();
        CRangeConnection::SetStallLimitForTesting(300);
        content_ = PatternBytes(1000000, 41);
        ASSERT_TRUE(WriteTestFile(site_.Path() + "r.bin", content_));
        ASSERT_TRUE(nginx_.Start({{.root = site_.Path()}}));
    }

    // Runs one connection to its end.
    void Fetch(CRangeConnection& connection, const std::string& url, int64_t start, int64_t end,
               const std::string& address, MemoryWriter& writer, int64_t cut_end = -2) {
        ASSERT_TRUE(connection.Init(url, start, end, address));
        connection.SetTotalSize(int64_t(content_.size()));
        connection.SetBufferSize(64 * 1024);
        connection.SetFileWriter(&writer);
        if (cut_end != -2) connection.SetEnd(cut_end);
        ASSERT_TRUE(connection.Run());
        ASSERT_TRUE(WaitUntil([&] { return !connection.IsActive(); }));
        connection.Join();
    }

    std::string Url(const std::string& host = "localhost") {
        return "http://" + host + ":" + std::to_string(nginx_.Port()) + "/r.bin";
    }

    TempFolder site_;
    NginxServer nginx_;
    std::string content_;
};

TEST_F(RangeConnectionTest, FetchesItsRangeInLargeBlocks) {
    MemoryWriter writer(content_.size());
    CRangeConnection connection;
    Fetch(connection, Url(), 100000, 399999, "127.0.0.1", writer);

    EXPECT_EQ(connection.GetState(), CRangeConnection::kDone);
    EXPECT_EQ(connection.GetReceived(), 300000);
    EXPECT_EQ(connection.GetWritten(), 300000);
    EXPECT_EQ(connection.GetHttpStatus(), 206);
    EXPECT_EQ(writer.Bytes(100000, 300000), content_.substr(100000, 300000));
    // 300000 bytes through a 64 KiB buffer: a handful of writes, not one per network chunk.
    EXPECT_LE(writer.Writes(), 6);
    nginx_.Stop();
    EXPECT_EQ(nginx_.AccessLog().back().find("\"bytes=100000-399999\""), nginx_.AccessLog().back().find('"'));
}

TEST_F(RangeConnectionTest, RangeCutBelowItsRequestStopsAtTheNewEnd) {
    MemoryWriter writer(content_.size());
    CRangeConnection connection;
    Fetch(connection, Url(), 0, 899999, "127.0.0.1", writer, 999);

    EXPECT_EQ(connection.GetState(), CRangeConnection::kDone);
    EXPECT_EQ(connection.GetReceived(), 1000);
    EXPECT_EQ(connection.GetTransferError(), 23);  // the library's write error: the chunk was cut
    EXPECT_EQ(writer.Bytes(0, 1001), content_.substr(0, 1000) + std::string(1, '\0'));
}

TEST_F(RangeConnectionTest, RangeOfTheFirstByteAsksForAnOpenRange) {
    MemoryWriter writer(content_.size());
    CRangeConnection connection;
    Fetch(connection, Url(), 0, 0, "", writer);

    EXPECT_EQ(connection.GetState(), CRangeConnection::kDone);
    EXPECT_EQ(connection.GetReceived(), 1);
    nginx_.Stop();
    EXPECT_NE(nginx_.AccessLog().back().find("\"bytes=0-\""), std::string::npos) << nginx_.AccessLog().back();
}

TEST_F(RangeConnectionTest, PinnedAddressServesAHostNameNoResolverKnows) {
    MemoryWriter writer(content_.size());
    CRangeConnection connection;
    Fetch(connection, Url("pinned-only.invalid"), 0, 9999, "127.0.0.1", writer);

    EXPECT_EQ(connection.GetState(), CRangeConnection::kDone);
    EXPECT_EQ(writer.Bytes(0, 10000), content_.substr(0, 10000));
}

TEST_F(RangeConnectionTest, StallAfterTheFirstBytesFailsTheConnection) {
    FaultScript script;
    script.body = content_;
    script.stall_first_requests = 1;
    script.stall_after = 5000;
    FaultServer server;
    int port = server.Start(script);
    ASSERT_GT(port, 0);
    MemoryWriter writer(content_.size());
    CRangeConnection connection;
    Fetch(connection, "http://localhost:" + std::to_string(port) + "/r.bin", 0, 99999, "127.0.0.1", writer);

    EXPECT_EQ(connection.GetState(), CRangeConnection::kFailed);
    EXPECT_EQ(connection.GetTransferError(), 42);  // aborted by the progress check
    // What arrived before the stall reached the writer.
    EXPECT_EQ(connection.GetWritten(), connection.GetReceived());
    EXPECT_EQ(writer.Bytes(0, size_t(connection.GetWritten())),
              content_.substr(0, size_t(connection.GetWritten())));
}

TEST_F(RangeConnectionTest, CancelEndsARunningTransfer) {
    FaultScript script;
    script.body = content_;
    script.stall_first_requests = 1;
    script.stall_after = 5000;
    FaultServer server;
    int port = server.Start(script);
    ASSERT_GT(port, 0);
    CRangeConnection::SetStallLimitForTesting(60000);
    MemoryWriter writer(content_.size());
    CRangeConnection connection;
    ASSERT_TRUE(connection.Init("http://localhost:" + std::to_string(port) + "/r.bin", 0, 99999, ""));
    connection.SetTotalSize(int64_t(content_.size()));
    connection.SetFileWriter(&writer);
    ASSERT_TRUE(connection.Run());
    ASSERT_TRUE(WaitUntil([&] { return server.StalledNow() == 1; }));
    connection.CancelIfActive();
    connection.Join();

    EXPECT_EQ(connection.GetState(), CRangeConnection::kCancelled);
    EXPECT_EQ(connection.GetTransferError(), 42);
    EXPECT_EQ(connection.GetWritten(), connection.GetReceived());
}

struct TlsCase {
    const char* certificate;
    int transfer_error;  // -1: any (a complete range may end its transfer itself, error 42)
    int32_t state;
};

TEST(RangeConnectionTlsTest, CertificatesAreCheckedAgainstTheHostName) {
    EnsureTestLog();
    TempFolder site;
    ASSERT_TRUE(WriteTestFile(site.Path() + "t.bin", "secure bytes"));
    const TlsCase cases[] = {
        {"server", -1, CRangeConnection::kDone},
        {"untrusted", 60, CRangeConnection::kFailed},
        {"other-host", 60, CRangeConnection::kFailed},
    };
    for (const TlsCase& test : cases) {
        SCOPED_TRACE(test.certificate);
        NginxServer nginx;
        ASSERT_TRUE(nginx.Start({{.root = site.Path(), .tls = true, .certificate = test.certificate}}));
        MemoryWriter writer(12);
        CRangeConnection connection;
        ASSERT_TRUE(connection.Init("https://localhost:" + std::to_string(nginx.Port()) + "/t.bin", 0, 11,
                                    "127.0.0.1"));
        connection.SetTotalSize(12);
        connection.SetFileWriter(&writer);
        ASSERT_TRUE(connection.Run());
        connection.Join();
        if (test.transfer_error >= 0) {
            EXPECT_EQ(connection.GetTransferError(), test.transfer_error);
        }
        EXPECT_EQ(connection.GetState(), test.state);
    }
}

}  // namespace
}  // namespace ixo_test
