#include "services/statistics_store.h"

#include <algorithm>

#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "platform/locale_id.h"
#include "platform/machine.h"
#include "platform/paths.h"
#include "system/simple_log.h"
#include "system/version_text.h"
#include "tests/services/service_test.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr char kClientSign[] = "{9d0c7e4b-1a2f-4c3d-8e5f-6a7b8c9d0e1fG}";
constexpr char kTrackPath[] = "/rest/v2/downloader/track";

class StatisticsStoreTest : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        store().ResetForTesting();
        store().SetRunFactsForTesting(
            RunFacts{"4.5.7.2", "setup.exe", "6.1.0", true, "-", 0, 0x0409, 800, 600});
        store().SetStatisticsBase(Utf8ToUtf16(Url("stats") + "/"));
    }
    void TearDown() override {
        store().ResetForTesting();
        ServiceTest::TearDown();
    }
    static StatisticsStore& store() { return StatisticsStore::Instance(); }

    // The local copies "IXO_<product id>_T<14 digits>.json" in the temporary folder.
    static std::vector<std::string> LocalCopies(const std::string& product_id) {
        std::vector<std::string> paths;
        const std::string prefix = "IXO_" + product_id + "_T";
        for (const platform::FolderEntry& entry : platform::ListFolder(platform::GetTempFolder())) {
            const std::string& name = entry.name;
            if (name.rfind(prefix, 0) != 0 || name.size() != prefix.size() + 14 + 5) continue;
            if (name.compare(name.size() - 5, 5, ".json") != 0) continue;
            if (!std::all_of(name.begin() + prefix.size(), name.end() - 5,
                             [](char c) { return c >= '0' && c <= '9'; }))
                continue;
            paths.push_back(platform::GetTempFolder() + name);
        }
        return paths;
    }
    static void RemoveLocalCopies(const std::string& product_id) {
        for (const std::string& path : LocalCopies(product_id)) platform::DeleteFile(path);
    }
};

TEST_F(StatisticsStoreTest, NothingIsPostedBeforeTheRunIsArmedOrWithoutAClientSign) {
    store().SetStatText("product_id", u"3101");
    store().SetStatText("client_sign", u"{x}");
    store().PostInstallStatistics(false);
    store().SetArmed();
    store().SetStatText("client_sign", u"");
    store().PostInstallStatistics(false);
    EXPECT_TRUE(sim_->Requests().empty());
    EXPECT_TRUE(LocalCopies("3101").empty());
}

TEST_F(StatisticsStoreTest, RecordIsPostedAndKeptAsALocalCopy) {
    RemoveLocalCopies("3102");
    store().SetArmed();
    store().SetStatText("product_id", u"3102");
    store().SetStatText("client_sign", Utf8ToUtf16(kClientSign));
    store().SetStatNumber("downstatus", 2);
    store().SetStatNumber("downcode", 7);
    store().SetStatNumber("installstatus", 2);
    store().SetStatNumber("installcode", 5);
    store().SetStatNumber64("packagesize", 5368709120);
    store().AddStatRemark("retry", "1", false);
    store().AddStatRemark("retry", "1", false);
    store().AddStatRemark("install_err_3102", "5", true);
    store().AddCdnAddress("10.0.0.9");
    store().SetTrackingId(u"trk-7");
    store().PostInstallStatistics(false);

    std::vector<makersim::SimRequest> posts = sim_->Requests("stats", kTrackPath);
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].query, std::string("client_sign=") + kClientSign);
    EXPECT_EQ(posts[0].Header("Content-Type"), "application/json");
    nlohmann::ordered_json record = Json(posts[0].body);
    ASSERT_TRUE(record.is_object()) << posts[0].body;
    EXPECT_EQ(record.begin().key(), "product_id");
    EXPECT_EQ(record["downstate"], "1007");
    EXPECT_EQ(record["installstate"], "2002");
    EXPECT_EQ(record["packagesize"], "5368709120");
    EXPECT_EQ(record["remark1"], R"({"retry":1},{"install_err_3102":"5"})");
    EXPECT_EQ(record["cdniplist"], "10.0.0.9");
    EXPECT_EQ(record["cdnurllist"], "-");
    EXPECT_EQ(record["ixotrackid"], "trk-7");
    EXPECT_EQ(record["client_sign"], kClientSign);

    std::vector<std::string> copies = LocalCopies("3102");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(platform::ReadFile(copies[0]).value_or(""), posts[0].body);
    RemoveLocalCopies("3102");
}

