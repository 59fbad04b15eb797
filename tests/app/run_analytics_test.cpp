#include "app/run_analytics.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "analytics/analytics_client.h"
#include "analytics/analytics_tracker.h"
#include "analytics/event_catalogue.h"
#include "tests/support/temp_folder.h"

namespace {

// A collector that refuses everything, so that the records stay in the client's queue to be read.
class RefusingSender : public analytics::IBatchSender {
public:
    Response Post(const std::string&, const std::string&) override { return {500, "no"}; }
};

TEST(RunAnalyticsTest, OrchestratorEventsReachTheCatalogue) {
    test_support::TempFolder folder;
    analytics::TrackerSettings settings;
    settings.collector_bases = {"http://collector:8106"};
    settings.staging_path = folder.Path() + "ixo_analytics";
    settings.make_sender = [] { return std::make_unique<RefusingSender>(); };
    analytics::CAnalyticsTracker tracker(std::move(settings));
    analytics::ScopedTrackerForTesting scope(tracker);
    analytics::CommonPropertyValues values;
    values.client_sign = "{sign}";
    tracker.Initialise("UA_Ixo_Web", values);

    CRunAnalytics run;
    TaskEvent event;
    event.type = "product";
    event.state = "finish";
    event.domain = "dl.example";
    event.times = 2;
    event.error_code = 5;
    event.thread = 24;
    event.buffer = 65536;
    run.SendDnsEvent("dl.example", "10.0.0.1");
    run.SendDownloadEvent(event);
    run.SetFirstInstall(false);
    run.SendInstallEvent(event);
    run.SendPopEvent("installing");
    tracker.Stop();

    std::vector<nlohmann::json> records;
    for (const std::string& text : analytics::CAnalyticsClient::Instance().QueuedRecordsForTesting())
        records.push_back(nlohmann::json::parse(text));
    analytics::SetFirstInstall(true);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0]["event"], "downloader_dns");
    EXPECT_EQ(records[0]["properties"]["ip"], "10.0.0.1");
    EXPECT_EQ(records[1]["event"], "downloader_download");
    EXPECT_EQ(records[1]["properties"]["domain"], "dl.example");
    EXPECT_EQ(records[1]["properties"]["thread"], 24);
    EXPECT_EQ(records[1]["properties"]["buffer"], 65536);
    EXPECT_EQ(records[2]["event"], "downloader_install");
    EXPECT_EQ(records[2]["properties"]["times"], 2);
    EXPECT_EQ(records[2]["properties"]["error_code"], 5);
    EXPECT_EQ(records[2]["properties"]["is_first_install"], 0);
    EXPECT_FALSE(records[2]["properties"].contains("thread"));
    EXPECT_EQ(records[3]["event"], "downloader_pop");
    EXPECT_EQ(records[3]["properties"]["pop_name"], "installing");
}

}  // namespace
