#include <algorithm>

#include "platform/file_system.h"
#include "services/log_reporter.h"
#include "services/support_reporter.h"
#include "system/simple_log.h"
#include "tests/services/service_test.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr char kClientSerial[] = "{0c2f9e1a-77b4-4d2e-9a51-3c8d0e6f4a21G}";
constexpr char kUploadPath[] = "/v1/product/downloader/upload-log-file";

class ReportersTest : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        main_log_ = GetLogFolder() + "kxIXO.log";
        ASSERT_TRUE(platform::WriteFileAtomically(main_log_, "main log\n"));
    }
    void TearDown() override {
        platform::DeleteFile(main_log_);
        ServiceTest::TearDown();
    }

    std::string main_log_;
    test_support::TempFolder folder_;
};

TEST_F(ReportersTest, ExtraLogAndItsSiblingsFollowTheMainLog) {
    EXPECT_EQ(CBaseReporter::CandidateFiles("/x/setup.log"),
              (std::vector<std::string>{GetLogFolder() + "kxIXO.log", "/x/setup.log", "/x/setup.SubPack1.log",
                                        "/x/setup.SubPack2.log", "/x/setup.SubPack3.log"}));
    // Without an extra path only the main log is tried.
    EXPECT_EQ(CBaseReporter::CandidateFiles(""), (std::vector<std::string>{GetLogFolder() + "kxIXO.log"}));
}

TEST_F(ReportersTest, LogReportListsEveryUploadInOrderWithoutAnEmptyRemark) {
    const std::string extra = folder_.Write("setup.log", "installer log\n");
    folder_.Write("setup.SubPack2.log", "second sub-package\n");

    CLogReporter reporter(kClientSerial);
    reporter.SetProductVersion("5.1.0.3");
    ASSERT_TRUE(reporter.SendFiles(extra));

    std::vector<makersim::SimRequest> uploads = sim_->Requests("api", kUploadPath);
    ASSERT_EQ(uploads.size(), 3u);
    const char* names[] = {"kxIXO.log", "setup.log", "setup.SubPack2.log"};
    // The token is asked for as this downloader, with its own version, whatever product is being installed.
    const makersim::SimRequest token_request = sim_->Requests("api", "/v3/user/client/token").at(0);
    EXPECT_EQ(token_request.Header("X-Prod-Id"), "14424");
    EXPECT_EQ(token_request.Header("X-Prod-Ver"), "4.5.7.2");
    for (std::size_t i = 0; i < uploads.size(); ++i) {
        ASSERT_EQ(uploads[i].files.size(), 1u);
        EXPECT_EQ(uploads[i].files[0].name, "file");
        EXPECT_EQ(uploads[i].files[0].filename, names[i]);
        EXPECT_EQ(uploads[i].Header("Authorization").rfind("Bearer simtoken-", 0), 0u);
        EXPECT_EQ(uploads[i].Header("Content-Type").rfind("multipart/form-data; boundary=", 0), 0u);
        EXPECT_EQ(uploads[i].Header("X-App-Key"), kPlatformAppKey);
        EXPECT_EQ(uploads[i].Header("X-Client-Type"), "1");
        EXPECT_EQ(uploads[i].Header("X-Lang"), "en-us");
        EXPECT_EQ(uploads[i].Header("X-Client-Sn"), kClientSerial);
        EXPECT_EQ(uploads[i].Header("X-Prod-Id"), "14424");
        EXPECT_EQ(uploads[i].Header("X-Prod-Ver"), "5.1.0.3");
    }

    std::vector<makersim::SimRequest> whitelist = sim_->Requests("api", "/v1/product/logs/whitelist");
    ASSERT_EQ(whitelist.size(), 1u);
    EXPECT_EQ(whitelist[0].body,
              std::string(R"({"client_sign":")") + kClientSerial + R"(","pid":14424,"version":"4.5.7.2"})");

    std::vector<makersim::SimRequest> report = sim_->Requests("api", "/v1/product/logs/report");
    ASSERT_EQ(report.size(), 1u);
    EXPECT_EQ(report[0].Header("Content-Type"), "application/json");
    nlohmann::ordered_json body = Json(report[0].body);
    EXPECT_EQ(Keys(body), (std::vector<std::string>{"client_sign", "pid", "version", "type", "files"}));
    EXPECT_EQ(body["pid"], 14424);
    EXPECT_EQ(body["type"], 2);
    ASSERT_EQ(body["files"].size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        // Each entry is the "data" the upload returned, unchanged.
        EXPECT_EQ(body["files"][i]["name"], names[i]);
        EXPECT_EQ(body["files"][i]["kind"], "log");
    }
    EXPECT_LT(body["files"][0]["id"], body["files"][1]["id"]);
}

TEST_F(ReportersTest, RemarkGoesBetweenTypeAndFiles) {
    CLogReporter reporter(kClientSerial);
    // Without a version from the caller the uploads carry the program's own.
    reporter.SetRemark("pid=2001, download err=7");
    ASSERT_TRUE(reporter.SendFiles(""));
    nlohmann::ordered_json body = Json(sim_->Requests("api", "/v1/product/logs/report").at(0).body);
    EXPECT_EQ(Keys(body),
              (std::vector<std::string>{"client_sign", "pid", "version", "type", "remark", "files"}));
    EXPECT_EQ(body["remark"], "pid=2001, download err=7");
    EXPECT_EQ(body["files"].size(), 1u);
    EXPECT_EQ(sim_->Requests("api", kUploadPath).at(0).Header("X-Prod-Ver"), "4.5.7.2");
}

TEST_F(ReportersTest, RefusedUploadIsLeftOutAndASwitchIsLogged) {
    const std::string extra = folder_.Write("setup.log", "installer log\n");
    // The main log is refused at both addresses; the extra log only at the primary.
    sim_->Script(
        R"([{"service":"api","path":"/v1/product/downloader/upload-log-file","json":{"code":413,"msg":"too big"}},
                     {"service":"api-alt","path":"/v1/product/downloader/upload-log-file","json":{"code":413,"msg":"too big"}},
                     {"service":"api","path":"/v1/product/downloader/upload-log-file","status":500,"body":""}])");
    CLogReporter reporter(kClientSerial);
    ASSERT_TRUE(reporter.SendFiles(extra));
    const std::string log = LogText();
    EXPECT_NE(log.find(R"([ERROR] upload log, result=[{"code":413,"msg":"too big"}])"), std::string::npos)
        << log;
    EXPECT_NE(log.find("[WARN] switch host domain."), std::string::npos);

    nlohmann::ordered_json body = Json(sim_->Requests("api", "/v1/product/logs/report").at(0).body);
    ASSERT_EQ(body["files"].size(), 1u);
    EXPECT_EQ(body["files"][0]["name"], "setup.log");
    EXPECT_EQ(sim_->Requests("api-alt", kUploadPath).size(), 2u);
}

