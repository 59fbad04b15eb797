#include "analytics/curl_batch_sender.h"

#include <gtest/gtest.h>

#include "analytics/batch_encoding.h"
#include "analytics/diagnostics.h"
#include "analytics/record_queue.h"
#include "tests/analytics/analytics_test_support.h"
#include "tests/analytics/local_collector.h"
#include "tests/support/child_process.h"

namespace {

using analytics::CCurlBatchSender;
using analytics::CRecordQueue;
using analyticstest::CLocalCollector;

class CurlBatchSenderTest : public ::testing::Test {
protected:
    CurlBatchSenderTest() {
        analytics::SetDiagnosticSinkForTesting(
            [this](const std::string& line) { diagnostics_.push_back(line); });
    }
    ~CurlBatchSenderTest() override { analytics::SetDiagnosticSinkForTesting(nullptr); }

    std::unique_ptr<CRecordQueue> MakeQueue(std::vector<std::string> urls) {
        return std::make_unique<CRecordQueue>(folder_.Path() + "ixo_analytics", std::move(urls),
                                              std::make_unique<CCurlBatchSender>());
    }

    testsupport::TemporaryFolder folder_;
    CLocalCollector collector_;
    std::vector<std::string> diagnostics_;
};

TEST_F(CurlBatchSenderTest, BatchGoesToTheSecondCollectorWhenTheFirstAnswers500) {
    collector_.SetStatus("/first", 500);
    auto queue = MakeQueue(
        {collector_.Url("/first?project=UA_Ixo_Web"), collector_.Url("/second?project=UA_Ixo_Web")});
    queue->Add("{\"n\":1}");
    queue->Add("{\"n\":2}");
    ASSERT_TRUE(queue->Flush());

    std::vector<CLocalCollector::Request> requests = collector_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/first");
    EXPECT_EQ(requests[1].path, "/second");
    for (const auto& request : requests) {
        EXPECT_EQ(request.query, "project=UA_Ixo_Web");
        EXPECT_EQ(request.headers.at("user-agent"), "IXO Analytics CPP SDK 0.8");
        EXPECT_EQ(request.headers.at("content-type"), "application/x-www-form-urlencoded");
        EXPECT_EQ(request.headers.count("expect"), 0u);
        EXPECT_EQ(analyticstest::DecodeBatchBody(request.body), "[{\"n\":1},{\"n\":2}]");
    }
    EXPECT_TRUE(queue->Records().empty());
    EXPECT_TRUE(diagnostics_.empty());
}

TEST_F(CurlBatchSenderTest, LargeBodyGoesOutWithoutAnExpectHeader) {
    // libcurl would announce a body above 1 MiB with "Expect: 100-continue" and wait for the server's go.
    std::string body = "data_list=" + std::string(1536 * 1024, 'A') + "&gzip=1";
    CCurlBatchSender sender;
    EXPECT_EQ(sender.Post(collector_.Url("/collect"), body).status, 200);
    std::vector<CLocalCollector::Request> requests = collector_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].headers.count("expect"), 0u);
    EXPECT_EQ(requests[0].body, body);
}

TEST_F(CurlBatchSenderTest, SecondCollectorIsNeverContactedWhenTheFirstAccepts) {
    auto queue = MakeQueue({collector_.Url("/first"), collector_.Url("/second")});
    queue->Add("{\"n\":1}");
    ASSERT_TRUE(queue->Flush());
    std::vector<CLocalCollector::Request> requests = collector_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/first");
}

TEST_F(CurlBatchSenderTest, RedirectIsNotFollowedButCountsAsARefusal) {
    collector_.SetStatus("/moved", 302, collector_.Url("/elsewhere"));
    auto queue = MakeQueue({collector_.Url("/moved"), collector_.Url("/second")});
    queue->Add("{\"n\":1}");
    ASSERT_TRUE(queue->Flush());
    std::vector<CLocalCollector::Request> requests = collector_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/moved");
    EXPECT_EQ(requests[1].path, "/second");
}

TEST_F(CurlBatchSenderTest, UnreachableCollectorIsATransferErrorWithItsText) {
    std::string closed_url;
    {
        CLocalCollector gone;
        closed_url = gone.Url("/collect");
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
    collector_.SetStatus("/first", 500);
    collector_.SetStatus("/second", 503);
    auto queue = MakeQueue({collector_.Url("/first"), collector_.Url("/second")});
    queue->Add("{\"n\":1}");
    EXPECT_FALSE(queue->Flush());
    EXPECT_EQ(queue->Records().size(), 1u);
    EXPECT_EQ(diagnostics_, std::vector<std::string>{"Analytics SDK send failed: refused 503"});
}

}  // namespace
