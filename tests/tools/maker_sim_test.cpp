// maker-sim over the wire: the program with its control endpoint, and the faults as a client sees them.
#include "tools/maker-sim/maker_sim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "downloader/http_request.h"
#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "system/sha256.h"
#include "tests/support/child_process.h"
#include "tests/support/log_capture.h"
#include "tests/support/maker_sim_client.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_ca.h"

namespace {

using ns_IXD::HttpRequest;
using ns_IXD::kHttpGet;
using ns_IXD::kHttpPost;

struct Answer {
    std::string body;
    int error = 0;
};

Answer Get(const std::string& url, const std::vector<std::string>& headers = {}) {
    Answer answer;
    answer.body = HttpRequest(kHttpGet, Utf8ToUtf16(url), headers, true, false, {}, answer.error);
    return answer;
}

Answer Post(const std::string& url, const std::string& body, const std::vector<std::string>& headers = {}) {
    Answer answer;
    answer.body = HttpRequest(kHttpPost, Utf8ToUtf16(url), headers, true, false, body, answer.error);
    return answer;
}

std::string Scheme() {
    return test_support::BuildTrustsTestCa() ? "https" : "http";
}

class MakerSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        log_ = std::make_unique<test_support::LogCapture>();
        ASSERT_TRUE(sim_.Started()) << sim_.Error();
    }
    void TearDown() override { ns_IXD::SetRequestTimeLimitsForTesting({}, {}); }

    std::unique_ptr<test_support::LogCapture> log_;
    test_support::MakerSimClient sim_;
};

