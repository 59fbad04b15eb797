#include "services/statistics_store.h"

#include <cstdio>
#include <ctime>

#include "downloader/http_request.h"
#include "formats/utf_conversion.h"
#include "platform/local_time.h"
#include "platform/paths.h"
#include "services/log_reporter.h"
#include "services/platform_api_client.h"
#include "services/run_facts.h"
#include "system/deployment_profile.h"
#include "system/simple_log.h"

namespace {

constexpr std::size_t kLongestWebEvent = 256;
constexpr std::size_t kMostWebEvents = 100;

int64_t Now() {
    return static_cast<int64_t>(std::time(nullptr));
}

std::string ValueOf(const std::map<std::string, std::string>& values, const std::string& key) {
    auto found = values.find(key);
    return found == values.end() ? std::string() : found->second;
}

}  // namespace

StatisticsStore& StatisticsStore::Instance() {
    static StatisticsStore store;
    return store;
}

StatisticsStore::StatisticsStore()
    : start_time_(Now()), statistics_base_(GetDeploymentProfile().statistics_base) {}

void StatisticsStore::ResetForTesting() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        values_.clear();
        remarks_.clear();
        web_remarks_.clear();
        cdn_addresses_.clear();
        cdn_urls_.clear();
        crash_ = {};
        start_time_ = Now();
        statistics_base_ = GetDeploymentProfile().statistics_base;
        tracking_id_.clear();
        installer_log_path_.clear();
        armed_ = false;
        per_task_ = false;
        first_install_ = true;
        facts_for_testing_.reset();
    }
    std::lock_guard<std::mutex> hold(task_lock_);
    tasks_.clear();
}

void StatisticsStore::SetStatText(const std::string& key, const std::u16string& value) {
    std::string text = Utf16ToUtf8(value);
    std::lock_guard<std::mutex> hold(lock_);
    values_[key] = std::move(text);
}

void StatisticsStore::SetStatNumber(const std::string& key, int32_t value) {
    std::lock_guard<std::mutex> hold(lock_);
    values_[key] = std::to_string(value);
}

void StatisticsStore::SetStatNumber64(const std::string& key, int64_t value) {
    std::lock_guard<std::mutex> hold(lock_);
    values_[key] = std::to_string(value);
}

std::string StatisticsStore::GetStatText(const std::string& key) const {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = values_.find(key);
    return found == values_.end() ? std::string() : found->second;
}

void StatisticsStore::AddStatRemark(const std::string& key, const std::string& value, bool is_text) {
    std::string snippet = is_text ? "{\"" + key + "\":\"" + value + "\"}" : "{\"" + key + "\":" + value + "}";
    std::lock_guard<std::mutex> hold(lock_);
    for (const std::string& existing : remarks_) {
        if (existing == snippet) return;
    }
    remarks_.push_back(std::move(snippet));
}

void StatisticsStore::AddWebEventRemark(const std::u16string& text) {
    if (text.size() > kLongestWebEvent) return;
    std::string entry = WebEventEntry(Utf16ToUtf8(text));
    if (entry.empty()) return;
    std::lock_guard<std::mutex> hold(lock_);
    if (web_remarks_.size() >= kMostWebEvents) return;
    web_remarks_.push_back(std::move(entry));
}

StatisticsTask& StatisticsStore::Task(int32_t task_id) {
    return tasks_[task_id];
}

void StatisticsStore::SetTaskSelected(int32_t task_id, bool selected) {
    std::lock_guard<std::mutex> hold(task_lock_);
    Task(task_id).selected = selected ? 1 : 0;
}

void StatisticsStore::SetTaskServerMd5(int32_t task_id, const std::u16string& md5_list) {
    std::string text = Utf16ToUtf8(md5_list);
    std::lock_guard<std::mutex> hold(task_lock_);
    Task(task_id).server_md5 = std::move(text);
}

void StatisticsStore::SetTaskDownloadFailure(int32_t task_id, int32_t value) {
    std::lock_guard<std::mutex> hold(task_lock_);
    Task(task_id).download_failure = value;
}

void StatisticsStore::SetTaskInstallFailure(int32_t task_id, int32_t value) {
    std::lock_guard<std::mutex> hold(task_lock_);
    Task(task_id).install_failure = value;
}

void StatisticsStore::SetTaskPackageVersion(int32_t task_id, const std::u16string& version) {
    std::string text = Utf16ToUtf8(version);
    std::lock_guard<std::mutex> hold(task_lock_);
    Task(task_id).package_version = std::move(text);
}

void StatisticsStore::SetTaskDownloadTimes(int32_t task_id, int64_t start, int64_t end) {
    std::lock_guard<std::mutex> hold(task_lock_);
    Task(task_id).download_start = start;
    Task(task_id).download_end = end;
}

void StatisticsStore::SetTaskInstallTimes(int32_t task_id, int64_t start, int64_t end) {
    std::lock_guard<std::mutex> hold(task_lock_);
    Task(task_id).install_start = start;
    Task(task_id).install_end = end;
}

void StatisticsStore::AddCdnAddress(const std::string& address) {
    std::lock_guard<std::mutex> hold(lock_);
    cdn_addresses_.insert(address);
}

void StatisticsStore::AddCdnUrl(const std::string& url) {
    std::lock_guard<std::mutex> hold(lock_);
    cdn_urls_.insert(url);
}

void StatisticsStore::SetCrashFacts(const CrashFacts& crash) {
    std::lock_guard<std::mutex> hold(lock_);
    crash_ = crash;
}

