// The download side of the orchestrator: phases handed to the engine, the callbacks' effect on the tasks,
// the window and the statistics, retries and disk-space checks.
#include <gtest/gtest.h>

#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "system/system_folders.h"
#include "tests/app/orchestrator_fixture.h"
#include "tests/support/temp_folder.h"

namespace orchestrator_test {
namespace {

using DownloadPhaseTest = OrchestratorTest;

ProductConfig WithDependents() {
    ProductConfig product = OrchestratorTest::BaseProduct();
    DependentItem required;
    required.ProductID = u"555";
    required.ProductName = u"Runtime";
    required.Url_Down = u"http://127.0.0.1:9/runtime";
    required.Url_Downx64 = u"http://127.0.0.1:9/runtime64";
    DependentItem optional = required;
    optional.ProductID = u"777";
    optional.ProductName = u"Extra";
    optional.ForceInstall = u"false";
    product.Dependents = {required, optional};
    return product;
}

TEST_F(DownloadPhaseTest, FailedDownloadIsReportedOncePerDistinctCode) {
    Prepare(BaseProduct(), {}, 1000);
    mgr().OnError(1234, 2);
    mgr().OnError(1234, 2);
    mgr().OnError(1234, 3);

    EXPECT_EQ(statistics_.Reports(), (std::vector<std::string>{"download: pid=1234, download err=2",
                                                               "download: pid=1234, download err=3"}));
    EXPECT_EQ(mgr().GetReportedErrorCount(1002), 2);
    EXPECT_EQ(mgr().GetReportedErrorCount(1003), 1);
    EXPECT_EQ(window_.Events(),
              (std::vector<std::string>{"finished 1234 2", "finished 1234 2", "finished 1234 3"}));
    EXPECT_EQ(mgr().FindTask(1234)->download_state, kStateFailed);
    EXPECT_EQ(mgr().FindTask(1234)->download_error, 3);
}

TEST_F(DownloadPhaseTest, OptionalDependentThatFailsNeverBlocksTheProduct) {
    Prepare(WithDependents(), {}, 1000);
    mgr().OnError(777, 24);
    mgr().OnError(555, 24);

    // The optional one reaches the window as success and only as a statistics entry; the mandatory one is a
    // failure with its code and a report.
    EXPECT_EQ(window_.Events(), (std::vector<std::string>{"finished 777 0", "finished 555 24"}));
    EXPECT_EQ(statistics_.Value("download_failure_777"), "24");
    EXPECT_EQ(statistics_.Reports(), (std::vector<std::string>{"download: pid=555, download err=24"}));
    EXPECT_FALSE(mgr().InstallTask(kTaskDependent));  // 555 is still missing

    mgr().RetryDownTask(555);
    CompleteDownload(555, "runtime", DemoInstaller());
    EXPECT_TRUE(mgr().InstallTask(kTaskDependent));  // 777 counts as finished
}

TEST_F(DownloadPhaseTest, RetryOfAnMd5ConfirmedPackageDoesNotDownloadAgain) {
    Prepare(BaseProduct(), {}, 1000);
    CompleteDownload(1234, "demo-setup", "package");
    mgr().OnMd5Match(1234);
    DownTask* task = mgr().FindTask(1234);
    task->install_state = kStateFailed;
    engine_->added.clear();

    mgr().RetryDownTask(1234);
    EXPECT_TRUE(engine_->added.empty());
    EXPECT_EQ(task->install_state, kStateNotStarted);
    EXPECT_EQ(task->download_state, kStateDone);

    // Once the kept package is gone, the retry downloads it again, with no digest to compare.
    platform::DeleteFile(Working() + "demo-setup");
    mgr().RetryDownTask(1234);
    ASSERT_EQ(engine_->added.size(), 1u);
    EXPECT_EQ(engine_->added[0].id, 1234);
    EXPECT_EQ(engine_->added[0].md5, u"");
    EXPECT_EQ(task->download_state, kStateNotStarted);
    EXPECT_FALSE(mgr().IsMd5Confirmed(1234));
}

TEST_F(DownloadPhaseTest, StartDownTaskHandsEachTaskOfThePhaseToTheEngine) {
    ServerRuntimeConfig server;
    server.md5 = u"aa";
    server.history_md5_32 = u"bb";
    mgr().SetArchitectureForTesting(false, false);
    Prepare(WithDependents(), server, 1000);

    mgr().StartDownTask(kTaskDotNet);  // no .NET task: nothing to add, but the run counts as started
    EXPECT_TRUE(engine_->added.empty());
    EXPECT_EQ(mgr().GetRunConfig().Status, u"1");

    mgr().StartDownTask(kTaskDependent);
    mgr().StartDownTask(kTaskProduct);
    ASSERT_EQ(engine_->added.size(), 3u);
    EXPECT_EQ(engine_->added[0].id, 555);
    EXPECT_EQ(engine_->added[1].id, 777);
    EXPECT_EQ(engine_->added[2].id, 1234);
    EXPECT_EQ(engine_->added[2].md5, u"aa,bb");
    EXPECT_EQ(statistics_.Value("cdn_url:http://127.0.0.1:9/demo-setup"), "1");
    EXPECT_NE(log_.NewText().find("[INFO] IxoMgr StartDownTask: 1234, " + Working() + ", , aa,bb"),
              std::string::npos);

    mgr().CancelAllDownloads();
    EXPECT_EQ(engine_->removed, (std::vector<int32_t>{1234, 555, 777}));

    mgr().SetEngineForTesting(nullptr);
    mgr().StartDownTask(kTaskProduct);
    EXPECT_NE(log_.NewText().find("[ERROR] function interface is null."), std::string::npos);
}

TEST_F(DownloadPhaseTest, ProgressSumsCoverEveryTask) {
    Prepare(WithDependents(), {}, 1000);
    mgr().OnProgress(555, 10, 100, 5);
    mgr().OnProgress(1234, 0, 300, 0);
    EXPECT_EQ(window_.LastTotal(), 400);
    EXPECT_EQ(window_.LastReceived(), 10);
    mgr().OnComplete(555);
    EXPECT_EQ(window_.LastReceived(), 100);
    EXPECT_EQ(mgr().FindTask(555)->download_state, kStateDone);
}

TEST_F(DownloadPhaseTest, CheckInstallSpaceWithAndWithoutMarginOnTheSameAndAnotherMount) {
    // /dev/shm is a mount of its own on the test machines; the working folder is under the temporary folder.
    const std::u16string other_mount = u"/dev/shm/";
    if (!platform::FolderExists("/dev/shm") ||
        GetDriveRoot(other_mount) == GetDriveRoot(Utf8ToUtf16(Working())))
        GTEST_SKIP() << "no second mount";
    mgr().SetFolderPlacesForTesting(std::nullopt);  // the real free space
    working_.Write("install/.keep", "");
    const std::u16string same_mount = Utf8ToUtf16(Working()) + u"install/";

    struct Case {
        const char* name;
        std::u16string folder;
        bool with_margin;
        double package_share;  // package size as a share of the folder's free bytes
        bool expected;
    };
    const std::vector<Case> cases = {
        {"no margin, fits", same_mount, false, 0.5, true},
        {"no margin, too big", same_mount, false, 2.0, false},
        {"margin, same mount needs five times", same_mount, true, 1 / 4.5, false},
        {"margin, same mount, fits five times", same_mount, true, 1 / 5.5, true},
        {"margin, other mount needs four times", other_mount, true, 1 / 4.5, true},
        {"margin, other mount, too big", other_mount, true, 1 / 3.5, false},
    };
    for (const Case& c : cases) {
        int64_t free_bytes = int64_t(GetFreeDiskBytes(c.folder));
        mgr().SetPackageSizeForTesting(int64_t(double(free_bytes) * c.package_share));
        EXPECT_EQ(mgr().CheckInstallSpace(c.folder, c.with_margin), c.expected) << c.name;
    }
    std::string log = log_.NewText();
    EXPECT_NE(log.find("[WARN] check install space size failed! dir=[" + Working() + "install/], free=["),
              std::string::npos);
    EXPECT_NE(log.find("], estimate=["), std::string::npos);

    mgr().SetPackageSizeForTesting(0);  // unknown size: always passes
    EXPECT_TRUE(mgr().CheckInstallSpace(u"/dev/shm/", true));
}

TEST_F(DownloadPhaseTest, LastCompletedDownloadStartsTheForkCopy) {
    Prepare(WithDependents(), {}, 1000);
    int started = 0;
    mgr().SetForkStarter([&] { ++started; });
    mgr().OnProgress(1234, 50, 100, 10);
    mgr().OnProgress(555, 100, 100, 10);
    mgr().OnComplete(555);
    EXPECT_EQ(started, 0);  // the product is still running
    mgr().OnError(777, 2);
    mgr().OnComplete(1234);
    EXPECT_EQ(started, 1);
}

TEST_F(DownloadPhaseTest, UpdateSaveFolderMovesToTheLargestDiskWhenTheWorkingDiskIsTooSmall) {
    test_support::TempFolder other_disk;
    FolderPlaces places;
    const std::u16string working = Utf8ToUtf16(Working());
    const std::u16string other = Utf8ToUtf16(other_disk.Path());
    places.fixed_drives = {working, other};
    places.system_drive = u"/nonexistent-system-drive/";
    places.free_bytes = [working](const std::u16string& folder) -> uint64_t {
        return folder.rfind(working, 0) == 0 ? 500 : 1'000'000;
    };
    mgr().SetFolderPlacesForTesting(places);
    Prepare(WithDependents(), {}, 1000);

    const std::u16string moved = other + u"Kelvarosoft/Download/";
    EXPECT_EQ(mgr().GetWorkingFolder(), moved);
    for (const DownTask& task : mgr().Tasks()) EXPECT_EQ(task.save_folder, moved) << task.id;
    EXPECT_NE(log_.NewText().find("[WARN] update save folder, dir=[" + Working() + "], disk_free_size=[500]"),
              std::string::npos);
}

TEST_F(DownloadPhaseTest, CompleteRunStatisticsSpansAllTasks) {
    EXPECT_FALSE(mgr().CompleteRunStatistics());  // no task list yet
    Prepare(WithDependents(), {}, 1000);
    DownTask* product = mgr().FindTask(1234);
    DownTask* runtime = mgr().FindTask(555);
    product->download_start = 1000;
    product->download_end = 1100;
    product->downloaded = int64_t(3) << 30;
    product->total_size = product->downloaded;
    product->install_start = 1200;
    product->install_end = 1260;
    product->download_state = kStateDone;
    product->install_state = kStateDone;
    runtime->download_start = 900;
    runtime->download_end = 1000;
    runtime->downloaded = int64_t(2) << 30;
    runtime->install_start = 1150;
    runtime->install_end = 1190;

    EXPECT_TRUE(mgr().CompleteRunStatistics());
    EXPECT_EQ(statistics_.Value("downtime"), "200");
    EXPECT_EQ(statistics_.Value("installtime"), "110");
    // 5 GiB over 200 seconds: the sum must not wrap at 4 GiB.
    EXPECT_EQ(statistics_.Value("downspeed"), std::to_string((int64_t(5) << 30) / 200));
    EXPECT_EQ(statistics_.Value("packagesize"), std::to_string(int64_t(3) << 30));
    EXPECT_EQ(statistics_.Value("downstatus"), "3");
    EXPECT_EQ(statistics_.Value("installstatus"), "3");
}

TEST_F(DownloadPhaseTest, CallbacksRecordStatisticsAndLogLines) {
    Prepare(BaseProduct(), {}, 1000);
    mgr().OnFileMd5(1234, "ABCDEF");
    mgr().OnFileOperationFailed(1234, 3, 28);
    mgr().OnGetInfoFailed(1234, 2);
    mgr().OnDnsCacheCleared(1234, 24);
    mgr().OnDnsResolved(1234, "cdn.example", "10.0.0.1,10.0.0.2");
    mgr().OnDownloadConfig(1234, 8, 65536);
    mgr().OnPrepare(1234);
    mgr().OnAddressUsed(1234, "10.0.0.1");
    mgr().OnRetry(1234, 2);
    mgr().OnError(4321, 2);  // no such task: nothing happens

    EXPECT_EQ(statistics_.Value("downpackagemd5"), "ABCDEF");
    EXPECT_EQ(statistics_.Value("filemd5_1234"), "ABCDEF");
    EXPECT_EQ(statistics_.Value("pkg_opt_failed_1234"), "3-28");
    EXPECT_EQ(statistics_.Value("get_pkg_info_failed_1234"), "2");
    EXPECT_EQ(statistics_.Value("clear_dns_cache_1234"), "24");
    EXPECT_EQ(statistics_.Value("cdn_address:10.0.0.1"), "1");
    EXPECT_EQ(statistics_.Value("retrytips"), "2");
    EXPECT_EQ(mgr().FindTask(1234)->retry_attempt, 2);
    EXPECT_EQ(mgr().FindTask(1234)->connections, 8);
    EXPECT_TRUE(statistics_.Reports().empty());
    EXPECT_TRUE(window_.Events().empty());
    std::string log = log_.NewText();
    for (const char* line : {"[INFO] get pkg info failed! task_id=[1234], err=[2].",
                             "[INFO] clear dns cache, task_id=[1234], err=[24].",
                             "[INFO] query dns, domain=[cdn.example], ips=[10.0.0.1,10.0.0.2].",
                             "[INFO] download, task_id=[1234], thread=[8], buffer=[65536].",
                             "[INFO] prepare download, task_id=[1234]."}) {
        EXPECT_NE(log.find(line), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace orchestrator_test
