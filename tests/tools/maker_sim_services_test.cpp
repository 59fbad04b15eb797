// The parts of maker-sim that decide what it answers and what it records, without the network.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <thread>

#include "tools/maker-sim/analytics_collector_service.h"
#include "tools/maker-sim/platform_api_service.h"
#include "tools/maker-sim/reply_script.h"
#include "tools/maker-sim/request_log.h"

namespace makersim {
namespace {

SimRequest MakeRequest(const std::string& service, const std::string& method, const std::string& path,
                       const std::string& body = {}) {
    SimRequest request;
    request.service = service;
    request.scheme = "http";
    request.method = method;
    request.path = path;
    request.body = body;
    return request;
}

TEST(ReplyScriptTest, RulesAnswerInOrderUntilUsedUp) {
    ReplyScript script;
    std::string error;
    ASSERT_TRUE(script.Add(R"([{"service":"api","path":"/v3/*","times":2,"status":500,"body":"down"},
                              {"path":"/v3/user/client/token","delay_ms":5},
                              {"service":"stats","times":0,"json":{"code":1}}])",
                           error))
        << error;
    const SimRequest token = MakeRequest("api", "POST", "/v3/user/client/token");

    for (int i = 0; i < 2; ++i) {
        std::optional<ScriptRule> rule = script.Take(token);
        ASSERT_TRUE(rule);
        EXPECT_TRUE(rule->replaces_reply);
        EXPECT_EQ(rule->reply.status, 500);
        EXPECT_EQ(rule->reply.body, "down");
        EXPECT_EQ(rule->reply.content_type, "text/plain");
    }
    // The first rule is used up; the second only delays and leaves the reply to the service.
    std::optional<ScriptRule> delay = script.Take(token);
    ASSERT_TRUE(delay);
    EXPECT_FALSE(delay->replaces_reply);
    EXPECT_EQ(delay->reply.delay_ms, 5);
    EXPECT_FALSE(script.Take(token));
    EXPECT_FALSE(script.Take(MakeRequest("api-alt", "POST", "/v1/product/series")));

    // A rule without end keeps answering.
    for (int i = 0; i < 3; ++i) {
        std::optional<ScriptRule> stats =
            script.Take(MakeRequest("stats", "POST", "/rest/v2/downloader/track"));
        ASSERT_TRUE(stats);
        EXPECT_EQ(stats->reply.body, "{\"code\":1}");
        EXPECT_EQ(stats->reply.content_type, "application/json");
    }
}

TEST(ReplyScriptTest, RefusesMalformedRulesWhole) {
    ReplyScript script;
    const char* bad[] = {"not json",
                         "[1]",
                         R"({"status":"500"})",
                         R"({"times":-1})",
                         R"({"headers":{"X":1}})",
                         R"([{"path":"/a"},{"drop":"yes"}])"};
    for (const char* text : bad) {
        std::string error;
        EXPECT_FALSE(script.Add(text, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
    // Nothing of a refused array was kept.
    EXPECT_FALSE(script.Take(MakeRequest("api", "GET", "/a")));
}

TEST(RequestLogTest, NumbersFiltersAndWritesEveryRequest) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("maker-sim-log-" + std::to_string(std::random_device{}()) + ".jsonl"))
                                 .string();
    std::filesystem::remove(path);
    {
        RequestLog log(path);
        ASSERT_TRUE(log.IsFileOk());
        SimRequest upload = MakeRequest("api", "POST", "/v1/product/downloader/upload-log-file");
        upload.headers = {{"Authorization", "Bearer t"}};
        upload.files.push_back({"file", "kxIXO.log", "text/plain", "line\n"});
        EXPECT_EQ(log.Append(upload), 1u);
        EXPECT_EQ(log.Append(MakeRequest("api-alt", "POST", "/v1/product/logs/report", "{\"a\":\"\xFF\"}")),
                  2u);
        EXPECT_EQ(log.Append(MakeRequest("stats", "POST", "/rest/v2/downloader/track")), 3u);

        EXPECT_EQ(log.Select({"", "", "/v1/product/*"}).size(), 2u);
        EXPECT_EQ(log.Select({"api-alt", "", ""}).size(), 1u);
        EXPECT_EQ(log.Select({"", "GET", ""}).size(), 0u);
        RequestFilter after_first;
        after_first.after_seq = 1;
        EXPECT_EQ(log.Select(after_first).size(), 2u);
        EXPECT_EQ(log.Select({}).front().Header("authorization"), "Bearer t");
    }
    std::ifstream file(path);
    std::string first;
    std::string second;
    ASSERT_TRUE(std::getline(file, first));
    ASSERT_TRUE(std::getline(file, second));
    EXPECT_NE(
        first.find(R"("files":[{"content":"line\n","content_type":"text/plain","filename":"kxIXO.log")"),
        std::string::npos)
        << first;
    // A body that is not UTF-8 still gives a readable line.
    EXPECT_NE(second.find("\"body\":\"{\\\"a\\\":\\\"\xEF\xBF\xBD\\\"}\""), std::string::npos) << second;
    std::filesystem::remove(path);
}

TEST(RequestLogTest, WaitForReturnsWhenTheRequestArrives) {
    RequestLog log;
    std::thread producer([&log] { log.Append(MakeRequest("collector", "POST", "/collect")); });
    std::vector<SimRequest> found = log.WaitFor({"collector", "", ""}, 1, std::chrono::seconds(30));
    producer.join();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, "/collect");
    // Not enough matches: the wait ends at its limit with what there is.
    EXPECT_EQ(log.WaitFor({"collector", "", ""}, 2, std::chrono::milliseconds(1)).size(), 1u);
}

class PlatformApiServiceTest : public ::testing::Test {
protected:
    std::string IssueToken(const std::string& service) {
        SimRequest request = MakeRequest(service, "POST", "/v3/user/client/token",
                                         std::string(R"({"grant_type":"client_credentials","app_secret":")") +
                                             PlatformApiService::kAppSecret + "\"}");
        request.headers = {{"X-App-Key", PlatformApiService::kAppKey}};
        nlohmann::json reply = nlohmann::json::parse(api_.Handle(request).body);
        return reply["data"]["access_token"].get<std::string>();
    }
    SimReply Call(const std::string& service, const std::string& method, const std::string& path,
                  const std::string& body, const std::string& token) {
        SimRequest request = MakeRequest(service, method, path, body);
        request.headers = {{"Authorization", "Bearer " + token}};
        return api_.Handle(request);
    }

    PlatformApiService api_;
};

TEST_F(PlatformApiServiceTest, TokensComeFromTheClientCredentialsAndServeBothAddresses) {
    SimRequest wrong_secret = MakeRequest("api", "POST", "/v3/user/client/token",
                                          R"({"grant_type":"client_credentials","app_secret":"x"})");
    wrong_secret.headers = {{"X-App-Key", PlatformApiService::kAppKey}};
    EXPECT_EQ(api_.Handle(wrong_secret).body, R"({"code":40101,"msg":"unknown client","data":null})");

    const std::string token = IssueToken("api");
    ASSERT_FALSE(token.empty());
    const std::string series = R"({"product_id":14424, "client_sign":"{abc}"})";
    EXPECT_EQ(Call("api-alt", "POST", "/v1/product/series", series, token).body,
              R"({"code":0,"msg":"success","data":null})");
    SimReply refused = Call("api", "POST", "/v1/product/series", series, "");
    EXPECT_EQ(refused.status, 401);
    EXPECT_EQ(refused.body, R"({"code":401,"msg":"invalid or missing access token","data":null})");
}

TEST_F(PlatformApiServiceTest, TicketsNeedTheContactUnderItsTypeAndOffersAreAppliedById) {
    const std::string token = IssueToken("api");
    const std::string ticket =
        R"({"title":"t","contents":"c","contact_type":"email","mobile":"123","product_id":1,)"
        R"("product_version":"1.0","ticket_form_id":10310875932697,"attachment":[]})";
    EXPECT_EQ(Call("api", "POST", "/v1/support/tickets", ticket, token).status, 400);

    ASSERT_TRUE(api_.SetOffer(R"({"id":77,"type":2})"));
    SimRequest query = MakeRequest("api", "GET", "/v1/product/downloader/recovery");
    query.headers = {{"Authorization", "Bearer " + token}};
    query.query = "version=1.0.2";
    EXPECT_EQ(api_.Handle(query).body, R"({"code":0,"msg":"success","data":{"id":77,"type":2}})");
    EXPECT_EQ(
        Call("api", "POST", "/v1/product/downloader/recovery/76/apply", R"({"email":"a@b"})", token).status,
        404);
    EXPECT_EQ(
        Call("api", "POST", "/v1/product/downloader/recovery/77/apply", R"({"email":"ab"})", token).body,
        R"({"code":40002,"msg":"invalid e-mail address","data":null})");
    EXPECT_EQ(
        Call("api", "POST", "/v1/product/downloader/recovery/77/apply", R"({"email":"a@b"})", token).body,
        R"({"code":0,"msg":"success","data":null})");
}

std::string Gzip(const std::string& text) {
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, text.size()) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string Base64(const std::string& bytes) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
        out += alphabet[group >> 18];
        out += alphabet[(group >> 12) & 63];
        out += i + 1 < bytes.size() ? alphabet[(group >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? alphabet[group & 63] : '=';
    }
    return out;
}

std::string PercentEncode(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            out += escaped;
        }
    }
    return out;
}

TEST(AnalyticsCollectorServiceTest, UnpacksTheBatchAndRefusesWhatIsNotOne) {
    const std::string batch = R"([{"event":"downloader_pop","properties":{"pop_name":"install_init"}}])";
    AnalyticsCollectorService collector;

    SimRequest good = MakeRequest("collector", "POST", "/collect",
                                  "data_list=" + PercentEncode(Base64(Gzip(batch))) + "&gzip=1");
    AnalyticsCollectorService::Decode(good);
    EXPECT_EQ(good.decoded, batch);
    EXPECT_EQ(collector.Handle(good).status, 200);

    const std::string bad_bodies[] = {"data_list=%%%&gzip=1", "gzip=1",
                                      "data_list=" + PercentEncode(Base64("not gzip")) + "&gzip=1",
                                      "data_list=" + PercentEncode(Base64(Gzip("{}"))) + "&gzip=1"};
    for (const std::string& body : bad_bodies) {
        SimRequest bad = MakeRequest("collector", "POST", "/collect", body);
        AnalyticsCollectorService::Decode(bad);
        EXPECT_EQ(collector.Handle(bad).status, 400) << body;
    }
}

}  // namespace
}  // namespace makersim
