#include "analytics/analytics_tracker.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <future>
#include <nlohmann/json.hpp>
#include <thread>

#include "analytics/analytics_client.h"
#include "platform/file_system.h"
#include "platform/machine.h"
#include "platform/system_version.h"
#include "tests/analytics/analytics_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"

namespace {

std::string ReadText(const std::string& path) {
    return platform::ReadFile(path).value_or(std::string());
}

using analytics::CAnalyticsTracker;
using analytics::CommonPropertyValues;
using analytics::CProperties;
using analyticstest::CRecordingSender;
using test_support::TempFolder;
using test_support::WaitUntil;

CommonPropertyValues Values(bool privacy_postponed) {
    CommonPropertyValues values;
    values.identifier = "UA-Ixo-Web";
    values.privacy_postponed = privacy_postponed;
    values.client_sign = "{0f1e2d3c-4b5a-4978-8695-a4b3c2d1e0f9G}";
    values.tracking_id = "trk-abc";
    values.downloader_version = "1.0.0.1";
    values.scene_code = "scene7";
    values.exe_name = "ixo-setup";
    values.clipboard_param = "clip";
    values.product_id = 1234;
    values.product_version = "5.6.7";
    values.channel = "web";
    values.brand = "Kelvarosoft";
    values.language_code = "DEU";
    values.product_name = "Atelier";
    return values;
}

CProperties Numbered(int n) {
    CProperties properties;
    properties.SetInteger("n", n);
    return properties;
}

// A tracker whose client posts to a recording sender that outlives it.
class AnalyticsTrackerTest : public ::testing::Test {
protected:
    AnalyticsTrackerTest() { MakeTracker(std::chrono::milliseconds(5000)); }

    void MakeTracker(std::chrono::milliseconds stop_wait) {
        tracker_.reset();
        analytics::TrackerSettings settings;
        settings.stop_wait = stop_wait;
        settings.collector_bases = {"http://primary:8106", "http://alternate:8106"};
        settings.staging_path = staging_path_;
        settings.make_sender = [this] { return std::make_unique<ForwardingSender>(sender_); };
        tracker_ = std::make_unique<CAnalyticsTracker>(std::move(settings));
    }

    // Every record delivered so far, in delivery order, parsed.
    std::vector<nlohmann::json> Delivered() const {
        std::vector<nlohmann::json> records;
        for (const auto& post : sender_.Posts()) {
            if (post.status != 200) continue;
            for (const std::string& record : analyticstest::DecodeBatchRecords(post.body)) {
                records.push_back(nlohmann::json::parse(record));
            }
        }
        return records;
    }

    bool WaitForDelivered(size_t count) {
        return WaitUntil([&] { return Delivered().size() >= count; });
    }

    class ForwardingSender : public analytics::IBatchSender {
    public:
        explicit ForwardingSender(CRecordingSender& target) : target_(target) {}
        Response Post(const std::string& url, const std::string& body) override {
            return target_.Post(url, body);
        }

    private:
        CRecordingSender& target_;
    };

    TempFolder folder_;
    std::string staging_path_ = folder_.Path() + "ixo_analytics";
    CRecordingSender sender_;
    std::unique_ptr<CAnalyticsTracker> tracker_;
};

TEST_F(AnalyticsTrackerTest, EventsQueuedBeforeInitialisationArriveInOrderAfterIt) {
    for (int n = 1; n <= 4; ++n) tracker_->Queue("early", Numbered(n));
    EXPECT_TRUE(sender_.Posts().empty());

    tracker_->Initialise("UA_Ixo_Web", Values(false));
    ASSERT_TRUE(WaitForDelivered(4));
    std::vector<nlohmann::json> records = Delivered();
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(records[n - 1]["properties"]["n"], n);
    EXPECT_EQ(sender_.Posts()[0].url, "http://primary:8106/collect?project=UA_Ixo_Web");
}

TEST_F(AnalyticsTrackerTest, StopDeliversEveryPendingEventBeforeTheSenderEnds) {
    tracker_->Initialise("UA_Ixo_Web", Values(false));
    tracker_->Queue("one", Numbered(1));
    tracker_->Queue("two", Numbered(2));
    tracker_->Queue("three", Numbered(3));
    tracker_->Stop();
    tracker_->Stop();  // a second stop finds the sender gone
    std::vector<nlohmann::json> records = Delivered();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0]["event"], "one");
    EXPECT_EQ(records[1]["event"], "two");
    EXPECT_EQ(records[2]["event"], "three");
}

