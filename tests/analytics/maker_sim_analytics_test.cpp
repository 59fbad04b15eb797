// The analytics tracker, client and tracking id against the maker's services as maker-sim plays them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "analytics/analytics_client.h"
#include "analytics/analytics_tracker.h"
#include "analytics/batch_encoding.h"
#include "analytics/common_properties.h"
#include "analytics/curl_batch_sender.h"
#include "analytics/event_catalogue.h"
#include "analytics/record_queue.h"
#include "analytics/tracking_id.h"
#include "tests/analytics/analytics_test_support.h"
#include "tests/support/log_capture.h"
#include "tests/support/maker_sim_client.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_ca.h"

namespace {

using analytics::CAnalyticsTracker;
using analytics::CommonPropertyValues;
using analytics::CProperties;
using nlohmann::json;

constexpr char kCollectPath[] = "/collect";

CommonPropertyValues Values(bool privacy_postponed, const std::string& tracking_id) {
    CommonPropertyValues values;
    values.identifier = "UA-Ixo-Web";
    values.privacy_postponed = privacy_postponed;
    values.client_sign = "{5b8e0c1d-2f3a-4b6c-9d7e-8f9a0b1c2d3eG}";
    values.tracking_id = tracking_id;
    values.downloader_version = "1.0.0.1";
    values.exe_name = "ixo-setup";
    values.product_id = 14424;
    values.product_version = "3.2.1";
    values.channel = "web";
    values.brand = "Kelvarosoft";
    values.language_code = "ENG";
    values.product_name = "Mendrake";
    return values;
}

class AnalyticsMakerSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        log_ = std::make_unique<test_support::LogCapture>();
        sim_ = std::make_unique<test_support::MakerSimClient>();
        ASSERT_TRUE(sim_->Started()) << sim_->Error();
    }

    // HTTPS wherever the build trusts the test authority (the loopback profile), HTTP otherwise.
    static std::string Scheme() { return test_support::BuildTrustsTestCa() ? "https" : "http"; }

    // A tracker posting with libcurl to the collector, first over `schemes[0]`, then over `schemes[1]`.
    std::unique_ptr<CAnalyticsTracker> MakeTracker(std::vector<std::string> schemes = {Scheme()}) {
        analytics::TrackerSettings settings;
        for (const std::string& scheme : schemes)
            settings.collector_bases.push_back(sim_->Url("collector", scheme));
        settings.staging_path = folder_.Path() + "ixo_analytics";
        return std::make_unique<CAnalyticsTracker>(std::move(settings));
    }

    std::vector<makersim::SimRequest> Collected(size_t count) {
        return sim_->WaitFor("collector", kCollectPath, count);
    }

    // The records of every batch the collector received, in order of arrival.
    std::vector<json> CollectedRecords(size_t count) {
        std::vector<json> records;
        for (const auto& request : Collected(count)) {
            json batch = json::parse(request.decoded, nullptr, false);
            if (!batch.is_array()) continue;
            for (const json& record : batch) records.push_back(record);
        }
        return records;
    }

    test_support::TempFolder folder_;
    std::unique_ptr<test_support::LogCapture> log_;
    std::unique_ptr<test_support::MakerSimClient> sim_;
};

TEST_F(AnalyticsMakerSimTest, EachBatchDecodesBackToTheRecordTracked) {
    auto tracker = MakeTracker();
    CommonPropertyValues values = Values(false, "trk-1");
    tracker->Initialise("UA_Ixo_Web", values);

    // A fixed time makes the whole record predictable.
    struct Event {
        std::string name;
        CProperties properties;
    };
    std::vector<Event> events(3);
    events[0].name = "downloader_pop";
    events[0].properties.SetString("pop_name", "install_init");
    events[1].name = "downloader_click";
    events[1].properties.SetString("pop_name", "install_init");
    events[1].properties.SetString("button", "agree \"quoted\" \xE2\x82\xAC");
    events[2].name = "downloader_download";
    events[2].properties.SetInteger("speed", -7);
    for (size_t i = 0; i < events.size(); ++i) {
        events[i].properties.SetDateTime("$time", 1700000000 + int64_t(i), 123);
        tracker->Queue(events[i].name, events[i].properties);
    }
    tracker->Stop();

    analytics::CValueNode super =
        analytics::BuildCommonProperties(values, analytics::ReadOsProperties()).Node();
    super.Set("$lib", analytics::CValueNode::String("cpp"));
    super.Set("$lib_version", analytics::CValueNode::String("0.8"));
    std::vector<makersim::SimRequest> requests = Collected(3);
    ASSERT_EQ(requests.size(), 3u);
    for (size_t i = 0; i < events.size(); ++i) {
        std::string record = analytics::BuildEventRecord(values.client_sign, events[i].name, super,
                                                         events[i].properties.Node(), 0);
        EXPECT_EQ(analyticstest::DecodeBatchBody(requests[i].body), "[" + record + "]") << i;
        EXPECT_EQ(requests[i].decoded, "[" + record + "]") << i;
        EXPECT_EQ(requests[i].Param("project"), "UA_Ixo_Web");
        EXPECT_EQ(requests[i].Header("User-Agent"), "IXO Analytics CPP SDK 0.8");
        EXPECT_EQ(requests[i].scheme, Scheme());
    }
}