TEST_F(StatisticsStoreTest, PrivacyPostLeavesTheClientSignOutOfAddressAndRecord) {
    RemoveLocalCopies("3103");
    store().SetArmed();
    store().SetStatText("product_id", u"3103");
    store().SetStatText("client_sign", Utf8ToUtf16(kClientSign));
    store().SetStatText("closetype", u"13");
    store().SetStatNumber("downstatus", 3);
    store().PostInstallStatistics(true);

    std::vector<makersim::SimRequest> posts = sim_->Requests("stats", kTrackPath);
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].query, "client_sign=");
    EXPECT_EQ(posts[0].body.find(kClientSign), std::string::npos);
    nlohmann::ordered_json record = Json(posts[0].body);
    EXPECT_EQ(record["client_sign"], "");
    EXPECT_EQ(record["auto_install"], "2");
    // A run closed in privacy mode counts as not downloaded.
    EXPECT_EQ(record["downstatus"], "0");
    EXPECT_EQ(record["downstate"], "1013");
    EXPECT_EQ(store().GetStatText("downstatus"), "0");
    RemoveLocalCopies("3103");
}

TEST_F(StatisticsStoreTest, RecordDescribesThisProgramAndTheMachine) {
    RemoveLocalCopies("3106");
    store().SetRunFactsForTesting(std::nullopt);
    store().SetArmed();
    store().SetStatText("product_id", u"3106");
    store().SetStatText("client_sign", u"{x}");
    store().PostInstallStatistics(false);
    nlohmann::ordered_json record = Json(sim_->Requests("stats", kTrackPath).at(0).body);
    EXPECT_EQ(record["ixoversion"], "4.5.7.2");
    EXPECT_EQ(record["ixonamepid"], "");  // "services_tests" has no digits
    EXPECT_EQ(record["winver"], Utf16ToUtf8(GetOsVersionText()));
    EXPECT_EQ(record["winbits"], platform::IsSystem64Bit() ? "64" : "32");
    EXPECT_EQ(record["syslcid"], std::to_string(platform::GetSystemDefaultLocaleId()));
    RemoveLocalCopies("3106");
}

TEST_F(StatisticsStoreTest, ALocalCopyThatExistsIsLeftAlone) {
    RemoveLocalCopies("3104");
    store().SetArmed();
    store().SetStatText("product_id", u"3104");
    store().SetStatText("client_sign", u"{x}");
    store().PostInstallStatistics(false);
    std::vector<std::string> copies = LocalCopies("3104");
    ASSERT_EQ(copies.size(), 1u);
    ASSERT_TRUE(platform::WriteFileAtomically(copies[0], "kept"));
    // A post within the same second names the same file, which keeps what it had; a post in the next
    // second makes a file of its own.
    store().PostInstallStatistics(false);
    EXPECT_EQ(platform::ReadFile(copies[0]).value_or(""), "kept");
    EXPECT_LE(LocalCopies("3104").size(), 2u);
    RemoveLocalCopies("3104");
}

TEST_F(StatisticsStoreTest, PerTaskModePostsOneRecordPerTask) {
    RemoveLocalCopies("4001");
    RemoveLocalCopies("4002");
    store().SetArmed();
    store().SetPerTaskMode(true);
    store().SetStatText("product_id", u"3105");
    store().SetStatText("client_sign", u"{x}");
    store().SetTaskSelected(4001, true);
    store().SetTaskServerMd5(4001, u"aa,bb");
    store().SetTaskSelected(4002, false);
    store().SetTaskDownloadFailure(4002, 12);
    store().PostInstallStatistics(false);

    std::vector<makersim::SimRequest> posts = sim_->Requests("stats", kTrackPath);
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(Json(posts[0].body)["product_id"], "4001");
    EXPECT_EQ(Json(posts[0].body)["serverxmlmd5"], "aa,bb");
    EXPECT_EQ(Json(posts[1].body)["product_id"], "4002");
    EXPECT_EQ(LocalCopies("4001").size(), 1u);
    EXPECT_EQ(LocalCopies("4002").size(), 1u);
    RemoveLocalCopies("4001");
    RemoveLocalCopies("4002");
}

