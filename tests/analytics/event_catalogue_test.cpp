#include "analytics/event_catalogue.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "analytics/analytics_tracker.h"
#include "system/result_texts.h"
#include "tests/analytics/analytics_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

using analyticstest::CRecordingSender;
using nlohmann::json;

class ForwardingSender : public analytics::IBatchSender {
public:
    explicit ForwardingSender(CRecordingSender& target) : target_(target) {}
    Response Post(const std::string& url, const std::string& body) override {
        return target_.Post(url, body);
    }

private:
    CRecordingSender& target_;
};

// Runs the catalogue functions against a tracker of the test's own and returns each delivered event as
// {"event": name, "properties": its properties without the common ones (unless the event set one itself)}.
class EventCatalogueTest : public ::testing::Test {
protected:
    EventCatalogueTest() {
        analytics::TrackerSettings settings;
        settings.collector_bases = {"http://collector:8106"};
        settings.staging_path = folder_.Path() + "ixo_analytics";
        settings.make_sender = [this] { return std::make_unique<ForwardingSender>(sender_); };
        tracker_ = std::make_unique<analytics::CAnalyticsTracker>(std::move(settings));
        scope_ = std::make_unique<analytics::ScopedTrackerForTesting>(*tracker_);
        analytics::CommonPropertyValues values;
        values.identifier = "UA-Ixo-Web";
        values.client_sign = "{sign}";
        tracker_->Initialise("UA_Ixo_Web", values);
        common_ = json::parse(
            analytics::BuildCommonProperties(values, analytics::ReadOsProperties()).Node().ToJson());
        common_["$lib"] = "cpp";
        common_["$lib_version"] = "0.8";
    }
    ~EventCatalogueTest() override { analytics::SetFirstInstall(true); }

    std::vector<json> StopAndCollect() {
        tracker_->Stop();
        std::vector<json> events;
        for (const auto& post : sender_.Posts()) {
            for (const std::string& text : analyticstest::DecodeBatchRecords(post.body)) {
                json record = json::parse(text);
                json own = json::object();
                for (const auto& [key, value] : record["properties"].items()) {
                    if (!common_.contains(key) || common_[key] != value) own[key] = value;
                }
                events.push_back({{"event", record["event"]}, {"properties", own}});
            }
        }
        return events;
    }

    test_support::TempFolder folder_;
    CRecordingSender sender_;
    std::unique_ptr<analytics::CAnalyticsTracker> tracker_;
    std::unique_ptr<analytics::ScopedTrackerForTesting> scope_;
    json common_;  // the common properties as registered
};

