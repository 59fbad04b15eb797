// The orchestrator driven as the window drives it, against nginx on loopback serving the demo product's
// package and a dependent package: prepare, build the command lines, start the three phases, install the
// three phases until all report success.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <nlohmann/json.hpp>

#include "analytics/analytics_tracker.h"
#include "app/run_services.h"
#include "downloader/downloader_manager.h"
#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/window_endpoint.h"
#include "services/platform_api_client.h"
#include "services/statistics_store.h"
#include "system/installed_products.h"
#include "system/md5.h"
#include "system/system_folders.h"
#include "tests/app/orchestrator_fixture.h"
#include "tests/support/maker_sim_client.h"
#include "tests/support/nginx_server.h"
#include "tests/support/test_ca.h"

namespace orchestrator_test {
namespace {

// Stands in for the main window's handle: collects the installers' progress messages.
class ProgressWindow {
public:
    bool Create() {
        return endpoint_.Create(
            "IXO", "end-to-end", [](std::function<void()> task) { task(); },
            [this](const platform::WindowMessage& message) {
                std::lock_guard guard(lock_);
                if (message.message == 1135) percentages_.push_back(message.wparam);
                changed_.notify_all();
            });
    }
    platform::WindowHandle Handle() const { return endpoint_.Handle(); }
    // Waits until `count` reports of 100 % arrived.
    bool WaitForCompleted(size_t count) {
        std::unique_lock guard(lock_);
        return changed_.wait_for(guard, std::chrono::seconds(30), [&] {
            return size_t(std::count(percentages_.begin(), percentages_.end(), 100)) >= count;
        });
    }
    std::vector<int64_t> Percentages() {
        std::lock_guard guard(lock_);
        return percentages_;
    }

private:
    platform::WindowEndpoint endpoint_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<int64_t> percentages_;
};

class EndToEndTest : public OrchestratorTest {
protected:
    // Serves the demo package as the product (64-bit address, with its digest) and as a dependent, then
    // prepares, downloads and installs both as the window would.
    void InstallProductAndDependent(ProductConfig product = BaseProduct()) {
        package_ = DemoInstaller();
        ASSERT_FALSE(package_.empty());
        served_.Write("demo-setup", package_);
        served_.Write("runtime-setup", package_);
        test_support::NginxOptions options;
        options.root = served_.Path();
        ASSERT_TRUE(nginx_.Start(options)) << nginx_.ErrorLog();

        ASSERT_TRUE(progress_.Create());
        mgr().SetMainWindow(progress_.Handle());
        mgr().SetEngineForTesting(std::make_unique<ns_IXD::DownloaderManager>());

        DependentItem runtime;
        runtime.ProductID = u"555";
        runtime.ProductName = u"Runtime";
        runtime.Url_Down = Utf8ToUtf16(nginx_.BaseUrl() + "/runtime-setup");
        runtime.Url_Downx64 = runtime.Url_Down;
        product.Dependents = {runtime};
        ServerRuntimeConfig server;
        server.download_url_x64 = Utf8ToUtf16(nginx_.BaseUrl() + "/demo-setup");
        server.md5_64 = Utf8ToUtf16(Md5Buffer(package_.data(), package_.size()));
        server.version = u"3.2.1.7";
        mgr().SetProductConfigForTesting(product);
        mgr().SetServerConfigForTesting(server);
        mgr().PrepareDown();  // the real package size query against nginx
        EXPECT_EQ(mgr().GetPackageSize(), int64_t(package_.size()));

        mgr().EditRunConfig().InstallPath = Utf8ToUtf16(Apps());
        mgr().BuildInstallPara(u"ENU");
        for (int32_t phase : {kTaskDotNet, kTaskDependent, kTaskProduct}) mgr().StartDownTask(phase);
        ASSERT_TRUE(window_.WaitForFinished(2, std::chrono::seconds(60)));

        bool installed = false;
        for (int round = 0; round < 5 && !installed; ++round) {
            installed = mgr().InstallTask(kTaskDotNet) && mgr().InstallTask(kTaskDependent) &&
                        mgr().InstallTask(kTaskProduct);
        }
        ASSERT_TRUE(installed);
    }
    std::string Apps() const { return Working() + "apps/"; }

