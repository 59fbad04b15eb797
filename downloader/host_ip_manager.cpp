#include "downloader/host_ip_manager.h"

#include <chrono>
#include <map>

#include "downloader/http_request.h"
#include "downloader/url_parts.h"
#include "formats/utf_conversion.h"
#include "platform/name_resolver.h"
#include "system/base64.h"
#include "system/deployment_profile.h"
#include "system/sha256.h"
#include "system/simple_log.h"

namespace ns_IXD {

namespace {

constexpr size_t kVoteQuorum = 10;

std::mutex g_hook_lock;
std::function<std::vector<uint32_t>(const std::string&)> g_resolver;
std::string g_http_dns_primary;
std::string g_http_dns_secondary;

std::vector<uint32_t> SystemResolve(const std::string& name) {
    std::function<std::vector<uint32_t>(const std::string&)> resolver;
    {
        std::lock_guard<std::mutex> hold(g_hook_lock);
        resolver = g_resolver;
    }
    return resolver ? resolver(name) : platform::ResolveIpv4(name);
}

std::string Trim(const std::string& text, const char* blanks) {
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

}  // namespace

// The account values are kept scrambled: base64 text with a run of filler inserted after its fourth
// character. Removing the filler and decoding gives the value.
std::string UnscrambleAccountValue(const std::string& scrambled) {
    constexpr size_t kFillerAt = 4;
    constexpr size_t kFillerLength = 3;
    if (scrambled.size() < kFillerAt + kFillerLength) return std::string();
    std::string base64 = scrambled.substr(0, kFillerAt) + scrambled.substr(kFillerAt + kFillerLength);
    return Base64Decode(base64);
}

HostIpManager& HostIpManager::Instance() {
    static HostIpManager manager;
    return manager;
}

void HostIpManager::SetResolverForTesting(std::function<std::vector<uint32_t>(const std::string&)> resolver) {
    std::lock_guard<std::mutex> hold(g_hook_lock);
    g_resolver = std::move(resolver);
}

bool HostIpManager::HasHost(const std::string& url) {
    UrlParts parts;
    if (!SplitUrl(url, parts)) return false;
    std::lock_guard<std::mutex> hold(lock_);
    auto found = hosts_.find(parts.authority);
    return found != hosts_.end() && !found->second.empty();
}

bool HostIpManager::InitHost(const std::string& url) {
    std::lock_guard<std::mutex> hold(lock_);
    if (url.empty()) {
        WriteLog(kLogError, "[ERROR] init host url is empty.");
        return false;
    }
    UrlParts parts;
    if (!SplitUrl(url, parts)) {
        WriteLog(kLogError, "[ERROR] parse url failed!");
        return false;
    }
    std::set<uint32_t>& addresses = hosts_[parts.authority];
    if (!addresses.empty()) return true;
    Resolve(parts.authority, parts.name);
    if (addresses.empty()) {
        WriteLog(kLogError, "[ERROR] query host failed!");
        return false;
    }

    // Every address is asked for the length with the connection pinned to it; the URL keeps the host name,
    // so the certificate is checked against the name.
    std::map<int64_t, std::set<uint32_t>> buckets;
    for (uint32_t address : addresses) {
        std::string text = platform::Ipv4ToText(address);
        WriteLog(kLogInfo, "[INFO] host ip=[%s]", text.c_str());
        int64_t length = ProbeContentLength(Utf8ToUtf16(url), text);
        if (length == 0) continue;
        std::set<uint32_t>& bucket = buckets[length];
        bucket.insert(address);
        if (bucket.size() >= kVoteQuorum) break;
    }
    int64_t winner = 0;
    const std::set<uint32_t>* winning = nullptr;
    for (const auto& [length, bucket] : buckets) {
        if (!winning || bucket.size() > winning->size()) {
            winner = length;
            winning = &bucket;
            WriteLog(kLogInfo, "[INFO] ulfs_max=[%ld], count=[%d]", long(winner), int(bucket.size()));
        }
    }
    if (winner != 0) {
        sizes_[url] = winner;
        for (auto it = addresses.begin(); it != addresses.end();) {
            if (winning->count(*it)) {
                ++it;
                continue;
            }
            WriteLog(kLogWarn, "[WARN] remove host ip=[%s]", platform::Ipv4ToText(*it).c_str());
            it = addresses.erase(it);
        }
    }
    WriteLog(kLogInfo, "[INFO] init host, vaild ip count=[%d]", int(addresses.size()));
    return !addresses.empty();
}

void HostIpManager::Resolve(const std::string& authority, const std::string& name) {
    std::set<uint32_t>& addresses = hosts_[authority];
    std::vector<uint32_t> answer = SystemResolve(name);
    if (!answer.empty()) addresses = std::set<uint32_t>(answer.begin(), answer.end());
    if (addresses.empty()) {
        std::vector<std::string> texts;
        QueryHttpDns(name, texts);
        WriteLog(kLogInfo, "[INFO] query httpdns, host=[%s], ip count=[%d].", name.c_str(),
                 int(texts.size()));
        for (const std::string& text : texts) {
            // Only well-formed addresses are kept: anything else in the answer is not an address.
            if (std::optional<uint32_t> address = platform::TextToIpv4(text)) addresses.insert(*address);
        }
    }
    WriteLog(kLogInfo, "[INFO] query host=[%s], ip count=[%d].", name.c_str(), int(addresses.size()));
}

bool HostIpManager::GetHostAndIps(const std::string& url, std::string& host, std::string& ips) {
    UrlParts parts;
    if (!SplitUrl(url, parts)) return false;
    std::lock_guard<std::mutex> hold(lock_);
    auto found = hosts_.find(parts.authority);
    if (found == hosts_.end() || found->second.empty()) return false;
    // The name without its port: readers split the event text at its first colon.
    host = parts.name;
    ips.clear();
    for (uint32_t address : found->second) {
        if (!ips.empty()) ips += ",";
        ips += platform::Ipv4ToText(address);
    }
    return true;
}

std::vector<std::string> HostIpManager::GetIps(const std::string& host) {
    std::vector<std::string> texts;
    std::lock_guard<std::mutex> hold(lock_);
    auto found = hosts_.find(host);
    if (found == hosts_.end()) return texts;
    for (uint32_t address : found->second) texts.push_back(platform::Ipv4ToText(address));
    return texts;
}

int64_t HostIpManager::GetSize(const std::string& url) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = sizes_.find(url);
    return found == sizes_.end() ? 0 : found->second;
}

void HostIpManager::FlushAll() {
    std::lock_guard<std::mutex> hold(lock_);
    hosts_.clear();
    platform::FlushResolverCache();
}

void SetHttpDnsBasesForTesting(const std::string& primary, const std::string& secondary) {
    std::lock_guard<std::mutex> hold(g_hook_lock);
    g_http_dns_primary = primary;
    g_http_dns_secondary = secondary;
}

bool QueryHttpDns(const std::string& host, std::vector<std::string>& ips) {
    const DeploymentProfile& profile = GetDeploymentProfile();
    std::string primary = profile.http_dns_primary;
    std::string secondary = profile.http_dns_secondary;
    {
        std::lock_guard<std::mutex> hold(g_hook_lock);
        if (!g_http_dns_primary.empty()) primary = g_http_dns_primary;
        if (!g_http_dns_secondary.empty()) secondary = g_http_dns_secondary;
    }
    std::string account = UnscrambleAccountValue(profile.http_dns_account_id);
    std::string key_id = UnscrambleAccountValue(profile.http_dns_key_id);
    std::string secret = UnscrambleAccountValue(profile.http_dns_secret);
    std::string time = std::to_string(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count());
    std::string signature = Sha256(account + secret + time + host + key_id);
    std::string query = "/resolve?type=1&short=1&uid=" + account + "&ak=" + key_id + "&name=" + host +
                        "&ts=" + time + "&key=" + signature;

    int error = 0;
    std::string answer = HttpRequest(kHttpGet, Utf8ToUtf16(primary + query), {}, true, false, "", error);
    if (answer.empty() || error != 0) {
        error = 0;
        answer = HttpRequest(kHttpGet, Utf8ToUtf16(secondary + query), {}, true, false, "", error);
    }

    answer = Trim(answer, " \t\r\n");
    if (answer.size() < 2) return !ips.empty();
    answer = answer.substr(1, answer.size() - 2);
    size_t begin = 0;
    while (begin <= answer.size()) {
        size_t comma = answer.find(',', begin);
        std::string piece =
            answer.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin);
        if (piece.size() > 1) {
            piece = Trim(piece, " \t");
            if (piece.size() >= 2) ips.push_back(piece.substr(1, piece.size() - 2));
        }
        if (comma == std::string::npos) break;
        begin = comma + 1;
    }
    return !ips.empty();
}

}  // namespace ns_IXD