TEST_F(EventCatalogueTest, EachFunctionSendsItsEventWithItsProperties) {
    analytics::SendPopEvent("install_init");
    analytics::SendClickEvent("install_init", "install", 0);
    analytics::SendClickEvent("stop_downloading", "continue", 42);
    analytics::SendClickEvent("downloading", "");
    analytics::SendCoverClickEvent("5.6.7", "downloader_cover_yes");
    analytics::SendDnsEvent("dl.example", "10.0.0.1,10.0.0.2");
    analytics::SendRedeemFailedEvent("free_membership_benefits", 366001);
    analytics::SendEvent("downloader_startup");
    analytics::SendEvent("pop_view", "page", "Privacy_Policy");
    analytics::SendCrashEvent("0x0040ABCD", "4096", "/opt/ixo/ixo-setup", ".text", 11);

    std::vector<json> expected = {
        {{"event", "downloader_pop"}, {"properties", {{"pop_name", "install_init"}}}},
        {{"event", "downloader_click"},
         {"properties", {{"pop_name", "install_init"}, {"button", "install"}}}},
        {{"event", "downloader_click"},
         {"properties", {{"pop_name", "stop_downloading"}, {"button", "continue"}, {"progress_rate", 42}}}},
        {{"event", "downloader_click"}, {"properties", {{"pop_name", "downloading"}}}},
        {{"event", "downloader_click"},
         {"properties",
          {{"pop_name", "downloader_cover"},
           {"cover_version", "5.6.7"},
           {"button", "downloader_cover_yes"}}}},
        {{"event", "downloader_dns"},
         {"properties", {{"domain", "dl.example"}, {"ip", "10.0.0.1,10.0.0.2"}}}},
        {{"event", "redeem_failed"},
         {"properties", {{"page", "free_membership_benefits"}, {"error", 366001}}}},
        {{"event", "downloader_startup"}, {"properties", json::object()}},
        {{"event", "pop_view"}, {"properties", {{"page", "Privacy_Policy"}}}},
        {{"event", "downloader_crash"},
         {"properties",
          {{"crashaddr", "0x0040ABCD"},
           {"crashoffset", "4096"},
           {"crashfilename", "/opt/ixo/ixo-setup"},
           {"crashsection", ".text"},
           {"error_code", 11},
           {"error_msg", ""}}}},
    };
    std::vector<json> events = StopAndCollect();
    ASSERT_EQ(events.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(events[i], expected[i]) << i;
}

TEST_F(EventCatalogueTest, ErrorMessagesAreTheTextsOfTheirCodeTables) {
    analytics::ConfigEvent config;
    config.name = "Atelier";
    config.exe_name = "atelier.exe";
    config.pkg_size = 5000000000LL;
    config.pkg_url = "https://dl/a.exe";
    config.pkg_md5 = "m1";
    config.x64_pkg_url = "https://dl/a64.exe";
    config.x64_pkg_md5 = "m2";
    config.arm64_pkg_url = "https://dl/arm.exe";
    config.arm64_pkg_md5 = "m3";
    config.error_code = 7;
    analytics::SendConfigEvent(config);

    analytics::DownloadEvent download;
    download.type = "product";
    download.state = "finish";
    download.domain = "dl";
    download.resumedown = 1;
    download.times = 2;
    download.speed = 3;
    download.duration = 4;
    download.error_code = 13;
    download.thread = 24;
    download.buffer = 1048576;
    analytics::SendDownloadEvent(download);

    analytics::InstallEvent install;
    install.type = "depend";
    install.state = "finish";
    install.times = 1;
    install.duration = 30;
    install.error_code = 5;
    analytics::SendInstallEvent(install);
    analytics::SetFirstInstall(false);
    install.error_code = 0;
    analytics::SendInstallEvent(install);

    analytics::SendStartProductEvent(2);
    analytics::SendStartProductEvent(42);

    std::vector<json> events = StopAndCollect();
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0]["properties"], json({{"name", "Atelier"},
                                             {"exe_name", "atelier.exe"},
                                             {"pkg_size", 5000000000LL},
                                             {"pkg_url", "https://dl/a.exe"},
                                             {"pkg_md5", "m1"},
                                             {"x64_pkg_url", "https://dl/a64.exe"},
                                             {"x64_pkg_md5", "m2"},
                                             {"arm64_pkg_url", "https://dl/arm.exe"},
                                             {"arm64_pkg_md5", "m3"},
                                             {"error_code", 7},
                                             {"error_msg", TransferErrorText(7)}}));
    EXPECT_EQ(events[0]["properties"]["error_msg"], "Couldn't connect to server");
    EXPECT_EQ(events[1]["properties"], json({{"type", "product"},
                                             {"state", "finish"},
                                             {"domain", "dl"},
                                             {"resumedown", 1},
                                             {"times", 2},
                                             {"speed", 3},
                                             {"duration", 4},
                                             {"error_code", 13},
                                             {"error_msg", DownloadResultText(13)},
                                             {"thread", 24},
                                             {"buffer", 1048576}}));
    EXPECT_FALSE(DownloadResultText(13).empty());
    EXPECT_EQ(events[2]["properties"], json({{"type", "depend"},
                                             {"state", "finish"},
                                             {"times", 1},
                                             {"speed", 0},
                                             {"duration", 30},
                                             {"error_code", 5},
                                             {"error_msg", InstallerExitText(5)},
                                             {"is_first_install", 1}}));
    EXPECT_EQ(events[3]["properties"]["is_first_install"], 0);
    EXPECT_EQ(events[3]["properties"]["error_msg"], "");
    EXPECT_EQ(events[4]["properties"],
              json({{"error_code", 2}, {"error_msg", "The specified file was not found."}}));
    EXPECT_EQ(events[5]["properties"], json({{"error_code", 42}, {"error_msg", ""}}));
}

}  // namespace
