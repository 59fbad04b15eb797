// The orchestrator driven as the window drives it, against nginx on loopback serving the demo product's
// package and a dependent package: prepare, build the command lines, start the three phases, install the
// three phases until all report success.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "downloader/downloader_manager.h"
#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/window_endpoint.h"
#include "system/installed_products.h"
#include "system/md5.h"
#include "system/system_folders.h"
#include "tests/app/orchestrator_fixture.h"
#include "tests/support/nginx_server.h"

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

using EndToEndTest = OrchestratorTest;

TEST_F(EndToEndTest, DownloadsAndInstallsTheProductAndItsDependent) {
    test_support::TempFolder served;
    std::string package = DemoInstaller();
    ASSERT_FALSE(package.empty());
    served.Write("demo-setup", package);
    served.Write("runtime-setup", package);
    test_support::NginxServer nginx;
    test_support::NginxOptions options;
    options.root = served.Path();
    ASSERT_TRUE(nginx.Start(options)) << nginx.ErrorLog();

    ProgressWindow window;
    ASSERT_TRUE(window.Create());
    mgr().SetMainWindow(window.Handle());
    mgr().SetEngineForTesting(std::make_unique<ns_IXD::DownloaderManager>());

    ProductConfig product = BaseProduct();
    DependentItem runtime;
    runtime.ProductID = u"555";
    runtime.ProductName = u"Runtime";
    runtime.Url_Down = Utf8ToUtf16(nginx.BaseUrl() + "/runtime-setup");
    runtime.Url_Downx64 = runtime.Url_Down;
    product.Dependents = {runtime};
    ServerRuntimeConfig server;
    server.download_url_x64 = Utf8ToUtf16(nginx.BaseUrl() + "/demo-setup");
    server.md5_64 = Utf8ToUtf16(Md5Buffer(package.data(), package.size()));
    server.version = u"3.2.1.7";
    mgr().SetProductConfigForTesting(product);
    mgr().SetServerConfigForTesting(server);
    mgr().PrepareDown();  // the real package size query against nginx
    EXPECT_EQ(mgr().GetPackageSize(), int64_t(package.size()));

    const std::string apps = Working() + "apps/";
    mgr().EditRunConfig().InstallPath = Utf8ToUtf16(apps);
    mgr().BuildInstallPara(u"ENU");
    for (int32_t phase : {kTaskDotNet, kTaskDependent, kTaskProduct}) mgr().StartDownTask(phase);
    ASSERT_TRUE(window_.WaitForFinished(2, std::chrono::seconds(60)));

    bool installed = false;
    for (int round = 0; round < 5 && !installed; ++round) {
        installed = mgr().InstallTask(kTaskDotNet) && mgr().InstallTask(kTaskDependent) &&
                    mgr().InstallTask(kTaskProduct);
    }
    ASSERT_TRUE(installed);

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
    ASSERT_TRUE(window.WaitForCompleted(2));
    std::vector<int64_t> percentages = window.Percentages();
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

}  // namespace
}  // namespace orchestrator_test
