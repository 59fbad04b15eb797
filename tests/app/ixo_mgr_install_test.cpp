// Running the installers of a phase: exit codes, package deletion, the .NET rule, reports and notifications.
#include <gtest/gtest.h>

#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "system/installed_products.h"
#include "tests/app/orchestrator_fixture.h"

namespace orchestrator_test {
namespace {

using InstallPhaseTest = OrchestratorTest;

ProductConfig WithDotNet() {
    ProductConfig product = OrchestratorTest::BaseProduct();
    product.Dotnetminver = u"4.8";  // never registered in the test's registry
    product.Dotneturl = u"http://127.0.0.1:9/netfx";
    return product;
}

TEST_F(InstallPhaseTest, FailedInstallerDeletesThePackageUnlessItPassedTheMd5Check) {
    for (bool md5_confirmed : {false, true}) {
        SCOPED_TRACE(md5_confirmed ? "MD5-confirmed" : "not confirmed");
        TearDown();
        SetUp();
        Prepare(BaseProduct(), {}, 1000);
        mgr().BuildInstallPara(u"ENU");
        CompleteDownload(1234, "demo-setup-exit5", DemoInstaller());
        if (md5_confirmed) mgr().OnMd5Match(1234);

        EXPECT_FALSE(mgr().InstallTask(kTaskProduct));
        const DownTask* task = mgr().FindTask(1234);
        EXPECT_EQ(task->exit_code, 5);
        EXPECT_EQ(task->install_state, kStateFailed);
        EXPECT_EQ(platform::FileExists(Working() + "demo-setup-exit5"), md5_confirmed);
        EXPECT_EQ(statistics_.Value("install_err_1234"), "5");
        EXPECT_EQ(statistics_.Reports(), (std::vector<std::string>{"install: pid=1234, install err=5"}));
        EXPECT_EQ(window_.Events().back(), "install 1234 5");
        std::string log = log_.NewText();
        EXPECT_NE(log.find("[INFO] IxoMgr InstallTask pid: 1234"), std::string::npos);
        EXPECT_NE(log.find("[INFO] IxoMgr InstallTask res: 5"), std::string::npos);
        EXPECT_NE(log.find("[INFO] IxoMgr InstallTask: 0, 2, 1, 3, 2"), std::string::npos);
    }
}

TEST_F(InstallPhaseTest, SameInstallerFailureIsReportedOnce) {
    Prepare(BaseProduct(), {}, 1000);
    mgr().BuildInstallPara(u"ENU");
    for (int attempt = 0; attempt < 2; ++attempt) {
        CompleteDownload(1234, "demo-setup-exit7", DemoInstaller());
        mgr().FindTask(1234)->install_state = kStateNotStarted;
        EXPECT_FALSE(mgr().InstallTask(kTaskProduct));
    }
    EXPECT_EQ(statistics_.Reports().size(), 1u);
    EXPECT_EQ(mgr().GetReportedErrorCount(2007), 2);
}

TEST_F(InstallPhaseTest, DotNetInstallerCountsAsInstalledFromTheThirdAttempt) {
    Prepare(WithDotNet(), {}, 1000);
    ASSERT_NE(mgr().FindTask(kDotNetTaskId), nullptr);
    mgr().BuildInstallPara(u"ENU");
    EXPECT_EQ(mgr().FindTask(kDotNetTaskId)->command_line, u"/VERYSILENT /NOPAGE ");

    const std::vector<std::pair<int32_t, bool>> attempts = {{0, false}, {1, false}, {2, true}};
    for (auto [attempt_count, installed] : attempts) {
        SCOPED_TRACE(attempt_count);
        CompleteDownload(kDotNetTaskId, "netfx-exit3", DemoInstaller());
        DownTask* task = mgr().FindTask(kDotNetTaskId);
        task->install_state = kStateNotStarted;
        task->install_attempt_count = attempt_count;
        EXPECT_EQ(mgr().InstallTask(kTaskDotNet), installed);
        EXPECT_EQ(task->install_state, installed ? kStateDone : kStateFailed);
        EXPECT_EQ(task->exit_code, 3);
        EXPECT_EQ(window_.Events().back(), installed ? "install 9876 0" : "install 9876 3");
    }
}

TEST_F(InstallPhaseTest, PhaseWithoutTasksOrAlreadyInstalledReturnsAtOnce) {
    Prepare(BaseProduct(), {}, 1000);
    mgr().BuildInstallPara(u"ENU");
    EXPECT_TRUE(mgr().InstallTask(kTaskDotNet));
    EXPECT_TRUE(mgr().InstallTask(kTaskDependent));
    EXPECT_FALSE(mgr().InstallTask(kTaskProduct));  // not downloaded yet

    CompleteDownload(1234, "demo-setup", DemoInstaller());
    EXPECT_TRUE(mgr().InstallTask(kTaskProduct));
    size_t events = window_.Events().size();
    EXPECT_TRUE(mgr().InstallTask(kTaskProduct));  // nothing runs again
    EXPECT_EQ(window_.Events().size(), events);
}

TEST_F(InstallPhaseTest, PackageThatCannotBeOpenedFailsWithMinusOne) {
    Prepare(BaseProduct(), {}, 1000);
    mgr().BuildInstallPara(u"ENU");
    CompleteDownload(1234, "demo-setup", "x");
    platform::DeleteFile(Working() + "demo-setup");
    EXPECT_FALSE(mgr().InstallTask(kTaskProduct));
    EXPECT_EQ(mgr().FindTask(1234)->exit_code, -1);
    EXPECT_NE(log_.NewText().find("[ERROR] RunExe failed! err=["), std::string::npos);
}

TEST_F(InstallPhaseTest, CompatibilityLayerIsSetForThePackageInBothViews) {
    ProductConfig product = BaseProduct();
    product.ProductInsCmple = u"WIN7RTM";
    Prepare(product, {}, 1000);
    mgr().BuildInstallPara(u"ENU");
    CompleteDownload(1234, "demo-setup", DemoInstaller());
    EXPECT_TRUE(mgr().InstallTask(kTaskProduct));
    for (auto view : {platform::RegistryView::k32Bit, platform::RegistryView::k64Bit}) {
        platform::RegistryKey key;
        ASSERT_TRUE(key.Open(platform::RegistryHive::kLocalMachine,
                             "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers",
                             view));
        EXPECT_EQ(key.ReadString(Working() + "demo-setup").value_or(""), "WIN7RTM");
    }
}

TEST_F(InstallPhaseTest, WithoutAChosenFolderTheDefaultParentIsUsed) {
    mgr().EditRunConfig().InstallPath.clear();
    Prepare(BaseProduct(), {}, 1000);
    mgr().BuildInstallPara(u"ENU");
    const std::u16string& parent = mgr().GetInstallParentFolder();
    ASSERT_FALSE(parent.empty());
    EXPECT_EQ(mgr().FindTask(1234)->install_folder, parent + u"Kelvarosoft/Demo/");
}

TEST_F(InstallPhaseTest, InstallFoldersFollowTheStartupProduct) {
    ProductConfig product = BaseProduct();
    DependentItem dependent;
    dependent.ProductID = u"555";
    dependent.ProductName = u"Runtime";
    dependent.ProductExe = u"demo-product";
    dependent.Url_Down = u"http://127.0.0.1:9/runtime";
    dependent.Url_Downx64 = u"http://127.0.0.1:9/runtime";
    product.Dependents = {dependent};
    product.StartupProduct = u"555";
    const std::string apps = Working() + "apps/";
    const std::string folder = apps + "Kelvarosoft/Runtime/";
    mgr().EditRunConfig().InstallPath = Utf8ToUtf16(apps);
    Prepare(product, {}, 1000);
    mgr().BuildInstallPara(u"DEU");

    const DownTask* main = mgr().FindTask(1234);
    const DownTask* runtime = mgr().FindTask(555);
    EXPECT_FALSE(main->startup);
    EXPECT_TRUE(runtime->startup);
    EXPECT_EQ(main->install_folder, Utf8ToUtf16(folder));
    EXPECT_EQ(runtime->install_folder, Utf8ToUtf16(folder));
    EXPECT_EQ(runtime->executable_path, Utf8ToUtf16(folder + "demo-product"));
    EXPECT_NE(runtime->command_line.find(u"/installpath: \"" + Utf8ToUtf16(folder) + u"\""),
              std::u16string::npos);
    std::string log = log_.NewText();
    EXPECT_NE(log.find("[INFO] BuildInstallPara, product startup=[0]."), std::string::npos);
    EXPECT_NE(log.find("[INFO] BuildInstallPara dependent startup=[1]."), std::string::npos);

    // The dependent's installer takes the folder switches as they are written and installs there.
    CompleteDownload(555, "runtime-setup", DemoInstaller());
    EXPECT_TRUE(mgr().InstallTask(kTaskDependent));
    EXPECT_TRUE(platform::FileExists(folder + "demo-product"));
    EXPECT_EQ(GetInstalledValue(u"Kelvarosoft", u"555", u"InstallPath"), Utf8ToUtf16(folder));
}

}  // namespace
}  // namespace orchestrator_test