TEST_F(MakerSimTest, ProgramServesItsServicesUntilAskedToStop) {
    test_support::TempFolder folder;
    const std::string ports_file = folder.Path() + "ports.json";
    const std::string record_file = folder.Path() + "requests.jsonl";
    test_support::ChildProcess program(
        {std::string(IXO_BINARY_DIR) + "/bin/maker-sim", "--cert", test_support::TestCaFile("server.pem"),
         "--key", test_support::TestCaFile("server.key"), "--ports-file", ports_file, "--record", record_file,
         "--doh", "downloads.test=10.1.2.3,10.1.2.4", "--offer", R"({"id":9,"type":3})"});
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(test_support::WaitUntil([&] { return platform::FileExists(ports_file); }))
        << program.Output();
    nlohmann::json ports = nlohmann::json::parse(platform::ReadFile(ports_file).value_or(""), nullptr, false);
    ASSERT_TRUE(ports.is_object()) << program.Output();
    auto base = [&](const std::string& service, const std::string& scheme) {
        return scheme + "://127.0.0.1:" + std::to_string(ports[service][scheme].get<int>());
    };
    const std::string control = base("control", "http");

    Answer tid = Get(base("trk", Scheme()) + "/api/v1/prodweb/trk?pid=2001&os=Windows");
    EXPECT_EQ(tid.error, 0);
    nlohmann::json reply = nlohmann::json::parse(tid.body, nullptr, false);
    EXPECT_EQ(reply["code"], 0) << tid.body;
    EXPECT_EQ(reply["data"].get<std::string>().size(), 32u) << tid.body;
    EXPECT_EQ(Get(base("doh-alt", Scheme()) + "/resolve?type=1&name=downloads.test").body,
              R"(["10.1.2.3","10.1.2.4"])");

    // Scripted through the control endpoint, then read back from it.
    EXPECT_EQ(
        Post(control + "/control/script", R"({"service":"stats","path":"/rest/*","status":500,"body":"no"})")
            .body,
        R"({"ok":true})");
    EXPECT_EQ(Post(base("stats", "http") + "/rest/v2/downloader/track?client_sign=", "{}").body, "no");
    EXPECT_NE(Post(base("stats", "http") + "/rest/v2/downloader/track?client_sign=", "{}").body, "no");
    nlohmann::json seen =
        nlohmann::json::parse(Get(control + "/control/requests?service=stats").body, nullptr, false);
    ASSERT_TRUE(seen.is_array());
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0]["path"], "/rest/v2/downloader/track");
    EXPECT_EQ(seen[0]["query"], "client_sign=");
    EXPECT_EQ(seen[0]["body"], "{}");
    nlohmann::json waited = nlohmann::json::parse(
        Get(control + "/control/wait?service=trk&count=1&timeout_ms=20000").body, nullptr, false);
    ASSERT_EQ(waited.size(), 1u);
    EXPECT_EQ(waited[0]["query"], "pid=2001&os=Windows");
    EXPECT_NE(Post(control + "/control/script", "[{\"times\":\"x\"}]").body.find("error"), std::string::npos);

    EXPECT_EQ(Post(control + "/control/shutdown", "").body, R"({"ok":true})");
    EXPECT_EQ(program.Wait(), std::optional<int>(0)) << program.Output();
    // Four service requests, one line each.
    std::string record = platform::ReadFile(record_file).value_or("");
    EXPECT_EQ(std::count(record.begin(), record.end(), '\n'), 4) << record;
}

TEST_F(MakerSimTest, ProgramRefusesWhatItCannotServe) {
    test_support::TempFolder folder;
    test_support::ChildProcess bad_certificate({std::string(IXO_BINARY_DIR) + "/bin/maker-sim", "--cert",
                                                folder.Path() + "none.pem", "--key",
                                                folder.Path() + "none.key"});
    EXPECT_EQ(bad_certificate.Wait(), std::optional<int>(1));
    EXPECT_NE(bad_certificate.Output().find("cannot load the certificate"), std::string::npos);
    test_support::ChildProcess bad_option(
        {std::string(IXO_BINARY_DIR) + "/bin/maker-sim", "--colour", "red"});
    EXPECT_EQ(bad_option.Wait(), std::optional<int>(2));
}

TEST_F(MakerSimTest, FaultsReachTheClientAsScripted) {
    const std::string api = sim_.Url("api", Scheme());
    sim_.Script(R"([{"path":"/a","drop":true,"drop_after":3,"body":"<html>long</html>"},
                    {"path":"/b","drop":true},
                    {"path":"/c","status":503,"content_type":"text/html","body":"<html>busy</html>",
                     "headers":{"Retry-After":"5"}},
                    {"path":"/d","delay_ms":1000,"json":{"code":0}}])");

    Answer cut = Post(api + "/a", "{}");
    EXPECT_EQ(cut.body, "<ht");
    EXPECT_NE(cut.error, 0);
    Answer dropped = Post(api + "/b", "{}");
    EXPECT_EQ(dropped.body.find("\"code\""), std::string::npos);
    EXPECT_NE(dropped.error, 0);
    Answer busy = Post(api + "/c", "{}");
    EXPECT_EQ(busy.body, "<html>busy</html>");
    EXPECT_EQ(busy.error, 0);
    // A client that gives up before the delayed reply sees a time-out.
    ns_IXD::SetRequestTimeLimitsForTesting(std::chrono::milliseconds(2000), std::chrono::milliseconds(100));
    Answer late = Post(api + "/d", "{}");
    EXPECT_EQ(late.body, "");
    EXPECT_EQ(late.error, 28);  // the transfer library's time-out
    // Each request was recorded on arrival, the late one included.
    EXPECT_EQ(sim_.Requests("api").size(), 4u);
}

TEST_F(MakerSimTest, ResolverAnswersSignedRequestsOnceAnAccountIsSet) {
    const std::string doh = sim_.Url("doh", Scheme());
    sim_.Sim().SetDohHost("cdn.test", {"192.0.2.7"});
    EXPECT_EQ(Get(doh + "/resolve?type=1&short=1&name=cdn.test").body, R"(["192.0.2.7"])");
    EXPECT_EQ(Get(doh + "/resolve?type=1&short=1&name=unknown.test").body, "[]");

    sim_.Sim().SetDohAccount("1234", "ak5", "s3cret");
    const std::string key = Sha256(std::string("1234") + "s3cret" + "1700000000" + "cdn.test" + "ak5");
    const std::string query = "/resolve?type=1&short=1&uid=1234&ak=ak5&name=cdn.test&ts=1700000000&key=";
    EXPECT_EQ(Get(doh + query + key).body, R"(["192.0.2.7"])");
    EXPECT_EQ(Get(doh + query + std::string(64, '0')).body, "[]");
    EXPECT_EQ(
        Get(doh + "/resolve?type=1&short=1&uid=1234&ak=ak5&name=cdn.test&ts=1700000001&key=" + key).body,
        "[]");
}

TEST_F(MakerSimTest, StatisticsHostServesTheRuntimeDocumentAndPages) {
    const std::string stats = sim_.Url("stats", Scheme());
    EXPECT_NE(Get(stats + "/rest/v2/downloader/runtime/?client_sign=&product_id=2001").body.find("<kxdoc>"),
              std::string::npos);
    sim_.Sim().SetRuntimeDocument(
        "<kxdoc><downloader><runtime><version>5.1.0.3</version></runtime></downloader></kxdoc>");
    EXPECT_EQ(Get(stats + "/rest/v2/downloader/runtime/?product_id=2001").body,
              "<kxdoc><downloader><runtime><version>5.1.0.3</version></runtime></downloader></kxdoc>");
    EXPECT_NE(Get(stats + "/pages/license.html").body.find("<h1>Licence agreement</h1>"), std::string::npos);
    sim_.Sim().SetPage("/pages/thanks.html", "<p>thanks</p>");
    EXPECT_EQ(Get(stats + "/pages/thanks.html").body, "<p>thanks</p>");
    EXPECT_EQ(Get(stats + "/pages/none.html").body, R"({"code":404,"msg":"no such endpoint","data":null})");
}

}  // namespace