void StatisticsStore::SetStatisticsBase(const std::u16string& base) {
    std::string text = Utf16ToUtf8(base);
    std::lock_guard<std::mutex> hold(lock_);
    statistics_base_ = std::move(text);
}

std::string StatisticsStore::GetStatisticsBase() const {
    std::lock_guard<std::mutex> hold(lock_);
    return statistics_base_;
}

void StatisticsStore::SetTrackingId(const std::u16string& tracking_id) {
    std::string text = Utf16ToUtf8(tracking_id);
    std::lock_guard<std::mutex> hold(lock_);
    tracking_id_ = std::move(text);
}

void StatisticsStore::SetInstallerLogPath(const std::u16string& path) {
    std::string text = Utf16ToUtf8(path);
    std::lock_guard<std::mutex> hold(lock_);
    installer_log_path_ = std::move(text);
}

void StatisticsStore::SetArmed() {
    std::lock_guard<std::mutex> hold(lock_);
    armed_ = true;
}

void StatisticsStore::SetPerTaskMode(bool per_task) {
    std::lock_guard<std::mutex> hold(lock_);
    per_task_ = per_task;
}

void StatisticsStore::SetFirstInstall(bool first_install) {
    std::lock_guard<std::mutex> hold(lock_);
    first_install_ = first_install;
}

void StatisticsStore::SetRunFactsForTesting(std::optional<RunFacts> facts) {
    std::lock_guard<std::mutex> hold(lock_);
    facts_for_testing_ = std::move(facts);
}

StatisticsSnapshot StatisticsStore::Snapshot() const {
    StatisticsSnapshot snapshot;
    {
        std::lock_guard<std::mutex> hold(lock_);
        snapshot.values = values_;
        snapshot.remarks = remarks_;
        snapshot.web_remarks = web_remarks_;
        snapshot.cdn_addresses = cdn_addresses_;
        snapshot.cdn_urls = cdn_urls_;
        snapshot.start_time = start_time_;
        snapshot.crash = crash_;
        snapshot.tracking_id = tracking_id_;
        snapshot.per_task = per_task_;
        snapshot.first_install = first_install_;
    }
    std::lock_guard<std::mutex> hold(task_lock_);
    snapshot.tasks = tasks_;
    return snapshot;
}

void StatisticsStore::PostInstallStatistics(bool privacy) {
    std::optional<RunFacts> facts;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (!armed_ || ValueOf(values_, "client_sign").empty()) return;
        if (privacy && ValueOf(values_, "closetype") == "13") values_["downstatus"] = "0";
        facts = facts_for_testing_;
    }
    if (!facts) facts = ReadRunFacts();
    const StatisticsSnapshot snapshot = Snapshot();
    const std::vector<StatisticsRecord> records = BuildStatisticsRecords(snapshot, privacy, *facts, Now());

    // One post at a time, and no setter in between: the crash handler and the window end may both post.
    std::lock_guard<std::mutex> hold(lock_);
    const std::string url = statistics_base_ + "rest/v2/downloader/track?client_sign=" +
                            (privacy ? std::string() : ValueOf(snapshot.values, "client_sign"));
    for (const StatisticsRecord& record : records) {
        int error = 0;
        ns_IXD::HttpRequest(ns_IXD::kHttpPost, Utf8ToUtf16(url), {"Content-Type: application/json"}, true,
                            false, record.json, error);
        WriteLocalCopy(record);
    }
}

void StatisticsStore::WriteLocalCopy(const StatisticsRecord& record) const {
    platform::LocalTime now;
    platform::GetLocalTime(now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", now.year, now.month, now.day, now.hour,
                  now.minute, now.second);
    const std::string path = platform::GetTempFolder() + "IXO_" + record.product_id + "_T" + stamp + ".json";
    // "x": created only when no such file exists; an existing copy is left alone.
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (!file) return;
    std::fwrite(record.json.data(), 1, record.json.size(), file);
    std::fclose(file);
}

bool StatisticsStore::PostSeriesInfo(const std::string& product_id, const std::string& client_serial) {
    const std::string token = GetAccessToken(product_id, client_serial, "1.1.1");
    const std::vector<std::string> headers = {"Content-Type: application/json",
                                              "Authorization: Bearer " + token};
    const std::string body = "{\"product_id\":" + product_id + ", \"client_sign\":\"" + client_serial + "\"}";
    const std::string reply = PostWithFailover("/v1/product/series", headers, body, SwitchNotice::kSilent);
    if (ReplyCode(reply) == 0) {
        WriteLog(kLogInfo, "[INFO] post info ok.");
        return true;
    }
    WriteLog(kLogError, "[ERROR] post info failed! result=[%s].", reply.c_str());
    return false;
}

bool StatisticsStore::AutoReportErrorLog(bool with_installer_log, const std::string& remark) {
    WriteLog(kLogInfo, "[INFO] auto report error log, remark=[%s].", remark.c_str());
    std::string client_sign;
    std::string product_id;
    std::string product_version;
    std::string installer_log;
    {
        std::lock_guard<std::mutex> hold(lock_);
        client_sign = ValueOf(values_, "client_sign");
        product_id = ValueOf(values_, "product_id");
        product_version = ValueOf(values_, "xmlprodcutver");
        installer_log = installer_log_path_;
    }
    CLogReporter reporter(client_sign);
    if (!product_id.empty()) reporter.SetProductId(product_id);
    if (!product_version.empty()) reporter.SetProductVersion(product_version);
    reporter.SetRemark(remark);
    const bool sent = reporter.SendFiles(with_installer_log ? installer_log : std::string());
    WriteLog(kLogInfo, "[INFO] auto report error log, result=[%d].", sent ? 1 : 0);
    return sent;
}
