#include "analytics/analytics_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <nlohmann/json.hpp>

#include "analytics/batch_encoding.h"
#include "analytics/diagnostics.h"
#include "platform/file_system.h"
#include "tests/analytics/analytics_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace {

std::string ReadText(const std::string& path) {
    return platform::ReadFile(path).value_or(std::string());
}

using analytics::CAnalyticsClient;
using analytics::CProperties;
using analyticstest::CRecordingSender;
using test_support::TempFolder;

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

class AnalyticsClientTest : public ::testing::Test {
protected:
    AnalyticsClientTest() {
        analytics::SetDiagnosticSinkForTesting(
            [this](const std::string& line) { diagnostics_.push_back(line); });
    }
    ~AnalyticsClientTest() override {
        client_.Shutdown();
        analytics::SetDiagnosticSinkForTesting(nullptr);
    }

    bool Init(const std::string& distinct_id = "did-1") {
        auto sender = std::make_unique<CRecordingSender>();
        sender_ = sender.get();
        return client_.InitClient(staging_path_, {"http://collector/collect"}, distinct_id,
                                  std::move(sender));
    }

    CAnalyticsClient& client_ = CAnalyticsClient::Instance();
    TempFolder folder_;
    std::string staging_path_ = folder_.Path() + "ixo_analytics";
    CRecordingSender* sender_ = nullptr;
    std::vector<std::string> diagnostics_;
};

TEST_F(AnalyticsClientTest, RecordKeysAreSortedWhateverOrderThePropertiesWereSetIn) {
    ASSERT_TRUE(Init());
    CProperties super;
    super.SetString("tid", "UA-Ixo-Web");
    super.SetString("shared", "from super");
    client_.RegisterSuperProperties(super);

    CProperties properties;
    properties.SetString("zeta", "z");
    properties.SetInteger("alpha", -1);
    properties.SetString("shared", "from event");
    properties.SetString("$project", "proj");
    properties.SetDateTime("$time", 1700000000, 250);
    properties.SetBoolean("Mid", true);
    client_.Track("downloader_pop", properties);

    EXPECT_EQ(
        client_.QueuedRecordsForTesting(),
        std::vector<std::string>{
            R"({"distinct_id":"did-1","event":"downloader_pop",)"
            R"("lib":{"$lib":"cpp","$lib_method":"code","$lib_version":"0.8"},"project":"proj",)"
            R"("properties":{"$lib":"cpp","$lib_version":"0.8","Mid":true,"alpha":-1,"shared":"from event",)"
            R"("tid":"UA-Ixo-Web","zeta":"z"},"time":1700000000250,"type":"track"})"});
    EXPECT_TRUE(diagnostics_.empty());
}

TEST_F(AnalyticsClientTest, RecordTimeIsNowWithoutATimeProperty) {
    ASSERT_TRUE(Init());
    int64_t before = NowMs();
    client_.Track("ping", CProperties());
    int64_t after = NowMs();
    std::vector<std::string> records = client_.QueuedRecordsForTesting();
    ASSERT_EQ(records.size(), 1u);
    nlohmann::json record = nlohmann::json::parse(records[0]);
    EXPECT_FALSE(record.contains("project"));
    EXPECT_GE(record["time"].get<int64_t>(), before);
    EXPECT_LE(record["time"].get<int64_t>(), after);
}

TEST_F(AnalyticsClientTest, InvalidEventsAreDroppedButARejectedValueOnlyLosesItsProperty) {
    ASSERT_TRUE(Init());
    client_.Track("1st", CProperties());
    client_.Track("a-b", CProperties());
    client_.Track(std::string(101, 'e'), CProperties());
    CProperties bad_key;
    bad_key.SetInteger("has space", 1);
    client_.Track("fine", bad_key);
    EXPECT_TRUE(client_.QueuedRecordsForTesting().empty());
    EXPECT_EQ(diagnostics_.size(), 4u);

    CProperties properties;
    properties.SetString("big", std::string(8193, 'b'));
    properties.SetString("ctl", "x\x01");
    properties.SetString("tab", "a\tb");
    properties.SetString("utf8", "\xE2\x82\xAC");
    client_.Track("_ok1", properties);
    std::vector<std::string> records = client_.QueuedRecordsForTesting();
    ASSERT_EQ(records.size(), 1u);
    nlohmann::json recorded = nlohmann::json::parse(records[0])["properties"];
    EXPECT_FALSE(recorded.contains("big"));
    EXPECT_FALSE(recorded.contains("ctl"));
    EXPECT_EQ(recorded["tab"], "a\tb");
    EXPECT_EQ(recorded["utf8"], "\xE2\x82\xAC");
}

TEST_F(AnalyticsClientTest, InitNeedsAValidDistinctIdAndHappensOnce) {
    EXPECT_FALSE(Init(""));
    EXPECT_FALSE(Init(std::string(256, 'd')));
    EXPECT_FALSE(client_.IsInitialised());

    client_.Track("before_init", CProperties());
    EXPECT_FALSE(client_.Flush());

    ASSERT_TRUE(Init("first"));
    EXPECT_TRUE(client_.InitClient(staging_path_, {}, "second"));
    EXPECT_EQ(client_.GetDistinctId(), "first");
    client_.Track("after_init", CProperties());
    std::vector<std::string> records = client_.QueuedRecordsForTesting();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(records[0].find("\"event\":\"after_init\""), std::string::npos);
}

TEST_F(AnalyticsClientTest, ShutdownStagesUnsentRecordsForTheNextClient) {
    ASSERT_TRUE(Init("run-1"));
    client_.Track("one", CProperties());
    client_.Track("two", CProperties());
    std::vector<std::string> first_run = client_.QueuedRecordsForTesting();
    client_.Shutdown();
    EXPECT_FALSE(client_.IsInitialised());
    EXPECT_EQ(ReadText(staging_path_), first_run[0] + "\n" + first_run[1] + "\n");

    ASSERT_TRUE(Init("run-2"));
    client_.Track("three", CProperties());
    std::vector<std::string> second_run = client_.QueuedRecordsForTesting();
    ASSERT_TRUE(client_.Flush());
    ASSERT_EQ(sender_->Posts().size(), 1u);
    EXPECT_EQ(analyticstest::DecodeBatchBody(sender_->Posts()[0].body),
              analytics::BuildBatchText({first_run[0], first_run[1], second_run[0]}));
}

TEST_F(AnalyticsClientTest, SuperPropertiesStartAsTheLibraryPairAfterEachInit) {
    ASSERT_TRUE(Init());
    CProperties super;
    super.SetString("tid", "x");
    client_.RegisterSuperProperties(super);
    client_.Shutdown();
    ASSERT_TRUE(Init());
    client_.Track("e", CProperties());
    nlohmann::json record = nlohmann::json::parse(client_.QueuedRecordsForTesting().at(0));
    EXPECT_EQ(record["properties"], nlohmann::json({{"$lib", "cpp"}, {"$lib_version", "0.8"}}));
}

}  // namespace