TEST_F(ReportersTest, NothingIsFiledWithoutATokenOrWithoutAnyUploadedFile) {
    sim_->Script(R"({"path":"/v3/user/client/token","times":0,"json":{"code":401,"msg":"no"}})");
    CLogReporter no_token(kClientSerial);
    EXPECT_FALSE(no_token.SendFiles(""));
    EXPECT_NE(LogText().find("[ERROR] send file failed! not init."), std::string::npos);
    EXPECT_TRUE(sim_->Requests("", kUploadPath).empty());

    sim_->Sim().Reset();
    platform::DeleteFile(main_log_);
    CLogReporter no_files(kClientSerial);
    EXPECT_FALSE(no_files.SendFiles(folder_.Path() + "missing.log"));
    EXPECT_TRUE(sim_->Requests("", kUploadPath).empty());
    EXPECT_TRUE(sim_->Requests("", "/v1/product/logs/*").empty());
}

TEST_F(ReportersTest, RefusedReportIsLoggedWithTheReply) {
    sim_->Script(R"([{"path":"/v1/product/logs/whitelist","times":2,"json":{"code":9}},
                     {"path":"/v1/product/logs/report","times":2,"json":{"code":500,"msg":"full"}}])");
    CLogReporter reporter(kClientSerial);
    EXPECT_FALSE(reporter.SendFiles(""));
    const std::string log = LogText();
    EXPECT_NE(log.find("[ERROR] add white list failed! code=[9]."), std::string::npos) << log;
    EXPECT_NE(log.find(R"([ERROR] log_reports failed! result=[{"code":500,"msg":"full"}])"),
              std::string::npos)
        << log;
}

TEST_F(ReportersTest, SupportTicketNamesTheContactByItsKind) {
    struct Case {
        std::u16string contact;
        std::string key;
        std::string value;
    };
    const Case cases[] = {{u"jo.doe@example.org", "email", "jo.doe@example.org"},
                          {u"491701234567", "mobile", "491701234567"}};
    for (const Case& c : cases) {
        sim_->Sim().Reset();
        test_support::LogCapture log;
        CSupportReporter reporter(kClientSerial);
        reporter.SetProductId("2001");
        reporter.SetProductVersion("5.1.0.3");
        EXPECT_TRUE(reporter.SetTicket(u"Install failed", u"Stops at 40 % \u00e4", c.contact));
        ASSERT_TRUE(reporter.SendFiles(""));

        std::vector<makersim::SimRequest> uploads = sim_->Requests("api", "/v1/crm/ticket/file/upload");
        ASSERT_EQ(uploads.size(), 1u);
        EXPECT_FALSE(uploads[0].HasHeader("X-App-Key"));
        EXPECT_EQ(uploads[0].Header("Authorization").rfind("Bearer simtoken-", 0), 0u);

        std::vector<makersim::SimRequest> tickets = sim_->Requests("api", "/v1/support/tickets");
        ASSERT_EQ(tickets.size(), 1u);
        const std::string& body = tickets[0].body;
        EXPECT_EQ(
            body.substr(0, body.find("\"attachment\"")),
            "{\"title\":\"Install failed\",\"contents\":\"Stops at 40 % \xC3\xA4\",\"contact_type\":\"" +
                c.key + "\",\"" + c.key + "\":\"" + c.value +
                "\",\"product_id\":2001,\"product_version\":\"5.1.0.3\",\"ticket_form_id\":10310875932697,");
        nlohmann::ordered_json ticket = Json(body);
        ASSERT_EQ(ticket["attachment"].size(), 1u);
        EXPECT_EQ(ticket["attachment"][0]["kind"], "attachment");
        EXPECT_EQ(ticket["attachment"][0]["name"], "kxIXO.log");

        const std::string text = log.NewText();
        EXPECT_NE(text.find("[INFO] contact: " + c.value), std::string::npos);
        EXPECT_NE(text.find("[INFO] content: Stops at 40 % \xC3\xA4"), std::string::npos);
        EXPECT_NE(text.find("[INFO] report support."), std::string::npos);
    }
}

TEST_F(ReportersTest, RefusedTicketIsLoggedWithItsCode) {
    sim_->Script(R"({"path":"/v1/support/tickets","times":2,"json":{"code":40000,"msg":"no"}})");
    CSupportReporter reporter(kClientSerial);
    reporter.SetTicket(u"t", u"c", u"a@b");
    EXPECT_FALSE(reporter.SendFiles(""));
    EXPECT_NE(LogText().find("[ERROR] report support failed! code=[40000]."), std::string::npos);
}

}  // namespace