TEST_F(AnalyticsTrackerTest, FailedSendIsRetriedWithTheNextEvent) {
    sender_.SetStatus("http://primary:8106/collect?project=UA_Ixo_Web", 500);
    sender_.SetStatus("http://alternate:8106/collect?project=UA_Ixo_Web", 500);
    tracker_->Initialise("UA_Ixo_Web", Values(false));
    tracker_->Queue("lost_for_now", Numbered(1));
    ASSERT_TRUE(WaitUntil([&] { return sender_.Posts().size() == 2; }));

    sender_.SetStatus("http://alternate:8106/collect?project=UA_Ixo_Web", 200);
    tracker_->Queue("next", Numbered(2));
    ASSERT_TRUE(WaitForDelivered(2));
    std::vector<nlohmann::json> records = Delivered();
    EXPECT_EQ(records[0]["event"], "lost_for_now");
    EXPECT_EQ(records[1]["event"], "next");
}

TEST_F(AnalyticsTrackerTest, LogTellsTheInitialisationEachEventAFailedFlushAndTheEnd) {
    test_support::LogCapture log;
    sender_.SetDefaultStatus(500);
    tracker_->Initialise("UA_Ixo_Web", Values(true));
    tracker_->Queue("downloader_pop", CProperties());
    tracker_->Stop();
    std::string text = log.NewText();
    const char* lines[] = {
        "[INFO] analytics init tid=[UA-Ixo-Web], did=[trk-abc], privacyPostpone=[1], result=[1].",
        "[INFO] analytics, event=[downloader_pop].",
        "[ERROR] analytics flush failed! event=[downloader_pop]",
        "[INFO] analytics, exit thread.",
    };
    size_t position = 0;
    for (const char* line : lines) {
        position = text.find(line, position);
        EXPECT_NE(position, std::string::npos) << line << "\n" << text;
    }
}

TEST_F(AnalyticsTrackerTest, EveryEventCarriesTheCommonProperties) {
    setenv("LANG", "de_AT.UTF-8", 1);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("TZ", "IST-5:30", 1);
    tzset();
    tracker_->Initialise("UA_Ixo_Web", Values(false));
    tracker_->Queue("downloader_startup", CProperties());
    ASSERT_TRUE(WaitForDelivered(1));
    nlohmann::json record = Delivered()[0];
    EXPECT_EQ(record["distinct_id"], "{0f1e2d3c-4b5a-4978-8695-a4b3c2d1e0f9G}");

    nlohmann::json expected = {{"$lib", "cpp"},
                               {"$lib_version", "0.8"},
                               {"tid", "UA-Ixo-Web"},
                               {"ostype", "linux"},
                               {"os_version", analytics::MajorMinorVersion(platform::GetKernelRelease())},
                               {"osbit", platform::IsSystem64Bit() ? 64 : 32},
                               {"oslang", "de"},
                               {"oszone", 5},
                               {"downloader_ver", "1.0.0.1"},
                               {"scene_code", "scene7"},
                               {"exe_name", "ixo-setup"},
                               {"clipboard_param", "clip"},
                               {"track_id", "trk-abc"},
                               {"downloader_lang", "ENG"},
                               {"auto_install", "0"},
                               {"pid", 1234},
                               {"pver", "5.6.7"},
                               {"psource", "web"},
                               {"pbrand", "Kelvarosoft"},
                               {"plang", "DEU"},
                               {"pname", "Atelier"}};
    EXPECT_EQ(record["properties"], expected);
    EXPECT_FALSE(record["properties"]["os_version"].get<std::string>().empty());
}

