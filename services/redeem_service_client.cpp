#include "services/redeem_service_client.h"

#include "downloader/http_request.h"
#include "formats/json_value.h"
#include "formats/utf_conversion.h"
#include "services/platform_api_client.h"
#include "system/simple_log.h"

namespace {

constexpr char kRecoveryPath[] = "/v1/product/downloader/recovery";
constexpr char kDefaultProductVersion[] = "4.0.5.0";

std::string Request(int method, const std::string& url, const std::vector<std::string>& headers,
                    const std::string& body) {
    int error = 0;
    return ns_IXD::HttpRequest(method, Utf8ToUtf16(url), headers, true, false, body, error);
}

}  // namespace

RedeemServiceClient::RedeemServiceClient() : app_key_(kPlatformAppKey), language_(kPlatformLanguage) {}

void RedeemServiceClient::BuildCommonHeaders(std::vector<std::string>& headers) {
    if (product_version_.empty()) product_version_ = kDefaultProductVersion;
    headers.push_back("X-Client-Sn: " + client_serial_);
    headers.push_back("X-Client-Type: 1");
    headers.push_back("X-App-Key: " + app_key_);
    headers.push_back("X-Prod-Id: " + std::to_string(product_id_));
    headers.push_back("X-Lang: " + language_);
    headers.push_back("X-Prod-Ver: " + product_version_);
    WriteLog(kLogInfo, "[INFO] x-lang=[%s]", language_.c_str());
}

std::string RedeemServiceClient::FetchToken() {
    std::vector<std::string> headers = {"Content-Type: application/json"};
    BuildCommonHeaders(headers);
    const std::string reply = Request(ns_IXD::kHttpPost, PlatformApiPrimaryBase() + kPlatformTokenPath,
                                      headers, TokenRequestBody());
    return AccessTokenOf(reply);
}

bool RedeemServiceClient::QueryOffer(int32_t product_id, const std::string& product_version,
                                     const std::string& client_serial, const std::string& version) {
    product_id_ = product_id;
    product_version_ = product_version;
    client_serial_ = client_serial;
    version_ = version;

    const std::string url = PlatformApiPrimaryBase() + kRecoveryPath + "?version=" + version_;
    std::vector<std::string> headers = {"Authorization: Bearer " + FetchToken()};
    BuildCommonHeaders(headers);
    WriteLog(kLogInfo, "[INFO] query redeem request = %s", url.c_str());
    const std::string reply = Request(ns_IXD::kHttpGet, url, headers, {});
    WriteLog(kLogInfo, "[INFO] query redeem response = %s", reply.c_str());

    jsonw::CJsonValue parsed(reply);
    int32_t code = -1;
    parsed.Get("code", code);
    if (code != 0) {
        WriteLog(kLogError, "[ERROR] query retention strategy failed! err=[%d].", code);
        return false;
    }
    // Only an object is an offer: a reply without "data", or with another kind there, has none.
    jsonw::CJsonValue& data = parsed["data"];
    if (parsed.IsNull("data") || data.ToString().empty() || data.ToString().front() != '{') return false;
    data.Get("id", offer_id_);
    data.Get("type", offer_type_);
    if (!data.IsNull("tips")) {
        jsonw::CJsonValue& tips = data["tips"];
        tips.Get("title", offer_title_);
        tips.Get("content", offer_content_);
    }
    return true;
}

int RedeemServiceClient::ApplyOffer(const std::string& email) {
    const std::string url =
        PlatformApiPrimaryBase() + kRecoveryPath + "/" + std::to_string(offer_id_) + "/apply";
    std::vector<std::string> headers = {"Authorization: Bearer " + FetchToken(),
                                        "Content-Type: application/json"};
    BuildCommonHeaders(headers);
    jsonw::CJsonValue body;
    body.Add("email", email);
    jsonw::CJsonValue reply(Request(ns_IXD::kHttpPost, url, headers, body.ToString()));
    int32_t code = -1;
    reply.Get("code", code);
    if (code != 0) {
        std::string message;
        reply.Get("msg", message);
        WriteLog(kLogError, "[ERROR] apply auth failed! err=[%d][%s].", code, message.c_str());
    } else {
        WriteLog(kLogInfo, "[INFO] apply auth success.");
    }
    return code;
}
