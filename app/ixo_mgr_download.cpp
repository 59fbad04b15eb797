// IxoMgr: handing the phases to the download engine, the engine's callbacks, progress, disk space and the
// run's statistics.
#include <algorithm>
#include <ctime>

#include "app/ixo_mgr.h"
#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "system/simple_log.h"
#include "system/system_folders.h"
#include "system/version_text.h"

namespace {

int64_t Now() {
    return int64_t(std::time(nullptr));
}

// "https://host:port/path" -> "host:port".
std::string HostOf(const std::u16string& url) {
    std::string text = Utf16ToUtf8(url);
    size_t start = text.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    size_t end = text.find_first_of("/?#", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string Decimal(int64_t value) {
    return std::to_string(value);
}

}  // namespace

DownTask* IxoMgr::FindTask(int32_t id) {
    for (DownTask& task : tasks_) {
        if (task.id == id) return &task;
    }
    return nullptr;
}

void IxoMgr::StartDownTask(int32_t kind) {
    if (!engine_) {
        WriteLog(kLogError, "[ERROR] function interface is null.");
        return;
    }
    for (DownTask& task : tasks_) {
        if (task.kind != kind) continue;
        WriteLog(kLogInfo, "[INFO] IxoMgr StartDownTask: %d, %s, %s, %s", task.id,
                 Utf16ToUtf8(task.save_folder).c_str(), Utf16ToUtf8(task.expected_version).c_str(),
                 Utf16ToUtf8(task.md5_list).c_str());
        engine_->AddTask(task.url.c_str(), task.save_folder.c_str(), u"", task.id,
                         task.expected_version.c_str(), task.md5_list.c_str(), 0);
        if (services_.statistics) services_.statistics->AddCdnUrl(Utf16ToUtf8(task.url));
    }
    run_config_.Status = u"1";
}

void IxoMgr::RetryDownTask(int32_t id) {
    DownTask* task = FindTask(id);
    if (!task || !engine_) return;
    if (IsMd5Confirmed(id) && platform::FileExists(Utf16ToUtf8(task->package_path))) {
        task->install_state = kStateNotStarted;
        return;
    }
    {
        std::lock_guard guard(task_lock_);
        task->total_size = 0;
        task->downloaded = 0;
        task->speed = 0;
        task->download_start = 0;
        task->download_end = 0;
        task->retry_time = 0;
        task->attempt_end_time = 0;
        task->download_state = kStateNotStarted;
        task->download_error = 0;
        task->retry_attempt = 0;
        task->install_start = 0;
        task->install_end = 0;
        task->install_state = kStateNotStarted;
        task->exit_code = 0;
        task->mandatory = true;
        // A retried download is not compared with any digest.
        task->md5_list.clear();
        task->alternate_md5.clear();
        task->connections = 0;
        task->buffer_size = 0;
    }
    {
        std::lock_guard guard(sets_lock_);
        md5_confirmed_.erase(id);
    }
    engine_->AddTask(task->url.c_str(), task->save_folder.c_str(), u"", task->id,
                     task->expected_version.c_str(), task->md5_list.c_str(), 0);
}

void IxoMgr::CancelAllDownloads() {
    if (!engine_) return;
    for (const DownTask& task : tasks_) engine_->RemoveTask(task.id);
}

void IxoMgr::StopDownloadEngine() {
    if (engine_) engine_->StopAll();
}

bool IxoMgr::CheckInstallSpace(const std::u16string& folder, bool with_margin) const {
    if (package_size_ == 0) return true;
    FolderPlaces places = Places();
    int64_t free_bytes = int64_t(places.free_bytes ? places.free_bytes(folder) : 0);
    std::string dir = Utf16ToUtf8(folder);
    if (!with_margin) {
        if (free_bytes >= package_size_) return true;
        WriteLog(kLogWarn, "[WARN] check install space size failed! dir=[%s], free=[%lld], pkg_size=[%lld]",
                 dir.c_str(), (long long)free_bytes, (long long)package_size_);
        return false;
    }
    // The package and the installation share the disk when both are on the same mount.
    int64_t need = 4 * package_size_;
    if (GetDriveRoot(folder) == GetDriveRoot(working_folder_)) need += package_size_;
    if (free_bytes >= need) return true;
    WriteLog(kLogWarn, "[WARN] check install space size failed! dir=[%s], free=[%lld], estimate=[%lld]",
             dir.c_str(), (long long)free_bytes, (long long)need);
    return false;
}

void IxoMgr::UpdateSaveFolder() {
    FolderPlaces places = Places();
    int64_t free_bytes = int64_t(places.free_bytes ? places.free_bytes(working_folder_) : 0);
    if (free_bytes < package_size_) {
        WriteLog(kLogWarn, "[WARN] update save folder, dir=[%s], disk_free_size=[%lld]",
                 Utf16ToUtf8(working_folder_).c_str(), (long long)free_bytes);
        std::u16string folder = ::GetLargestFreeFolder(product_config_.ProductBrand, places);
        if (folder.empty()) {
            WriteLog(kLogError, "[ERROR] update save folder, not enough disk space.");
        } else {
            working_folder_ = folder;
        }
    }
    for (DownTask& task : tasks_) task.save_folder = working_folder_;
}

bool IxoMgr::CompleteRunStatistics() {
    IRunStatistics* statistics = services_.statistics;
    if (statistics) {
        std::lock_guard guard(task_lock_);
        for (const DownTask& task : tasks_) {
            if (task.kind == kTaskProduct || (fork_mode_ && task.kind == kTaskDependent)) {
                statistics->SetStatNumber64("packagesize", task.total_size);
                statistics->SetStatNumber64("downstart", task.download_start);
                statistics->SetStatNumber64("downend", task.download_end);
                statistics->SetStatNumber64("installstart", task.install_start);
                statistics->SetStatNumber64("installend", task.install_end);
                statistics->SetStatNumber("downstatus", task.download_state);
                statistics->SetStatNumber("downcode", task.download_error);
                statistics->SetStatNumber("installstatus", task.install_state);
                statistics->SetStatNumber("installcode", task.exit_code);
                statistics->SetStatNumber64("downspeed", task.speed);
                statistics->SetStatText("prodcutver", task.package_version);
                statistics->SetStatText("xmlprodcutver", task.expected_version);
            }
            if (task.kind == kTaskDotNet && task.id == kDotNetTaskId) {
                statistics->SetStatNumber("dotnetdownstate", task.download_state);
                statistics->SetStatNumber("dotnetinstallstate", task.install_state);
                statistics->SetStatNumber("dotnetdowncode", task.download_error);
                statistics->SetStatNumber("dotnetinstallcode", task.exit_code);
            }
            if (!fork_mode_ && task.kind == kTaskDependent) {
                statistics->SetTaskDownloadTimes(task.id, task.download_start, task.download_end);
                statistics->SetTaskInstallTimes(task.id, task.install_start, task.install_end);
            }
        }

        int64_t now = Now();
        int64_t down_start = 0, down_end = 0, install_start = 0, install_end = 0;
        // Summed in 64 bits: a 32-bit sum wraps past 4 GiB and gives a wrong speed.
        uint64_t downloaded = 0;
        for (const DownTask& task : tasks_) {
            if (task.download_start > 0 && (down_start == 0 || task.download_start < down_start))
                down_start = task.download_start;
            down_end = std::max(down_end, task.download_end);
            if (task.install_start > 0 && (install_start == 0 || task.install_start < install_start))
                install_start = task.install_start;
            install_end = std::max(install_end, task.install_end);
            downloaded += uint64_t(std::max<int64_t>(task.downloaded, 0));
        }
        if (down_start > 0 && down_end == 0) down_end = now;
        if (install_start > 0 && install_end == 0) install_end = now;
        int64_t down_time = down_start > 0 && down_end > down_start ? down_end - down_start : 0;
        int64_t install_time =
            install_start > 0 && install_end > install_start ? install_end - install_start : 0;
        statistics->SetStatNumber64("downtime", down_time);
        statistics->SetStatNumber64("installtime", install_time);
        statistics->SetStatNumber64("downspeed",
                                    down_time > 0 ? int64_t(downloaded / uint64_t(down_time)) : 0);
    }
    return !tasks_.empty();
}

void IxoMgr::NotifyProgress() {
    int64_t total = 0, received = 0;
    int32_t active = 0;
    {
        std::lock_guard guard(task_lock_);
        for (const DownTask& task : tasks_) {
            total += task.total_size;
            received += task.downloaded;
            if (task.downloaded > 0 && task.total_size > 0) ++active;
        }
    }
    if (notify_handler_) notify_handler_->OnDownloadProgress(total, received, int32_t(tasks_.size()), active);
}

bool IxoMgr::IsMd5Confirmed(int32_t id) const {
    std::lock_guard guard(sets_lock_);
    return md5_confirmed_.count(id) != 0;
}

bool IxoMgr::CountReportedError(int32_t key) {
    std::lock_guard guard(sets_lock_);
    auto [entry, added] = reported_errors_.emplace(key, 1);
    if (!added) ++entry->second;
    return added;
}

int32_t IxoMgr::GetReportedErrorCount(int32_t key) const {
    std::lock_guard guard(sets_lock_);
    auto entry = reported_errors_.find(key);
    return entry == reported_errors_.end() ? 0 : entry->second;
}

void IxoMgr::OnFileName(int32_t task_id, const char16_t* file_name) {
    DownTask* task = FindTask(task_id);
    if (!task) return;
    {
        std::lock_guard guard(task_lock_);
        task->file_name = file_name ? file_name : u"";
        task->package_path = task->save_folder + task->file_name;
    }
    if (task->kind == kTaskProduct) {
        run_config_.TmpPackagePath = task->package_path + u".~P2S";
        WriteRunConfig();
    }
}

void IxoMgr::OnFileSize(int32_t task_id, int64_t size) {
    DownTask* task = FindTask(task_id);
    if (!task) return;
    std::lock_guard guard(task_lock_);
    task->total_size = size;
}

void IxoMgr::OnProgress(int32_t task_id, int64_t downloaded, int64_t total, int32_t speed) {
    DownTask* task = FindTask(task_id);
    if (!task) return;
    {
        std::lock_guard guard(task_lock_);
        task->downloaded = downloaded;
        task->total_size = total;
        task->speed = speed;
    }
    NotifyProgress();
}

void IxoMgr::OnComplete(int32_t task_id) {
    DownTask* task = FindTask(task_id);
    if (!task) return;
    {
        std::lock_guard guard(task_lock_);
        task->downloaded = task->total_size;
        task->download_state = kStateDone;
        task->download_end = Now();
    }
    if (notify_handler_) notify_handler_->OnFinished(*task, 0);
    std::u16string version = GetFileVersionText(task->package_path).value_or(std::u16string());
    {
        std::lock_guard guard(task_lock_);
        task->package_version = version;
    }
    if (task->kind == kTaskDependent && services_.statistics) {
        services_.statistics->SetTaskPackageVersion(task->id, version);
    }
    NotifyProgress();

    bool all_downloaded = false;
    {
        std::lock_guard guard(task_lock_);
        int64_t total = 0, received = 0;
        for (const DownTask& t : tasks_) {
            total += t.total_size;
            received += t.downloaded;
        }
        all_downloaded = total == received;
    }
    if (all_downloaded && fork_starter_) fork_starter_();
}

void IxoMgr::OnError(int32_t task_id, int32_t result) {
    DownTask* task = FindTask(task_id);
    if (!task) return;
    {
        std::lock_guard guard(task_lock_);
        task->download_state = kStateFailed;
        task->download_error = result;
        task->download_end = Now();
    }
    int32_t passed_on = result;
    if (task->kind == kTaskDependent && !task->mandatory) {
        if (services_.statistics) services_.statistics->SetTaskDownloadFailure(task_id, result);
        passed_on = 0;
    } else if (CountReportedError(result + kDownloadErrorKeyBase) && services_.statistics) {
        services_.statistics->AutoReportErrorLog(
            false, "pid=" + Decimal(task_id) + ", download err=" + Decimal(result));
    }
    if (notify_handler_) notify_handler_->OnFinished(*task, passed_on);
}

void IxoMgr::OnConnection(int32_t, int32_t, int32_t, int64_t) {}

void IxoMgr::OnStart(int32_t task_id) {
    DownTask* task = FindTask(task_id);
    if (!task) return;
    std::lock_guard guard(task_lock_);
    task->download_state = kStateRunning;
    task->download_start = Now();
}

void IxoMgr::OnAddressUsed(int32_t task_id, const char* ip) {
    if (!FindTask(task_id)) return;
    if (services_.statistics) services_.statistics->AddCdnAddress(ip ? ip : "");
}

void IxoMgr::OnRetry(int32_t task_id, int32_t attempt) {
    DownTask* task = FindTask(task_id);
    if (!task) return;
    if (services_.statistics) services_.statistics->SetStatNumber("retrytips", attempt);
    int64_t now = Now();
    std::lock_guard guard(task_lock_);
    if (first_retry_time_ == 0) first_retry_time_ = now;
    task->retry_time = now;
    task->retry_attempt = attempt;
}

void IxoMgr::OnAttemptEnd(int32_t task_id, int32_t, int32_t) {
    DownTask* task = FindTask(task_id);
    if (!task) return;
    std::lock_guard guard(task_lock_);
    task->attempt_end_time = Now();
}

void IxoMgr::OnFileMd5(int32_t task_id, const char* md5) {
    if (!FindTask(task_id) || !services_.statistics) return;
    std::u16string digest = Utf8ToUtf16(md5 ? md5 : "");
    services_.statistics->SetStatText("downpackagemd5", digest);
    services_.statistics->SetStatText("filemd5_" + Decimal(task_id), digest);
}

void IxoMgr::OnMd5Match(int32_t task_id) {
    if (!FindTask(task_id)) return;
    if (services_.statistics) services_.statistics->SetStatText("matchmd5_" + Decimal(task_id), u"1");
    std::lock_guard guard(sets_lock_);
    md5_confirmed_.insert(task_id);
}

void IxoMgr::OnFileOperationFailed(int32_t task_id, int32_t operation, int32_t error) {
    if (!FindTask(task_id) || !services_.statistics) return;
    services_.statistics->SetStatText("pkg_opt_failed_" + Decimal(task_id),
                                      Utf8ToUtf16(Decimal(operation) + "-" + Decimal(error)));
}

void IxoMgr::OnGetInfoFailed(int32_t task_id, int32_t error) {
    if (!FindTask(task_id)) return;
    WriteLog(kLogInfo, "[INFO] get pkg info failed! task_id=[%d], err=[%d].", task_id, error);
    if (services_.statistics)
        services_.statistics->SetStatNumber("get_pkg_info_failed_" + Decimal(task_id), error);
}

void IxoMgr::OnDnsCacheCleared(int32_t task_id, int32_t value) {
    if (!FindTask(task_id)) return;
    WriteLog(kLogInfo, "[INFO] clear dns cache, task_id=[%d], err=[%d].", task_id, value);
    if (services_.statistics)
        services_.statistics->SetStatNumber("clear_dns_cache_" + Decimal(task_id), value);
}

void IxoMgr::OnDnsResolved(int32_t, const char* host, const char* ips) {
    std::string domain = host ? host : "";
    std::string addresses = ips ? ips : "";
    WriteLog(kLogInfo, "[INFO] query dns, domain=[%s], ips=[%s].", domain.c_str(), addresses.c_str());
    if (services_.analytics) services_.analytics->SendDnsEvent(domain, addresses);
}

void IxoMgr::OnPrepare(int32_t task_id) {
    DownTask* task = FindTask(task_id);
    if (!task) return;
    WriteLog(kLogInfo, "[INFO] prepare download, task_id=[%d].", task_id);
    if (task->download_retry_count != 0 || task->download_state != kStateNotStarted || !services_.analytics)
        return;
    TaskEvent event;
    event.type = TaskKindName(task->kind);
    event.domain = HostOf(task->url);
    event.resumedown = resume_ ? 1 : 0;
    event.state = "begin";
    services_.analytics->SendDownloadEvent(event);
    event.state = "running";
    services_.analytics->SendDownloadEvent(event);
}

void IxoMgr::OnDownloadConfig(int32_t task_id, int32_t threads, int32_t buffer_size) {
    DownTask* task = FindTask(task_id);
    if (!task) return;
    WriteLog(kLogInfo, "[INFO] download, task_id=[%d], thread=[%d], buffer=[%d].", task_id, threads,
             buffer_size);
    std::lock_guard guard(task_lock_);
    task->connections = threads;
    task->buffer_size = buffer_size;
}