    std::string package_;
    test_support::TempFolder served_;
    test_support::NginxServer nginx_;
    ProgressWindow progress_;
};

TEST_F(EndToEndTest, DownloadsAndInstallsTheProductAndItsDependent) {
    ASSERT_NO_FATAL_FAILURE(InstallProductAndDependent());
    const std::string& package = package_;
    const std::string apps = Apps();

    // The product is in its folder, registered, and its installer wrote its log.
    const std::string folder = apps + "Kelvarosoft/Demo/";
    EXPECT_TRUE(platform::FileExists(folder + "demo-product"));
    EXPECT_EQ(mgr().FindTask(1234)->executable_path, Utf8ToUtf16(folder + "demo-product"));
    EXPECT_EQ(GetInstalledValue(u"Kelvarosoft", u"1234", u"Version"), u"3.2.1.7");
    EXPECT_EQ(GetInstalledValue(u"Kelvarosoft", u"1234", u"InstallPath"), Utf8ToUtf16(folder));
    EXPECT_EQ(GetUninstallVersion(u"1234"), u"3.2.1.7");
    std::string installer_log =
        platform::ReadFile(Utf16ToUtf8(GetTempFolder()) + "IXO-1234.log").value_or("");
    EXPECT_NE(installer_log.find("installed into " + folder), std::string::npos) << installer_log;
    EXPECT_NE(platform::ReadFile(Utf16ToUtf8(GetTempFolder()) + "IXO-555.log").value_or("").find("done"),
              std::string::npos);

    // Each task downloaded and installed once; the product's package matched its digest.
    for (int32_t id : {555, 1234}) {
        const DownTask* task = mgr().FindTask(id);
        EXPECT_EQ(task->download_state, kStateDone) << id;
        EXPECT_EQ(task->install_state, kStateDone) << id;
        EXPECT_EQ(task->package_version, u"3.2.1.7") << id;
        EXPECT_GT(task->connections, 0) << id;
    }
    EXPECT_TRUE(mgr().IsMd5Confirmed(1234));
    EXPECT_EQ(mgr().GetExpectedProductVersion(), u"3.2.1.7");
    EXPECT_TRUE(statistics_.Reports().empty());

    // Progress first, each download's end before any installation, the dependent before the product.
    std::vector<std::string> events = window_.Events();
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events.front().rfind("progress", 0), 0u);
    auto at = [&](const std::string& event) {
        return std::find(events.begin(), events.end(), event) - events.begin();
    };
    ASSERT_LT(at("finished 555 0"), std::ptrdiff_t(events.size()));
    ASSERT_LT(at("finished 1234 0"), std::ptrdiff_t(events.size()));
    ASSERT_LT(at("install 1234 0"), std::ptrdiff_t(events.size()));
    EXPECT_LT(at("finished 1234 0"), at("install 555 0"));
    EXPECT_LT(at("install 555 0"), at("install 1234 0"));
    EXPECT_EQ(window_.LastTotal(), 2 * int64_t(package.size()));
    EXPECT_EQ(window_.LastReceived(), window_.LastTotal());

    // Both installers reported their progress to the window.
    ASSERT_TRUE(progress_.WaitForCompleted(2));
    std::vector<int64_t> percentages = progress_.Percentages();
    EXPECT_EQ(percentages.front(), 0);
    EXPECT_NE(std::find(percentages.begin(), percentages.end(), 50), percentages.end());

