#include "downloader/multi_task_manager.h"

#include "downloader/curl_global.h"
#include "formats/utf_conversion.h"

namespace ns_IXD {

CMultiTaskManager::CMultiTaskManager() {
    EnsureCurlInitialised();
}

CMultiTaskManager::~CMultiTaskManager() {
    RemoveAllTasks();
}

void CMultiTaskManager::SetObserver(IObserver* observer) {
    std::lock_guard<std::mutex> hold(lock_);
    observer_ = observer;
}

int CMultiTaskManager::GetTaskCount() {
    std::lock_guard<std::mutex> hold(lock_);
    return int(tasks_.size());
}

int CMultiTaskManager::AddTask(const std::u16string& url, const std::u16string& folder, const std::u16string&,
                               int32_t task_id, const std::u16string& exe_version, const std::u16string& md5,
                               int32_t) {
    RemoveTask(task_id);
    std::lock_guard<std::mutex> hold(lock_);
    auto downloader = std::make_unique<CMultiDownloader>();
    CMultiDownloader* task = downloader.get();
    tasks_[task_id] = std::move(downloader);
    task->SetObserver(observer_);
    task->SetServerMd5(Utf16ToUtf8(md5));
    task->SetExeVersion(Utf16ToUtf8(exe_version));
    task->Start(task_id, Utf16ToUtf8(url), Utf16ToUtf8(folder));
    return task_id;
}

bool CMultiTaskManager::StopTask(int32_t task_id) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = tasks_.find(task_id);
    if (found == tasks_.end()) return false;
    found->second->SetNotify(false);
    found->second->Cancel();
    return true;
}

bool CMultiTaskManager::ResumeTask(int32_t task_id) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = tasks_.find(task_id);
    if (found == tasks_.end()) return false;
    found->second->Resume();
    return true;
}

bool CMultiTaskManager::RemoveAllTasks() {
    std::lock_guard<std::mutex> hold(lock_);
    for (auto& [id, task] : tasks_) {
        task->Cancel();
        task.reset();
    }
    tasks_.clear();
    return true;
}

bool CMultiTaskManager::RemoveTask(int32_t task_id) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = tasks_.find(task_id);
    if (found == tasks_.end()) return false;
    found->second->Cancel();
    found->second.reset();
    tasks_.erase(found);
    return true;
}

bool CMultiTaskManager::HasTask(int32_t task_id) {
    std::lock_guard<std::mutex> hold(lock_);
    if (task_id == -1) return !tasks_.empty();
    return tasks_.count(task_id) != 0;
}

bool CMultiTaskManager::GetProgress(int32_t task_id, int64_t& total, int64_t& downloaded, int64_t& attempt,
                                    int64_t& elapsed) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = tasks_.find(task_id);
    if (found == tasks_.end()) return false;
    CMultiDownloader& task = *found->second;
    total = task.GetTotalSize();
    downloaded = task.GetDownloaded(true);
    attempt = task.GetAttempt();
    elapsed = task.GetElapsedSeconds();
    return true;
}

int CMultiTaskManager::GetTaskStrings(int32_t task_id, std::u16string& url, std::u16string& folder,
                                      std::u16string& file_name) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = tasks_.find(task_id);
    if (found == tasks_.end()) return 0;
    url = Utf8ToUtf16(found->second->GetUrl());
    folder = Utf8ToUtf16(found->second->GetFolder());
    file_name = Utf8ToUtf16(found->second->GetFileName());
    return 0;
}

int32_t CMultiTaskManager::GetSpeed(int32_t task_id) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = tasks_.find(task_id);
    if (found == tasks_.end()) return 0;
    return found->second->GetSpeed();
}

}  // namespace ns_IXD
