#include "services/platform_api_client.h"

#include <mutex>

#include "downloader/http_request.h"
#include "formats/json_value.h"
#include "formats/utf_conversion.h"
#include "system/deployment_profile.h"
#include "system/simple_log.h"

namespace {

std::mutex g_bases_lock;
std::string g_primary_for_testing;
std::string g_alternate_for_testing;

std::string Post(const std::string& url, const std::vector<std::string>& headers, const std::string& body) {
    int error = 0;
    return ns_IXD::HttpRequest(ns_IXD::kHttpPost, Utf8ToUtf16(url), headers, true, false, body, error);
}

std::string PostFile(const std::string& url, const std::vector<std::string>& headers,
                     const std::string& file_path) {
    int error = 0;
    return ns_IXD::HttpFormPost(url, headers, file_path, error);
}

template <typename Send>
std::string WithFailover(const std::string& path, SwitchNotice notice, Send send) {
    std::string reply = send(PlatformApiPrimaryBase() + path);
    if (ReplyCode(reply) == 0) return reply;
    if (notice == SwitchNotice::kWarn) WriteLog(kLogWarn, "[WARN] switch host domain.");
    return send(PlatformApiAlternateBase() + path);
}

}  // namespace

std::string PlatformApiPrimaryBase() {
    std::lock_guard<std::mutex> hold(g_bases_lock);
    return g_primary_for_testing.empty() ? GetDeploymentProfile().platform_api_base : g_primary_for_testing;
}

std::string PlatformApiAlternateBase() {
    std::lock_guard<std::mutex> hold(g_bases_lock);
    return g_alternate_for_testing.empty() ? GetDeploymentProfile().platform_api_alternate_base
                                           : g_alternate_for_testing;
}

void SetPlatformApiBasesForTesting(const std::string& primary, const std::string& alternate) {
    std::lock_guard<std::mutex> hold(g_bases_lock);
    g_primary_for_testing = primary;
    g_alternate_for_testing = alternate;
}

std::string PostWithFailover(const std::string& path, const std::vector<std::string>& headers,
                             const std::string& body, SwitchNotice notice) {
    return WithFailover(path, notice, [&](const std::string& url) { return Post(url, headers, body); });
}

std::string PostFileWithFailover(const std::string& path, const std::vector<std::string>& headers,
                                 const std::string& file_path) {
    return WithFailover(path, SwitchNotice::kWarn,
                        [&](const std::string& url) { return PostFile(url, headers, file_path); });
}

int ReplyCode(const std::string& reply) {
    jsonw::CJsonValue parsed(reply);
    int32_t code = -1;
    parsed.Get("code", code);
    return code;
}

std::vector<std::string> TokenRequestHeaders(const std::string& product_id, const std::string& client_serial,
                                             const std::string& version) {
    return {"X-Client-Type: 1",
            "Content-Type: application/json",
            std::string("X-App-Key: ") + kPlatformAppKey,
            "X-Client-Sn: " + client_serial,
            "X-Prod-Id: " + product_id,
            "X-Prod-Ver: " + version};
}

std::string TokenRequestBody() {
    return std::string(R"({"grant_type":"client_credentials","app_secret":")") + kPlatformAppSecret + "\"}";
}

std::string AccessTokenOf(const std::string& reply) {
    jsonw::CJsonValue parsed(reply);
    int32_t code = -1;
    parsed.Get("code", code);
    std::string token;
    if (code == 0) parsed["data"].Get("access_token", token);
    return token;
}

std::string GetAccessToken(const std::string& product_id, const std::string& client_serial,
                           const std::string& version) {
    const std::string reply =
        PostWithFailover(kPlatformTokenPath, TokenRequestHeaders(product_id, client_serial, version),
                         TokenRequestBody(), SwitchNotice::kSilent);
    if (ReplyCode(reply) != 0) {
        WriteLog(kLogError, "[ERROR] get token failed! result=[%s].", reply.c_str());
        return {};
    }
    return AccessTokenOf(reply);
}
