#include "services/platform_api_client.h"

#include <algorithm>

#include "tests/services/service_test.h"
#include "tests/support/test_http_server.h"

namespace {

constexpr char kTokenPath[] = "/v3/user/client/token";

class PlatformApiClientTest : public ServiceTest {};

std::vector<std::string> Sorted(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST_F(PlatformApiClientTest, TokenRequestCarriesTheIdentityInTheFixedOrderAndBody) {
    EXPECT_EQ(TokenRequestHeaders("14424", "{sn-1G}", "1.2.3.4"),
              (std::vector<std::string>{"X-Client-Type: 1", "Content-Type: application/json",
                                        "X-App-Key: a41f0c93e7b25d80c6f3912b.test", "X-Client-Sn: {sn-1G}",
                                        "X-Prod-Id: 14424", "X-Prod-Ver: 1.2.3.4"}));
    EXPECT_EQ(TokenRequestBody(),
              R"({"grant_type":"client_credentials","app_secret":"Hx7Ra2LmWq9Ec4Tn8Ub3Vs6Kd1Jg5Yf0Zp"})");

    const std::string token = GetAccessToken("14424", "{sn-1G}", "1.2.3.4");
    EXPECT_EQ(token.rfind("simtoken-", 0), 0u) << token;
    std::vector<makersim::SimRequest> sent = sim_->Requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].service, "api");
    EXPECT_EQ(sent[0].path, kTokenPath);
    EXPECT_EQ(sent[0].scheme, Scheme());
    EXPECT_EQ(sent[0].body, TokenRequestBody());
    EXPECT_EQ(Sorted(SentHeaders(sent[0])), Sorted(TokenRequestHeaders("14424", "{sn-1G}", "1.2.3.4")));
}

TEST_F(PlatformApiClientTest, TokenRequestIsRepeatedAtTheAlternateAddressWhenThePrimaryFails) {
    struct Case {
        const char* what;
        std::string primary_rule;
    };
    const Case cases[] = {
        {"empty reply", R"({"body":""})"},
        {"code 401", R"({"status":401,"json":{"code":401,"msg":"unauthorized","data":null}})"},
        {"dropped connection", R"({"drop":true})"},
        {"not JSON", R"({"status":503,"body":"<html>busy</html>"})"},
        {"a slow refusal", R"({"delay_ms":50,"json":{"code":500,"msg":"later"}})"},
    };
    for (const Case& c : cases) {
        sim_->Sim().Reset();
        test_support::LogCapture log;
        sim_->Script(R"({"service":"api","path":"/v3/user/client/token",)" + c.primary_rule.substr(1));

        const std::string token = GetAccessToken("14424", "{sn}", "1.0.0.1");
        EXPECT_EQ(token.rfind("simtoken-", 0), 0u) << c.what << ": " << token;
        std::vector<makersim::SimRequest> sent = sim_->Requests();
        ASSERT_EQ(sent.size(), 2u) << c.what;
        EXPECT_EQ(sent[0].service, "api") << c.what;
        EXPECT_EQ(sent[1].service, "api-alt") << c.what;
        EXPECT_EQ(sent[1].path, kTokenPath) << c.what;
        EXPECT_EQ(sent[1].body, sent[0].body) << c.what;
        EXPECT_EQ(SentHeaders(sent[1]), SentHeaders(sent[0])) << c.what;
        // The token fetch switches without a word.
        EXPECT_EQ(log.NewText().find("switch host domain"), std::string::npos) << c.what;
    }
}

