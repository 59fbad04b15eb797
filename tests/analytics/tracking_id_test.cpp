#include "analytics/tracking_id.h"

#include <gtest/gtest.h>

#include "tests/support/log_capture.h"
#include "tests/support/test_http_server.h"

namespace {

using test_support::TestHttpServer;
using test_support::TestRequest;
using test_support::TestResponse;

bool IsLocalId(const std::string& id) {
    return id.size() == 32 && id.find_first_not_of("0123456789abcdef") == std::string::npos;
}

TEST(TrackingIdTest, ReplyGivesTheIdOnlyAfterCodeZero) {
    struct Case {
        std::string reply;
        std::string id;
    } cases[] = {
        {R"({"code":0,"msg":"success","data":"abc"})", "abc"},
        {R"({"code":0,"data":"with space"})", "with space"},
        {R"({"code":1,"msg":"missing pid","data":"abc"})", ""},
        {R"({"data":"abc","code":0})", ""},
        {R"({"code":0,"data":null})", ""},
        {R"({"code":0,"data":"unterminated)", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(analytics::ParseTrackingIdReply(c.reply), c.id) << c.reply;
}

TEST(TrackingIdTest, ServiceIdIsKeptAndAnythingElseGivesALocalId) {
    test_support::LogCapture log;
    struct Case {
        const char* name;
        int status;
        std::string body;
        std::string id;  // empty: a local id
    } cases[] = {
        {"code 0 with data abc", 200, R"({"code":0,"msg":"success","data":"abc"})", "abc"},
        {"code 1", 200, R"({"code":1,"msg":"missing pid","data":null})", ""},
        {"empty reply", 500, "", ""},
        {"empty id", 200, R"({"code":0,"data":""})", ""},
    };
    for (const auto& c : cases) {
        TestHttpServer server;
        server.On("GET", "/api/v1/prodweb/trk", [&c](const TestRequest&) {
            TestResponse response;
            response.status = c.status;
            response.body = c.body;
            response.content_type = "application/json";
            return response;
        });
        ASSERT_TRUE(server.Start());
        test_support::LogCapture lines;
        std::string id = analytics::GetTrackingIdFrom(server.BaseUrl(), "1234");
        if (c.id.empty()) {
            EXPECT_TRUE(IsLocalId(id)) << c.name << ": " << id;
            EXPECT_NE(lines.NewText().find("[INFO] generate local tid: pid=[1234], timestamp=["),
                      std::string::npos)
                << c.name;
        } else {
            EXPECT_EQ(id, c.id) << c.name;
        }
        EXPECT_EQ(analytics::CurrentTrackingId(), id) << c.name;
        ASSERT_EQ(server.Requests().size(), 1u) << c.name;
        EXPECT_EQ(server.Requests()[0].body, "") << c.name;
        EXPECT_NE(lines.NewText().find("[INFO] get tid: " + server.BaseUrl() +
                                       "/api/v1/prodweb/trk?pid=1234&os=Linux"),
                  std::string::npos)
            << c.name;
        EXPECT_NE(lines.NewText().find("[INFO] response tid: " + c.body), std::string::npos) << c.name;
    }
}

TEST(TrackingIdTest, UnreachableServiceGivesADifferentLocalIdEachRun) {
    std::string closed;
    {
        TestHttpServer gone;
        ASSERT_TRUE(gone.Start());
        closed = gone.BaseUrl();
    }
    std::string first = analytics::GetTrackingIdFrom(closed, "1234");
    std::string second = analytics::GetTrackingIdFrom(closed, "1234");
    EXPECT_TRUE(IsLocalId(first));
    EXPECT_TRUE(IsLocalId(second));
    EXPECT_NE(first, second);
}

}  // namespace