TEST_F(AnalyticsMakerSimTest, EventsQueuedBeforeInitialisationArriveInOrderAfterIt) {
    auto tracker = MakeTracker();
    test_support::MakerSimClient& sim = *sim_;
    analytics::ScopedTrackerForTesting scope(*tracker);
    analytics::SendEvent("downloader_startup");
    analytics::SendPopEvent("install_init");
    analytics::SendClickEvent("install_init", "eula");
    EXPECT_TRUE(sim.Requests("collector").empty());

    tracker->Initialise("UA_Ixo_Web", Values(false, "trk-2"));
    std::vector<json> records = CollectedRecords(3);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0]["event"], "downloader_startup");
    EXPECT_EQ(records[1]["event"], "downloader_pop");
    EXPECT_EQ(records[2]["event"], "downloader_click");
    EXPECT_EQ(records[2]["properties"]["button"], "eula");
    tracker->Stop();
}

TEST_F(AnalyticsMakerSimTest, ThreePendingEventsAreAllDeliveredAtStop) {
    auto tracker = MakeTracker();
    analytics::ScopedTrackerForTesting scope(*tracker);
    tracker->Initialise("UA_Ixo_Web", Values(false, "trk-3"));
    analytics::SendClickEvent("downloader_finish", "end_close");
    analytics::SendEvent("downloader_web", "page", "thank_you_page");
    analytics::SendStartProductEvent(42);
    tracker->Stop();

    std::vector<makersim::SimRequest> requests = sim_->Requests("collector", kCollectPath);
    std::vector<std::string> names;
    for (const auto& request : requests) {
        for (const json& record : json::parse(request.decoded)) names.push_back(record["event"]);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"downloader_click", "downloader_web", "start_product"}));
    std::string log = log_->NewText();
    EXPECT_NE(log.find("[INFO] analytics, exit thread."), std::string::npos);
    EXPECT_EQ(log.find("[ERROR] analytics flush failed!"), std::string::npos) << log;
}

TEST_F(AnalyticsMakerSimTest, PostponedPrivacySendsTheServicesTrackingIdAndOnlyTheOsType) {
    sim_->Script(R"({"service":"trk","path":"/api/v1/prodweb/trk",)"
                 R"("json":{"code":0,"msg":"success","data":"sim-trk-77"}})");
    std::string tracking_id = analytics::GetTrackingIdFrom(sim_->Url("trk", Scheme()), "14424");
    ASSERT_EQ(tracking_id, "sim-trk-77");
    std::vector<makersim::SimRequest> asked = sim_->Requests("trk");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].method, "GET");
    EXPECT_EQ(asked[0].Param("pid"), "14424");

    auto tracker = MakeTracker();
    tracker->Initialise("UA_Ixo_Web", Values(true, analytics::CurrentTrackingId()));
    tracker->Queue("downloader_startup", [] {
        CProperties properties;
        properties.SetString("privacyMode", "true");
        return properties;
    }());
    tracker->Stop();

    std::vector<json> records = CollectedRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]["distinct_id"], "sim-trk-77");
    const json& properties = records[0]["properties"];
    EXPECT_EQ(properties["ostype"], "linux");
    EXPECT_EQ(properties["track_id"], "sim-trk-77");
    EXPECT_EQ(properties["auto_install"], "2");
    for (const char* key : {"os_version", "osbit", "oslang", "oszone"})
        EXPECT_FALSE(properties.contains(key)) << key;
}

TEST_F(AnalyticsMakerSimTest, RefusedBatchIsPostedToTheAlternateCollector) {
    sim_->Script(R"({"service":"collector","path":"/collect","status":500,"body":"busy"})");
    auto tracker = MakeTracker({"http", Scheme() == "https" ? "https" : "http"});
    tracker->Initialise("UA_Ixo_Web", Values(false, "trk-5"));
    tracker->Queue("downloader_pop", CProperties());
    tracker->Stop();

    std::vector<makersim::SimRequest> requests = sim_->Requests("collector", kCollectPath);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].scheme, "http");
    EXPECT_EQ(requests[1].body, requests[0].body);
    EXPECT_EQ(log_->NewText().find("[ERROR] analytics flush failed!"), std::string::npos);
}

TEST_F(AnalyticsMakerSimTest, FullBatchOfLargeRecordsIsAccepted) {
    analytics::CRecordQueue queue(folder_.Path() + "large_batch",
                                  {sim_->Url("collector", Scheme()) + "/collect?project=UA_Ixo_Web"},
                                  std::make_unique<analytics::CCurlBatchSender>());
    // Records that compress poorly, so that the form body is far above 8 KiB.
    std::vector<std::string> records;
    uint32_t state = 99;
    for (int n = 0; n < 30; ++n) {
        std::string noise;
        for (int k = 0; k < 2000; ++k) {
            state = state * 1103515245u + 12345u;
            noise += static_cast<char>('a' + (state >> 16) % 26);
        }
        records.push_back("{\"n\":" + std::to_string(n) + ",\"x\":\"" + noise + "\"}");
        queue.Add(records.back());
    }
    ASSERT_TRUE(queue.Flush());
    std::vector<makersim::SimRequest> requests = Collected(1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_GT(requests[0].body.size(), 32u * 1024);
    EXPECT_EQ(requests[0].decoded, analytics::BuildBatchText(records));
}

TEST_F(AnalyticsMakerSimTest, TrackingIdServiceRefusalGivesALocalId) {
    sim_->Script(R"({"service":"trk","json":{"code":1,"msg":"missing pid","data":null}})");
    std::string id = analytics::GetTrackingIdFrom(sim_->Url("trk", Scheme()), "14424");
    EXPECT_EQ(id.size(), 32u);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos) << id;
    EXPECT_NE(log_->NewText().find("[INFO] generate local tid: pid=[14424]"), std::string::npos);
}

}  // namespace