TEST_F(StatisticsStoreTest, WebEventRemarksAreBoundedInLengthAndNumber) {
    store().AddWebEventRemark(u"{\"key\":\"p\",\"time\":\"1\",\"data\":\"x\"}");
    store().AddWebEventRemark(u"{\"key\":\"p\",\"event\":\"e\",\"time\":\"1\",\"data\":\"" +
                              std::u16string(230, u'x') + u"\"}");
    EXPECT_TRUE(store().Snapshot().web_remarks.empty());
    for (int i = 0; i < 105; ++i) {
        store().AddWebEventRemark(
            Utf8ToUtf16(R"({"key":"p)" + std::to_string(i) + R"(","event":"e","time":"1","data":"x"})"));
    }
    std::vector<std::string> remarks = store().Snapshot().web_remarks;
    ASSERT_EQ(remarks.size(), 100u);
    EXPECT_EQ(remarks.front(), R"({"p0":"e,1,x"})");
    EXPECT_EQ(remarks.back(), R"({"p99":"e,1,x"})");
}

TEST_F(StatisticsStoreTest, SeriesPostSendsItsTextBodyWithAToken) {
    EXPECT_TRUE(store().PostSeriesInfo("2001", kClientSign));
    std::vector<makersim::SimRequest> sent = sim_->Requests("api");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].Header("X-Prod-Ver"), "1.1.1");
    EXPECT_EQ(sent[0].Header("X-Prod-Id"), "2001");
    EXPECT_EQ(sent[1].path, "/v1/product/series");
    EXPECT_EQ(sent[1].body, std::string(R"({"product_id":2001, "client_sign":")") + kClientSign + "\"}");
    EXPECT_EQ(sent[1].Header("Authorization").rfind("Bearer simtoken-", 0), 0u);
    EXPECT_NE(LogText().find("[INFO] post info ok."), std::string::npos);

    sim_->Script(R"({"path":"/v1/product/series","times":2,"json":{"code":3}})");
    test_support::LogCapture log;
    EXPECT_FALSE(store().PostSeriesInfo("2001", kClientSign));
    const std::string text = log.NewText();
    EXPECT_NE(text.find(R"([ERROR] post info failed! result=[{"code":3}].)"), std::string::npos) << text;
    EXPECT_EQ(text.find("switch host domain"), std::string::npos);
}

TEST_F(StatisticsStoreTest, FailedDownloadSendsAnAutomaticErrorReport) {
    const std::string main_log = GetLogFolder() + "kxIXO.log";
    ASSERT_TRUE(platform::WriteFileAtomically(main_log, "run log\n"));
    test_support::TempFolder folder;
    const std::string installer_log = folder.Write("install_2001.log", "installer says no\n");
    store().SetStatText("client_sign", Utf8ToUtf16(kClientSign));
    store().SetStatText("product_id", u"2001");
    store().SetStatText("xmlprodcutver", u"5.1.0.3");
    store().SetInstallerLogPath(Utf8ToUtf16(installer_log));

    // After a download failure the installer's log is not part of the report.
    ASSERT_TRUE(store().AutoReportErrorLog(false, "pid=2001, download err=7"));
    std::vector<makersim::SimRequest> uploads =
        sim_->Requests("api", "/v1/product/downloader/upload-log-file");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0].files.at(0).filename, "kxIXO.log");
    EXPECT_EQ(uploads[0].Header("X-Prod-Ver"), "5.1.0.3");
    EXPECT_EQ(uploads[0].Header("X-Client-Sn"), kClientSign);
    nlohmann::ordered_json report = Json(sim_->Requests("api", "/v1/product/logs/report").at(0).body);
    EXPECT_EQ(report["remark"], "pid=2001, download err=7");
    EXPECT_EQ(report["client_sign"], kClientSign);
    const std::string log = LogText();
    EXPECT_NE(log.find("[INFO] auto report error log, remark=[pid=2001, download err=7]."),
              std::string::npos);
    EXPECT_NE(log.find("[INFO] auto report error log, result=[1]."), std::string::npos);

    // After an installation failure it is.
    sim_->Sim().Reset();
    ASSERT_TRUE(store().AutoReportErrorLog(true, "pid=2001, install err=1603"));
    uploads = sim_->Requests("api", "/v1/product/downloader/upload-log-file");
    ASSERT_EQ(uploads.size(), 2u);
    EXPECT_EQ(uploads[1].files.at(0).filename, "install_2001.log");
    EXPECT_EQ(uploads[1].files.at(0).content, "installer says no\n");

    // A report that cannot be sent says so.
    sim_->Sim().Reset();
    sim_->Script(R"({"path":"/v3/user/client/token","times":0,"drop":true})");
    test_support::LogCapture failed;
    EXPECT_FALSE(store().AutoReportErrorLog(false, "pid=2001, download err=8"));
    EXPECT_NE(failed.NewText().find("[INFO] auto report error log, result=[0]."), std::string::npos);
    platform::DeleteFile(main_log);
}

}  // namespace
