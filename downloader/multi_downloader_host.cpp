// CMultiDownloader, part two: the host's addresses and the file's size before the first attempt.
#include <curl/curl.h>

#include <chrono>
#include <thread>

#include "downloader/host_ip_manager.h"
#include "downloader/multi_downloader.h"
#include "downloader/url_parts.h"
#include "system/simple_log.h"

namespace ns_IXD {

namespace {

constexpr int kSizeQueryTries = 10;

size_t DiscardBody(char*, size_t, size_t, void*) {
    return 0;
}

}  // namespace

std::string CMultiDownloader::PickAddress() {
    if (addresses_.empty()) return std::string();
    auto least = addresses_.begin();
    for (auto it = addresses_.begin(); it != addresses_.end(); ++it) {
        if (it->second < least->second) least = it;
    }
    ++least->second;
    return least->first;
}

bool CMultiDownloader::PrepareHost(bool flush_first) {
    HostIpManager& manager = HostIpManager::Instance();
    bool known = manager.HasHost(url_);
    if (known && flush_first) {
        manager.FlushAll();
        Raise(kEventDnsCacheCleared, result_.load());
        known = false;
    }
    UrlParts parts;
    SplitUrl(url_, parts);
    bool ok = true;
    if (!known) {
        ok = manager.InitHost(url_);
        if (ok) {
            int64_t size = manager.GetSize(url_);
            if (size != 0) total_size_.store(size);
            std::string host, ips;
            if (manager.GetHostAndIps(url_, host, ips)) {
                RaiseText(kEventDnsResolved, host + ":" + ips);
            } else {
                WriteLog(kLogError, "[ERROR] multi, get dns info failed! url=[%s].", url_.c_str());
            }
        }
    }
    if (ok) {
        addresses_.clear();
        for (const std::string& ip : manager.GetIps(parts.authority)) addresses_[ip] = 0;
        if (!addresses_.empty()) return true;
    }
    WriteLog(kLogError, "[ERROR] multi, get dns info failed!");
    return false;
}

int64_t CMultiDownloader::QuerySize() {
    CURL* easy = curl_easy_init();
    if (!easy) {
        WriteLog(kLogError, "[ERROR] multi, curl_easy_init failed!");
        return 0;
    }
    curl_slist* resolve = nullptr;
    if (!addresses_.empty()) {
        for (const std::string& pin : ResolvePins(url_, PickAddress())) {
            resolve = curl_slist_append(resolve, pin.c_str());
        }
    }
    std::string ca_file = CRangeConnection::GetCertificateAuthorityFile();
    curl_easy_setopt(easy, CURLOPT_URL, url_.c_str());
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_RESOLVE, resolve);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!ca_file.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, ca_file.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 10L);
    // The GET tries stop at the first byte of the body: the headers already hold the length.
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &DiscardBody);
    int64_t size = 0;
    for (int attempt = 1; attempt <= kSizeQueryTries && size <= 0 && !IsCancelled(); ++attempt) {
        if (attempt == 6) curl_easy_setopt(easy, CURLOPT_NOBODY, 0L);
        CURLcode result = curl_easy_perform(easy);
        bool stopped_at_body = attempt >= 6 && result == CURLE_WRITE_ERROR;
        if (result != CURLE_OK && !stopped_at_body) {
            WriteLog(kLogError, "[ERROR] multi, curl_easy_perform failed! error=[%d][%s].", int(result),
                     curl_easy_strerror(result));
        } else {
            long status = 0;
            curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
            curl_off_t length = -1;
            CURLcode info = curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
            if (info != CURLE_OK) {
                WriteLog(kLogError, "[ERROR] multi, curl_easy_getinfo failed! error=[%d][%s].", int(info),
                         curl_easy_strerror(info));
            } else if (status >= 200 && status <= 299) {
                size = length;
            }
        }
        if (size <= 0) std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    curl_easy_cleanup(easy);
    curl_slist_free_all(resolve);
    return size > 0 ? size : 0;
}

}  // namespace ns_IXD
