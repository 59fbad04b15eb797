#include "analytics/tracking_id.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>

#include "downloader/http_request.h"
#include "formats/utf_conversion.h"
#include "platform/system_version.h"
#include "system/deployment_profile.h"
#include "system/md5.h"
#include "system/simple_log.h"

namespace analytics {
namespace {

std::mutex& TrackingIdLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

std::string& KeptTrackingId() {
    static std::string* id = new std::string;
    return *id;
}

// The system family as the service's "os" parameter spells it: "Linux".
std::string OsParameter() {
    std::string name = platform::GetOsTypeName();
    if (!name.empty()) name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

std::string MakeLocalTrackingId(const std::string& product_id) {
    auto seconds = static_cast<unsigned>(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count());
    unsigned random = std::random_device{}();
    char seed[128];
    std::snprintf(seed, sizeof seed, "%s_%u_%u", product_id.c_str(), seconds, random);
    std::string id = Md5Buffer(seed, std::char_traits<char>::length(seed));
    WriteLog(kLogInfo, "[INFO] generate local tid: pid=[%s], timestamp=[%u], random=[%u], tid=[%s]",
             product_id.c_str(), seconds, random, id.c_str());
    return id;
}

}  // namespace

std::string ParseTrackingIdReply(const std::string& reply) {
    static const std::string kCode = "\"code\":0";
    static const std::string kData = "\"data\":\"";
    size_t code = reply.find(kCode);
    if (code == std::string::npos) return std::string();
    size_t data = reply.find(kData, code + kCode.size());
    if (data == std::string::npos) return std::string();
    size_t start = data + kData.size();
    size_t end = reply.find('"', start);
    if (end == std::string::npos) return std::string();
    return reply.substr(start, end - start);
}

std::string GetTrackingId(const std::string& product_id) {
    return GetTrackingIdFrom(GetDeploymentProfile().tracking_id_base, product_id);
}

std::string GetTrackingIdFrom(const std::string& service_base, const std::string& product_id) {
    std::string url = service_base + "/api/v1/prodweb/trk?pid=" + product_id + "&os=" + OsParameter();
    WriteLog(kLogInfo, "[INFO] get tid: %s", url.c_str());
    int error = 0;
    std::string reply = ns_IXD::HttpRequest(ns_IXD::kHttpGet, Utf8ToUtf16(url), {}, false, false, {}, error);
    WriteLog(kLogInfo, "[INFO] response tid: %s", reply.c_str());
    std::string id = ParseTrackingIdReply(reply);
    if (id.empty()) id = MakeLocalTrackingId(product_id);
    std::lock_guard<std::mutex> guard(TrackingIdLock());
    KeptTrackingId() = id;
    return id;
}

std::string CurrentTrackingId() {
    std::lock_guard<std::mutex> guard(TrackingIdLock());
    return KeptTrackingId();
}

}  // namespace analytics
