#include "analytics/curl_batch_sender.h"

#include <curl/curl.h>

#include "downloader/curl_global.h"
#include "system/deployment_profile.h"

namespace analytics {
namespace {

constexpr char kUserAgent[] = "IXO Analytics CPP SDK 0.8";
constexpr long kRequestTimeoutSeconds = 3;

size_t AppendBody(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

}  // namespace

CCurlBatchSender::CCurlBatchSender() {
    ns_IXD::EnsureCurlInitialised();
}

IBatchSender::Response CCurlBatchSender::Post(const std::string& url, const std::string& body) {
    Response response;
    CURL* handle = curl_easy_init();
    if (!handle) {
        response.body = "curl_easy_init failed";
        return response;
    }
    // libcurl would announce a large body with "Expect: 100-continue"; the collector gets no extra header.
    curl_slist* headers = curl_slist_append(nullptr, "Expect:");
    char error_text[CURL_ERROR_SIZE] = {};
    std::string received;

    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_POST, 1L);
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, kRequestTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    const std::string& authorities = GetDeploymentProfile().ca_bundle;
    if (!authorities.empty()) curl_easy_setopt(handle, CURLOPT_CAINFO, authorities.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &received);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error_text);

    CURLcode result = curl_easy_perform(handle);
    if (result == CURLE_OK) {
        long status = 0;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
        response.status = status;
        response.body = std::move(received);
    } else {
        response.status = -1;
        response.body = error_text[0] ? error_text : curl_easy_strerror(result);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(handle);
    return response;
}

}  // namespace analytics
