#include "services/redeem_service_client.h"

#include "tests/services/service_test.h"

namespace {

constexpr char kClientSerial[] = "{5b1e-test-serialG}";
constexpr char kRecovery[] = "/v1/product/downloader/recovery";

class RedeemServiceClientTest : public ServiceTest {
protected:
    // Every header line that BuildCommonHeaders adds, in its order.
    static std::vector<std::string> CommonHeaders(const std::string& version) {
        return {std::string("X-Client-Sn: ") + kClientSerial,
                "X-Client-Type: 1",
                "X-App-Key: a41f0c93e7b25d80c6f3912b.test",
                "X-Prod-Id: 2001",
                "X-Lang: en-us",
                "X-Prod-Ver: " + version};
    }
    static void ExpectCommonHeaders(const makersim::SimRequest& request, const std::string& version) {
        for (const std::string& line : CommonHeaders(version)) {
            const std::size_t colon = line.find(": ");
            EXPECT_EQ(request.Header(line.substr(0, colon)), line.substr(colon + 2))
                << request.path << " " << line;
        }
    }

    RedeemServiceClient client_;
};

TEST_F(RedeemServiceClientTest, QueryFetchesAPrimaryOnlyTokenAndStoresTheOffer) {
    ASSERT_TRUE(
        sim_->Sim().SetOffer(R"({"id":123,"type":1,"tips":{"title":"Free month","content":"Enter mail"}})"));
    ASSERT_TRUE(client_.QueryOffer(2001, "5.1.0.3", kClientSerial, "1.0.2"));
    EXPECT_EQ(client_.GetOfferId(), 123);
    EXPECT_EQ(client_.GetOfferType(), 1);
    EXPECT_EQ(client_.GetOfferTitle(), "Free month");
    EXPECT_EQ(client_.GetOfferContent(), "Enter mail");

    std::vector<makersim::SimRequest> sent = sim_->Requests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].path, "/v3/user/client/token");
    EXPECT_EQ(sent[0].body, TokenRequestBody());
    EXPECT_EQ(sent[0].Header("Content-Type"), "application/json");
    ExpectCommonHeaders(sent[0], "5.1.0.3");
    EXPECT_EQ(sent[1].method, "GET");
    EXPECT_EQ(sent[1].path, kRecovery);
    EXPECT_EQ(sent[1].query, "version=1.0.2");
    EXPECT_EQ(sent[1].Header("Authorization").rfind("Bearer simtoken-", 0), 0u);
    ExpectCommonHeaders(sent[1], "5.1.0.3");

    const std::string log = LogText();
    EXPECT_NE(log.find("[INFO] query redeem request = " + Url("api") + kRecovery + "?version=1.0.2"),
              std::string::npos);
    EXPECT_NE(log.find("[INFO] query redeem response = {\"code\":0"), std::string::npos);
    EXPECT_NE(log.find("[INFO] x-lang=[en-us]"), std::string::npos);
}

TEST_F(RedeemServiceClientTest, NoOfferLeavesTheFieldsAsTheyWere) {
    ASSERT_TRUE(sim_->Sim().SetOffer(R"({"id":123,"type":1,"tips":{"title":"T","content":"C"}})"));
    ASSERT_TRUE(client_.QueryOffer(2001, "5.1.0.3", kClientSerial, "1.0.2"));

    struct Case {
        std::string reply;
        bool offered;
        int32_t type;
    };
    const Case cases[] = {
        {R"({"code":0,"msg":"ok","data":null})", false, 1},
        // An offer without texts keeps the texts of the last one.
        {R"({"code":0,"data":{"id":124,"type":2}})", true, 2},
        // A reply without "data", or with something else than an object there, is no offer.
        {R"({"code":0})", false, 2},
        {R"({"code":0,"data":"none"})", false, 2},
    };
    for (const Case& c : cases) {
        test_support::LogCapture log;
        sim_->Script(R"({"path":"/v1/product/downloader/recovery","body":)" + nlohmann::json(c.reply).dump() +
                     "}");
        EXPECT_EQ(client_.QueryOffer(2001, "5.1.0.3", kClientSerial, "1.0.2"), c.offered) << c.reply;
        EXPECT_EQ(client_.GetOfferType(), c.type) << c.reply;
        EXPECT_EQ(client_.GetOfferTitle(), "T");
        EXPECT_EQ(client_.GetOfferContent(), "C");
        EXPECT_EQ(log.NewText().find("[ERROR]"), std::string::npos) << c.reply;
    }
    EXPECT_EQ(client_.GetOfferId(), 124);
}

TEST_F(RedeemServiceClientTest, RefusedQueryIsLoggedAndNeverTriesTheAlternate) {
    sim_->Script(R"({"path":"/v1/product/downloader/recovery","json":{"code":5,"msg":"no"}})");
    EXPECT_FALSE(client_.QueryOffer(2001, "5.1.0.3", kClientSerial, "1.0.2"));
    EXPECT_NE(LogText().find("[ERROR] query retention strategy failed! err=[5]."), std::string::npos);

    // A token refusal is not repeated elsewhere either: the query goes out with an empty bearer token.
    sim_->Sim().Reset();
    sim_->Script(R"({"path":"/v3/user/client/token","json":{"code":401}})");
    EXPECT_FALSE(client_.QueryOffer(2001, "5.1.0.3", kClientSerial, "1.0.2"));
    EXPECT_TRUE(sim_->Requests("api-alt").empty());
    EXPECT_EQ(sim_->Requests("api", kRecovery).at(0).Header("Authorization"), "Bearer");
    EXPECT_NE(LogText().find("[ERROR] query retention strategy failed! err=[401]."), std::string::npos);
}

TEST_F(RedeemServiceClientTest, ApplyPostsTheEmailToTheQueriedOffer) {
    ASSERT_TRUE(sim_->Sim().SetOffer(R"({"id":123,"type":1})"));
    ASSERT_TRUE(client_.QueryOffer(2001, "", kClientSerial, "1.0.2"));
    EXPECT_EQ(client_.ApplyOffer("jo@example.org"), 0);
    std::vector<makersim::SimRequest> applied =
        sim_->Requests("api", "/v1/product/downloader/recovery/123/apply");
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].method, "POST");
    EXPECT_EQ(applied[0].body, R"({"email":"jo@example.org"})");
    EXPECT_EQ(applied[0].Header("Content-Type"), "application/json");
    // The empty product version became the fixed one for good.
    ExpectCommonHeaders(applied[0], "4.0.5.0");
    EXPECT_NE(LogText().find("[INFO] apply auth success."), std::string::npos);

    EXPECT_EQ(client_.ApplyOffer("not-an-address"), 40002);
    EXPECT_NE(LogText().find("[ERROR] apply auth failed! err=[40002][invalid e-mail address]."),
              std::string::npos);

    sim_->Script(R"({"path":"/v1/product/downloader/recovery/*","drop":true})");
    EXPECT_EQ(client_.ApplyOffer("jo@example.org"), -1);
    EXPECT_TRUE(sim_->Requests("api-alt").empty());
}

TEST_F(RedeemServiceClientTest, CommonHeadersReplaceAnEmptyVersion) {
    std::vector<std::string> headers = {"Authorization: Bearer t"};
    client_.BuildCommonHeaders(headers);
    EXPECT_EQ(headers,
              (std::vector<std::string>{"Authorization: Bearer t", "X-Client-Sn: ", "X-Client-Type: 1",
                                        "X-App-Key: a41f0c93e7b25d80c6f3912b.test", "X-Prod-Id: 0",
                                        "X-Lang: en-us", "X-Prod-Ver: 4.0.5.0"}));
}

}  // namespace