TEST_F(PlatformApiClientTest, TokenIsEmptyWhenBothAddressesRefuseOrTheDataIsNull) {
    sim_->Script(R"([{"service":"api","path":"/v3/user/client/token","json":{"code":401,"msg":"a"}},
                     {"service":"api-alt","path":"/v3/user/client/token","json":{"code":402,"msg":"b"}}])");
    EXPECT_EQ(GetAccessToken("14424", "{sn}", "1.0.0.1"), "");
    EXPECT_EQ(sim_->Requests().size(), 2u);
    EXPECT_NE(LogText().find(R"([ERROR] get token failed! result=[{"code":402,"msg":"b"}].)"),
              std::string::npos);

    sim_->Sim().Reset();
    test_support::LogCapture log;
    sim_->Script(R"({"service":"api","path":"/v3/user/client/token","json":{"code":0,"data":null}})");
    EXPECT_EQ(GetAccessToken("14424", "{sn}", "1.0.0.1"), "");
    EXPECT_EQ(sim_->Requests().size(), 1u);
    EXPECT_EQ(log.NewText().find("get token failed"), std::string::npos);
}

TEST_F(PlatformApiClientTest, ReportersFormLogsTheSwitchAndReturnsTheAlternateReplyUnchanged) {
    sim_->Script(R"([{"service":"api","path":"/v1/x","json":{"code":7}},
                     {"service":"api-alt","path":"/v1/x","status":502,"body":"bad gateway"}])");
    EXPECT_EQ(PostWithFailover("/v1/x", {"Content-Type: application/json"}, "{}", SwitchNotice::kWarn),
              "bad gateway");
    EXPECT_NE(LogText().find("[WARN] switch host domain."), std::string::npos);
    // No third attempt and no memory of the switch: the next call starts at the primary again.
    EXPECT_EQ(sim_->Requests().size(), 2u);
    PostWithFailover("/v1/x", {}, "{}", SwitchNotice::kWarn);
    EXPECT_EQ(sim_->Requests()[2].service, "api");
}

TEST_F(PlatformApiClientTest, UnreachablePrimaryCostsOneRequestAtTheAlternate) {
    // The port of a listener that has been closed: nothing answers there.
    test_support::TestHttpServer closed;
    ASSERT_TRUE(closed.Start());
    const std::string dead = closed.BaseUrl();
    closed.Stop();
    SetPlatformApiBasesForTesting(dead, Url("api-alt"));
    EXPECT_FALSE(GetAccessToken("14424", "{sn}", "1.0.0.1").empty());
    std::vector<makersim::SimRequest> sent = sim_->Requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].service, "api-alt");
}

TEST_F(PlatformApiClientTest, PrimaryWithACertificateThatIsNotTrustedIsNeverTalkedTo) {
    if (!test_support::BuildTrustsTestCa()) GTEST_SKIP() << "this build's profile does not trust the test CA";
    for (test_support::TestTls tls : {test_support::TestTls::kUntrusted, test_support::TestTls::kOtherHost}) {
        sim_->Sim().Reset();
        test_support::TestHttpServer impostor(tls);
        impostor.On("POST", kTokenPath, [](const test_support::TestRequest&) {
            test_support::TestResponse response;
            response.content_type = "application/json";
            response.body = R"({"code":0,"data":{"access_token":"stolen"}})";
            return response;
        });
        ASSERT_TRUE(impostor.Start());
        SetPlatformApiBasesForTesting(impostor.BaseUrl(), Url("api-alt"));

        const std::string token = GetAccessToken("14424", "{sn}", "1.0.0.1");
        EXPECT_NE(token, "stolen");
        EXPECT_EQ(token.rfind("simtoken-", 0), 0u) << token;
        EXPECT_TRUE(impostor.Requests().empty());
        EXPECT_EQ(sim_->Requests("api-alt").size(), 1u);
    }
}

TEST_F(PlatformApiClientTest, ReplyCodeIsMinusOneUnlessTheReplyHasAnIntegerCode) {
    struct Case {
        std::string reply;
        int code;
    };
    const Case cases[] = {{R"({"code":0})", 0},    {R"({"Code":401,"msg":"x"})", 401},
                          {R"({"code":"0"})", -1}, {"", -1},
                          {"<html>", -1},          {R"({"msg":"no code"})", -1}};
    for (const Case& c : cases) EXPECT_EQ(ReplyCode(c.reply), c.code) << c.reply;
}

}  // namespace