TEST_F(AnalyticsTrackerTest, PostponedPrivacyUsesTheTrackingIdAndOnlyTheOsType) {
    tracker_->Initialise("UA_Ixo_Web", Values(true));
    tracker_->Queue("downloader_startup", CProperties());
    ASSERT_TRUE(WaitForDelivered(1));
    nlohmann::json record = Delivered()[0];
    EXPECT_EQ(record["distinct_id"], "trk-abc");
    const nlohmann::json& properties = record["properties"];
    EXPECT_EQ(properties["ostype"], "linux");
    for (const char* key : {"os_version", "osbit", "oslang", "oszone"})
        EXPECT_FALSE(properties.contains(key)) << key;
    EXPECT_EQ(properties["auto_install"], "2");
}

TEST_F(AnalyticsTrackerTest, InitialisingAgainOnlyRegistersTheCommonPropertiesAgain) {
    tracker_->Initialise("UA_Ixo_Web", Values(false));
    CommonPropertyValues changed = Values(false);
    changed.language_code = "FRA";
    changed.client_sign = "{another}";
    tracker_->Initialise("UA_Ixo_Web", changed);
    tracker_->Queue("language_changed", CProperties());
    ASSERT_TRUE(WaitForDelivered(1));
    nlohmann::json record = Delivered()[0];
    EXPECT_EQ(record["distinct_id"], "{0f1e2d3c-4b5a-4978-8695-a4b3c2d1e0f9G}");
    EXPECT_EQ(record["properties"]["plang"], "FRA");
}

TEST_F(AnalyticsTrackerTest, WithoutADistinctIdNothingIsDeliveredAndStopStillEnds) {
    CommonPropertyValues values = Values(true);
    values.tracking_id.clear();
    tracker_->Queue("never", Numbered(1));
    tracker_->Initialise("UA_Ixo_Web", values);
    EXPECT_FALSE(tracker_->IsInitialised());
    tracker_->Stop();
    EXPECT_TRUE(sender_.Posts().empty());
}

TEST_F(AnalyticsTrackerTest, StopGivesUpOnAStuckSenderAndExitStillStagesItsBatch) {
    MakeTracker(std::chrono::milliseconds(50));
    std::promise<void> in_flight;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    sender_.SetDefaultStatus(500);
    sender_.SetDuringNextPost([&in_flight, released] {
        in_flight.set_value();
        released.wait();
    });
    tracker_->Initialise("UA_Ixo_Web", Values(false));
    tracker_->Queue("stuck", Numbered(1));
    in_flight.get_future().wait();

    tracker_->Stop();  // returns although the sender is still inside its send
    // Exit: the client's shutdown waits for the send and stages the batch that comes back from it.
    std::thread exiting([this] { tracker_->ShutdownClient(); });
    release.set_value();
    exiting.join();
    std::string staged = ReadText(staging_path_);
    EXPECT_NE(staged.find("\"event\":\"stuck\""), std::string::npos) << staged;
}

TEST_F(AnalyticsTrackerTest, EventsLeftAtExitAreStagedForTheNextRun) {
    sender_.SetDefaultStatus(500);
    tracker_->Initialise("UA_Ixo_Web", Values(false));
    tracker_->Queue("unsent", Numbered(1));
    tracker_->Stop();
    tracker_->Queue("after_stop", Numbered(2));  // the sender has ended: nobody delivers this one
    tracker_->ShutdownClient();
    std::string staged = ReadText(staging_path_);
    EXPECT_NE(staged.find("\"event\":\"unsent\""), std::string::npos) << staged;
    EXPECT_NE(staged.find("\"event\":\"after_stop\""), std::string::npos) << staged;
    EXPECT_LT(staged.find("\"event\":\"unsent\""), staged.find("\"event\":\"after_stop\""));
}

}  // namespace
