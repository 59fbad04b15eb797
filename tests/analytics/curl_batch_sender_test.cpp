#include "analytics/curl_batch_sender.h"

#include <gtest/gtest.h>

#include "analytics/batch_encoding.h"
#include "analytics/diagnostics.h"
#include "analytics/record_queue.h"
#include "tests/analytics/analytics_test_support.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_ca.h"
#include "tests/support/test_http_server.h"

namespace {

using analytics::CCurlBatchSender;
using analytics::CRecordQueue;
using test_support::TestHttpServer;
using test_support::TestRequest;
using test_support::TestResponse;
using test_support::TestTls;

TestResponse Answer(int status, const std::string& location = std::string()) {
    TestResponse response;
    response.status = status;
    response.body = status == 200 ? "ok" : "refused " + std::to_string(status);
    if (!location.empty()) response.headers.emplace_back("Location", location);
    return response;
}

class CurlBatchSenderTest : public ::testing::Test {
protected:
    CurlBatchSenderTest() {
        analytics::SetDiagnosticSinkForTesting(
            [this](const std::string& line) { diagnostics_.push_back(line); });
    }
    ~CurlBatchSenderTest() override { analytics::SetDiagnosticSinkForTesting(nullptr); }

    // Serves `statuses` (path, status) for POSTs on a plain HTTP server.
    void Serve(const std::vector<std::pair<std::string, int>>& statuses) {
        for (const auto& [path, status] : statuses) {
            server_.On("POST", path, [this, status](const TestRequest&) {
                return Answer(status, status / 100 == 3 ? server_.BaseUrl() + "/elsewhere" : std::string());
            });
        }
        ASSERT_TRUE(server_.Start());
    }

    std::unique_ptr<CRecordQueue> MakeQueue(std::vector<std::string> urls) {
        return std::make_unique<CRecordQueue>(folder_.Path() + "ixo_analytics", std::move(urls),
                                              std::make_unique<CCurlBatchSender>());
    }

    test_support::TempFolder folder_;
    TestHttpServer server_;
    std::vector<std::string> diagnostics_;
};

TEST_F(CurlBatchSenderTest, BatchGoesToTheSecondCollectorWhenTheFirstAnswers500) {
    Serve({{"/first", 500}, {"/second", 200}});
    auto queue = MakeQueue(
        {server_.BaseUrl() + "/first?project=UA_Ixo_Web", server_.BaseUrl() + "/second?project=UA_Ixo_Web"});
    queue->Add("{\"n\":1}");
    queue->Add("{\"n\":2}");
    ASSERT_TRUE(queue->Flush());

    std::vector<TestRequest> requests = server_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/first");
    EXPECT_EQ(requests[1].path, "/second");
    for (const TestRequest& request : requests) {
        EXPECT_EQ(request.Header("User-Agent"), "IXO Analytics CPP SDK 0.8");
        EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
        EXPECT_EQ(analyticstest::DecodeBatchBody(request.body), "[{\"n\":1},{\"n\":2}]");
    }
    EXPECT_TRUE(queue->Records().empty());
    EXPECT_TRUE(diagnostics_.empty());
}

TEST_F(CurlBatchSenderTest, LargeBodyGoesOutWithoutAnExpectHeader) {
    // libcurl would announce a body above 1 MiB with "Expect: 100-continue" and wait for the server's go.
    Serve({{"/collect", 200}});
    std::string body = "data_list=" + std::string(1536 * 1024, 'A') + "&gzip=1";
    CCurlBatchSender sender;
    EXPECT_EQ(sender.Post(server_.BaseUrl() + "/collect", body).status, 200);
    std::vector<TestRequest> requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Header("Expect"), "");
    EXPECT_EQ(requests[0].body, body);
}

TEST_F(CurlBatchSenderTest, SecondCollectorIsNeverContactedWhenTheFirstAccepts) {
    Serve({{"/first", 200}, {"/second", 200}});
    auto queue = MakeQueue({server_.BaseUrl() + "/first", server_.BaseUrl() + "/second"});
    queue->Add("{\"n\":1}");
    ASSERT_TRUE(queue->Flush());
    std::vector<TestRequest> requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/first");
}

TEST_F(CurlBatchSenderTest, RedirectIsNotFollowedButCountsAsARefusal) {
    Serve({{"/moved", 302}, {"/elsewhere", 200}, {"/second", 200}});
    auto queue = MakeQueue({server_.BaseUrl() + "/moved", server_.BaseUrl() + "/second"});
    queue->Add("{\"n\":1}");
    ASSERT_TRUE(queue->Flush());
    std::vector<TestRequest> requests = server_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/moved");
    EXPECT_EQ(requests[1].path, "/second");
}

TEST_F(CurlBatchSenderTest, UnreachableCollectorIsATransferErrorWithItsText) {
    std::string closed_url;
    {
        TestHttpServer gone;
        ASSERT_TRUE(gone.Start());
        closed_url = gone.BaseUrl() + "/collect";
    }
    CCurlBatchSender sender;
    analytics::IBatchSender::Response response = sender.Post(closed_url, "data_list=&gzip=1");
    EXPECT_EQ(response.status, -1);
    EXPECT_FALSE(response.body.empty());

    auto queue = MakeQueue({closed_url});
    queue->Add("{\"n\":1}");
    EXPECT_FALSE(queue->Flush());
    EXPECT_EQ(queue->Records(), std::vector<std::string>{"{\"n\":1}"});
    ASSERT_EQ(diagnostics_.size(), 1u);
    EXPECT_EQ(diagnostics_[0].rfind("Analytics SDK send failed: ", 0), 0u);
}

TEST_F(CurlBatchSenderTest, EveryCollectorRefusingKeepsTheBatchAndNamesTheLastAnswer) {
    Serve({{"/first", 500}, {"/second", 503}});
    auto queue = MakeQueue({server_.BaseUrl() + "/first", server_.BaseUrl() + "/second"});
    queue->Add("{\"n\":1}");
    EXPECT_FALSE(queue->Flush());
    EXPECT_EQ(queue->Records().size(), 1u);
    EXPECT_EQ(diagnostics_, std::vector<std::string>{"Analytics SDK send failed: refused 503"});
}

// Certificates are checked: only a collector whose certificate the deployment's authorities vouch for, for
// the host it is reached by, gets the batch.
TEST(CurlBatchSenderTlsTest, OnlyATrustedCertificateForTheHostIsAccepted) {
    if (!test_support::BuildTrustsTestCa()) GTEST_SKIP() << "this build does not trust the test authority";
    struct Case {
        const char* name;
        TestTls tls;
        long status;
    } cases[] = {
        {"trusted", TestTls::kTrusted, 200},
        {"unknown authority", TestTls::kUntrusted, -1},
        {"certificate for another host", TestTls::kOtherHost, -1},
    };
    for (const Case& c : cases) {
        TestHttpServer server(c.tls);
        server.On("POST", "/collect", [](const TestRequest&) { return Answer(200); });
        ASSERT_TRUE(server.Start()) << c.name;
        CCurlBatchSender sender;
        analytics::IBatchSender::Response response =
            sender.Post(server.BaseUrl("localhost") + "/collect", "x=1");
        EXPECT_EQ(response.status, c.status) << c.name << ": " << response.body;
        EXPECT_EQ(server.Requests().size(), c.status == 200 ? 1u : 0u) << c.name;
    }
}

}  // namespace