    std::string log = log_.NewText();
    for (const std::string& line : std::vector<std::string>{
             std::string("[INFO] PrepareDown"),
             std::string("[INFO] BuildProductAndDepentTask, bit=[64] package."),
             "[INFO] query package size=[" + std::to_string(package.size()) + "] by domain_url.",
             std::string("[INFO] BuildInstallPara, product startup=[1]."),
             std::string("[INFO] BuildInstallPara dependent startup=[0]."),
             "[INFO] IxoMgr StartDownTask: 1234, " + Working() + ", 3.2.1.7, " +
                 Md5Buffer(package.data(), package.size()) + ",",
             std::string("[INFO] prepare download, task_id=[1234]."),
             std::string("[INFO] IxoMgr InstallTask pid: 555"),
             std::string("[INFO] IxoMgr InstallTask pid: 1234"),
             std::string("[INFO] IxoMgr InstallTask res: 0"),
             std::string("[INFO] IxoMgr InstallTask: 1, 2, 1, 3, 3"),
             "[INFO] RunExe: \n path=[" + Working() + "demo-setup]"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line;
    }
}

// The run with the program's own services connected, maker-sim playing the maker: what the orchestrator
// tells the statistics record arrives in the posted record, and its events at the analytics collector.
TEST_F(EndToEndTest, ConnectedServicesReceiveTheRunsRecordAndEvents) {
    test_support::MakerSimClient sim;
    ASSERT_TRUE(sim.Started()) << sim.Error();
    const std::string scheme = test_support::BuildTrustsTestCa() ? "https" : "http";
    SetPlatformApiBasesForTesting(sim.Url("api", scheme), sim.Url("api-alt", scheme));
    analytics::TrackerSettings settings;
    settings.collector_bases = {sim.Url("collector", scheme)};
    settings.staging_path = Working() + "ixo_analytics";
    analytics::CAnalyticsTracker tracker(std::move(settings));
    analytics::ScopedTrackerForTesting use_tracker(tracker);

    StatisticsStore& store = StatisticsStore::Instance();
    store.ResetForTesting();
    store.SetStatisticsBase(Utf8ToUtf16(sim.Url("stats", "http") + "/"));
    store.SetStatText("product_id", u"1234");
    store.SetStatText("client_sign", u"{sign}");
    store.SetArmed();
    ConnectRunServices(mgr());
    ProductConfig product = BaseProduct();
    product.PrivacyPost = u"0";
    mgr().SetProductConfigForTesting(product);
    StartRunAnalytics(mgr(), u"English");

    ASSERT_NO_FATAL_FAILURE(InstallProductAndDependent(product));
    CloseRunServices(mgr());
    SetPlatformApiBasesForTesting({}, {});
    store.ResetForTesting();

    std::vector<makersim::SimRequest> posts = sim.Requests("stats", "/rest/v2/downloader/track");
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].query, "client_sign={sign}");
    nlohmann::json record = nlohmann::json::parse(posts[0].body, nullptr, false);
    ASSERT_TRUE(record.is_object()) << posts[0].body;
    const std::string product_url = nginx_.BaseUrl() + "/demo-setup";
    std::string digest = Md5Buffer(package_.data(), package_.size());
    std::transform(digest.begin(), digest.end(), digest.begin(), ::toupper);  // as the engine reports it
    const std::pair<const char*, std::string> expected[] = {
        {"product_id", "1234"},
        {"downstate", "1000"},
        {"installstate", "2000"},
        {"prodcutver", "3.2.1.7"},
        {"packagesize", std::to_string(package_.size())},
        {"selectlang", "ENG"},
        {"downpackagemd5", digest},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(record.value(key, "(missing)"), value) << key;
    EXPECT_NE(record.value("cdnurllist", "").find(product_url), std::string::npos) << record.dump();
    EXPECT_NE(record.value("cdniplist", "").find("127.0.0.1"), std::string::npos) << record.dump();
    // The dependent has a task record of its own; the product's figures are the record's main values.
    EXPECT_EQ(record.value("bindtasks", ""), "555,0");
    EXPECT_EQ(record.value("binddownfail", ""), "555,0");
    EXPECT_EQ(record.value("binddowntime", "").rfind("555:", 0), 0u) << record.dump();
    EXPECT_TRUE(sim.Requests("api", "/v1/*").empty()) << "no error report after a clean run";

    // Each task's download and installation, from beginning to end, in the order they happened.
    std::vector<std::string> events;
    for (const makersim::SimRequest& batch : sim.Requests("collector")) {
        nlohmann::json records = nlohmann::json::parse(batch.decoded, nullptr, false);
        ASSERT_TRUE(records.is_array()) << batch.decoded;
        for (const nlohmann::json& one : records) {
            const nlohmann::json& properties = one["properties"];
            std::string line = one.value("event", "");
            if (properties.contains("type")) line += " " + properties.value("type", "");
            if (properties.contains("state")) line += " " + properties.value("state", "");
            events.push_back(line);
            EXPECT_EQ(properties.value("tid", ""), "UA-Ixo-Web") << one.dump();
        }
    }
    for (const char* type : {"depend", "product"}) {
        std::vector<std::string> in_order = {
            std::string("downloader_download ") + type + " begin",
            std::string("downloader_download ") + type + " finish",
            std::string("downloader_install ") + type + " begin",
            std::string("downloader_install ") + type + " finish",
        };
        auto at = events.begin();
        for (const std::string& event : in_order) {
            at = std::find(at, events.end(), event);
            ASSERT_NE(at, events.end()) << event << " in order among\n" << testing::PrintToString(events);
        }
    }
}

}  // namespace
}  // namespace orchestrator_test
