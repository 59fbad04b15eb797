// StatisticsStore: the install statistics record of the run. Start-up, orchestration, download callbacks and
// the window fill it through the setters; when the window closes (or the crash handler runs) it is posted to
// the statistics service and kept as a JSON file in the temporary folder. Also the two platform calls made at
// fixed points: the product series post and the automatic error-log report.
//
// One process-wide instance, created on first use and never cleared. Setters may come from any thread: the
// values, sets and lists are guarded by the store lock, the task records by the task lock; no call holds
// both.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "services/statistics_record.h"

class StatisticsStore {
public:
    static StatisticsStore& Instance();

    // Values of the record, by key ("closetype", "downstatus", ...). UTF-16 texts are kept as UTF-8.
    void SetStatText(const std::string& key, const std::u16string& value);
    void SetStatNumber(const std::string& key, int32_t value);
    void SetStatNumber64(const std::string& key, int64_t value);
    std::string GetStatText(const std::string& key) const;  // UTF-8; empty when not set

    // Appends {"key":"value"} (is_text) or {"key":value} to the remark-1 list unless the same snippet is
    // there.
    void AddStatRemark(const std::string& key, const std::string& value, bool is_text);
    // A web page's event text (passed on by the window); texts over 256 characters, texts not of the form
    // {"key":"<page>","event":"<e>","time":"<t>","data":"<d>"} and anything beyond 100 entries are ignored.
    void AddWebEventRemark(const std::u16string& text);

    // Task records, created by the first setter that names the task.
    void SetTaskSelected(int32_t task_id, bool selected);
    void SetTaskServerMd5(int32_t task_id, const std::u16string& md5_list);
    void SetTaskDownloadFailure(int32_t task_id, int32_t value);
    void SetTaskInstallFailure(int32_t task_id, int32_t value);
    void SetTaskPackageVersion(int32_t task_id, const std::u16string& version);
    // Start and end, seconds since 1970.
    void SetTaskDownloadTimes(int32_t task_id, int64_t start, int64_t end);
    void SetTaskInstallTimes(int32_t task_id, int64_t start, int64_t end);

    void AddCdnAddress(const std::string& address);
    void AddCdnUrl(const std::string& url);
    void SetCrashFacts(const CrashFacts& crash);

    // The statistics service's base address (ends in '/'): the profile's until the product configuration
    // names its own.
    void SetStatisticsBase(const std::u16string& base);
    std::string GetStatisticsBase() const;
    void SetTrackingId(const std::u16string& tracking_id);
    void SetInstallerLogPath(const std::u16string& path);
    // Set when an installation run begins; nothing is posted before.
    void SetArmed();
    // Dependent-only mode: one record per task record instead of one for the run.
    void SetPerTaskMode(bool per_task);
    // Cleared when the product was already installed.
    void SetFirstInstall(bool first_install);

    // Posts the record (or the per-task records) unless the store is not armed or has no "client_sign";
    // `privacy` leaves out the machine's identity. The reply is not examined; the local JSON copy is written
    // whatever the post did. Blocks for the transfer.
    void PostInstallStatistics(bool privacy);

    // The product series post. Logs and returns whether the platform accepted it.
    bool PostSeriesInfo(const std::string& product_id, const std::string& client_serial);

    // Sends the run's logs (with the installer's log when asked) as a log report with the remark. The
    // reporter's product id and version are the configured "product_id" and the server's "xmlprodcutver"
    // values when those are set. Logs and returns the outcome.
    bool AutoReportErrorLog(bool with_installer_log, const std::string& remark);

    // A copy of everything the record is built from.
    StatisticsSnapshot Snapshot() const;

    // Replaces the facts about the program and the machine, so that tests get a fixed record; nullopt reads
    // them from the system again.
    void SetRunFactsForTesting(std::optional<RunFacts> facts);
    // Forgets everything, as a new process would start; for tests.
    void ResetForTesting();

private:
    StatisticsStore();
    StatisticsTask& Task(int32_t task_id);  // under task_lock_
    void WriteLocalCopy(const StatisticsRecord& record) const;

    mutable std::mutex lock_;  // values, lists, sets, crash facts, addresses, flags
    std::map<std::string, std::string> values_;
    std::vector<std::string> remarks_;
    std::vector<std::string> web_remarks_;
    std::set<std::string> cdn_addresses_;
    std::set<std::string> cdn_urls_;
    CrashFacts crash_;
    int64_t start_time_ = 0;
    std::string statistics_base_;
    std::string tracking_id_;
    std::string installer_log_path_;
    bool armed_ = false;
    bool per_task_ = false;
    bool first_install_ = true;
    std::optional<RunFacts> facts_for_testing_;

    mutable std::mutex task_lock_;
    std::map<int32_t, StatisticsTask> tasks_;
};
