#include "downloader/downloader_manager.h"

#include "system/simple_log.h"

namespace ns_IXD {

namespace {

std::u16string Text(const char16_t* text) {
    return text ? std::u16string(text) : std::u16string();
}

}  // namespace

DownloaderManager::DownloaderManager() {
    task_manager_ = std::make_unique<CMultiTaskManager>();
    task_manager_->SetObserver(this);
    operator_ = std::make_unique<CTaskOperator>();
    operator_->Start(task_manager_.get());
}

DownloaderManager::~DownloaderManager() {
    operator_.reset();
    task_manager_.reset();
}

void DownloaderManager::Post(int32_t type, int32_t task_id) {
    TaskCommand command;
    command.type = type;
    command.task_id = task_id;
    operator_->Post(std::move(command));
}

bool DownloaderManager::PauseTask(int32_t task_id) {
    if (!operator_) return false;
    Post(kCommandPause, task_id);
    return true;
}

bool DownloaderManager::ResumeTask(int32_t task_id) {
    if (!operator_) return false;
    Post(kCommandResume, task_id);
    return true;
}

int DownloaderManager::AddTask(const char16_t* url, const char16_t* folder, const char16_t* spare,
                               int32_t task_id, const char16_t* exe_version, const char16_t* md5,
                               int32_t value) {
    if (!operator_ || (!url && task_id < 1)) {
        WriteLog(kLogError, "[ERROR] add task failed, operator=[%d], url=[%d], pid=[%d].", operator_ ? 1 : 0,
                 url ? 1 : 0, task_id);
        return -1;
    }
    TaskCommand command;
    command.type = kCommandAdd;
    command.pid = task_id;
    command.value = value;
    command.url = Text(url);
    command.folder = Text(folder);
    command.spare = Text(spare);
    command.md5 = Text(md5);
    command.exe_version = Text(exe_version);
    operator_->Post(std::move(command));
    return task_id;
}

bool DownloaderManager::RemoveTask(int32_t task_id) {
    if (!operator_) return false;
    Post(kCommandRemove, task_id);
    return true;
}

bool DownloaderManager::GetTaskInfo(int32_t task_id, TaskInfo* info) {
    if (!info || !task_manager_) return false;
    int64_t total = 0, downloaded = 0, attempt = 0, elapsed = 1;
    if (!task_manager_->GetProgress(task_id, total, downloaded, attempt, elapsed)) return false;
    info->task_id = task_id;
    if (total <= 0 || downloaded < 0) {
        info->total = -1;
        info->downloaded = -1;
        return true;
    }
    info->total = total;
    info->downloaded = downloaded;
    info->rate = task_manager_->GetSpeed(task_id);
    task_manager_->GetTaskStrings(task_id, info->url, info->folder, info->file_name);
    return true;
}

bool DownloaderManager::RemoveTaskIfExists(int32_t task_id) {
    if (!task_manager_ || !task_manager_->HasTask(task_id)) return false;
    Post(kCommandRemove, task_id);
    return true;
}

bool DownloaderManager::StopAll() {
    if (task_manager_ && task_manager_->HasTask(-1)) Post(kCommandRemoveAll, 0);
    if (operator_) operator_->Stop();
    return true;
}

void DownloaderManager::SetNotifyWindow(uint32_t window, uint32_t message) {
    notify_window_.store(window);
    notify_message_.store(message);
    callback_.store(nullptr);
}

void DownloaderManager::SetCallBack(IDownloaderManagerCallBack* callback) {
    callback_.store(callback);
    notify_window_.store(0);
    notify_message_.store(0);
}

int DownloaderManager::GetTaskCount() {
    return task_manager_ ? task_manager_->GetTaskCount() : 0;
}

bool DownloaderManager::RemoveAllTasks() {
    if (!task_manager_ || !task_manager_->HasTask(-1)) return false;
    Post(kCommandRemoveAll, 0);
    return true;
}

void DownloaderManager::Notify(std::unique_ptr<DownloadEvent> event, int64_t) {
    if (!event) return;
    if (notify_window_.load() != 0 && notify_message_.load() != 0) {
        if (!warned_window_.exchange(true)) {
            WriteLog(kLogWarn, "[WARN] notify window mode has no window transport here; events are dropped.");
        }
        return;
    }
    IDownloaderManagerCallBack* callback = callback_.load();
    if (!callback) return;
    const int32_t id = event->task_id;
    switch (event->type) {
        case kEventFileName:
            callback->OnFileName(id, event->text16.c_str());
            break;
        case kEventFileSize:
            callback->OnFileSize(id, event->number);
            break;
        case kEventFinished: {
            int32_t result = int32_t(event->number);
            WriteLog(kLogInfo, "[INFO] finished, task_id=[%d], result=[%d]", id, result);
            if (result == kResultSuccess || result == kResultAlreadyDownloaded) {
                callback->OnComplete(id);
            } else {
                callback->OnError(id, result);
            }
            break;
        }
        case kEventProgress:
            if (event->progress) {
                callback->OnProgress(id, event->progress->downloaded, event->progress->total,
                                     event->progress->speed);
            }
            break;
        case kEventConnection:
            callback->OnConnection(id, -1, 0, event->number);
            break;
        case kEventStarted:
            callback->OnStart(id);
            break;
        case kEventAddressUsed:
            callback->OnAddressUsed(id, event->text.c_str());
            break;
        case kEventAttempt:
            callback->OnRetry(id, int32_t(event->number));
            break;
        case kEventAttemptEnd:
            callback->OnAttemptEnd(id, event->value1, event->value2);
            break;
        case kEventFileMd5:
            callback->OnFileMd5(id, event->text.c_str());
            break;
        case kEventMd5Match:
            callback->OnMd5Match(id);
            break;
        case kEventFileOperation:
            callback->OnFileOperationFailed(id, event->value1, event->value2);
            break;
        case kEventGetInfoFailed:
            callback->OnGetInfoFailed(id, int32_t(event->number));
            break;
        case kEventDnsCacheCleared:
            callback->OnDnsCacheCleared(id, int32_t(event->number));
            break;
        case kEventDnsResolved: {
            size_t colon = event->text.find(':');
            if (colon == std::string::npos) break;
            std::string host = event->text.substr(0, colon);
            std::string ips = event->text.substr(colon + 1);
            callback->OnDnsResolved(id, host.c_str(), ips.c_str());
            break;
        }
        case kEventPrepare:
            callback->OnPrepare(id);
            break;
        case kEventDownloadConfig:
            callback->OnDownloadConfig(id, event->value1, event->value2);
            break;
        default:
            break;
    }
}

}  // namespace ns_IXD
