// The engine's boundary: what its owner calls (IDownloaderManager), what it calls back
// (IDownloaderManagerCallBack), and the task manager behind the command queue (ITaskManager).
#pragma once

#include <cstdint>
#include <string>

#include "downloader/download_event.h"

namespace ns_IXD {

// Implemented by the owner. Every call arrives on the download thread of the task, possibly while the engine
// is removing a task: an implementation must not block on the engine.
class IDownloaderManagerCallBack {
public:
    virtual void OnFileName(int32_t task_id, const char16_t* file_name) = 0;
    virtual void OnFileSize(int32_t task_id, int64_t size) = 0;
    virtual void OnProgress(int32_t task_id, int64_t downloaded, int64_t total, int32_t speed) = 0;
    virtual void OnComplete(int32_t task_id) = 0;
    virtual void OnError(int32_t task_id, int32_t result) = 0;
    // reserved is -1; kind 0: a connection was started that must fetch value bytes.
    virtual void OnConnection(int32_t task_id, int32_t reserved, int32_t kind, int64_t value) = 0;
    virtual void OnStart(int32_t task_id) = 0;
    virtual void OnAddressUsed(int32_t task_id, const char* ip) = 0;
    virtual void OnRetry(int32_t task_id, int32_t attempt) = 0;
    virtual void OnAttemptEnd(int32_t task_id, int32_t attempt, int32_t result) = 0;
    virtual void OnFileMd5(int32_t task_id, const char* md5) = 0;
    virtual void OnMd5Match(int32_t task_id) = 0;
    virtual void OnFileOperationFailed(int32_t task_id, int32_t operation, int32_t error) = 0;
    virtual void OnGetInfoFailed(int32_t task_id, int32_t error) = 0;
    virtual void OnDnsCacheCleared(int32_t task_id, int32_t value) = 0;
    virtual void OnDnsResolved(int32_t task_id, const char* host, const char* ips) = 0;
    virtual void OnPrepare(int32_t task_id) = 0;
    virtual void OnDownloadConfig(int32_t task_id, int32_t threads, int32_t buffer_size) = 0;

protected:
    // Not deleted through this interface: the owner owns itself.
    ~IDownloaderManagerCallBack() = default;
};

struct TaskInfo {
    int32_t task_id = 0;
    int64_t total = 0;
    int64_t downloaded = 0;
    int32_t rate = 0;  // bytes per second of the current attempt
    std::u16string url;
    std::u16string folder;
    std::u16string file_name;
};

class IDownloaderManager {
public:
    virtual ~IDownloaderManager() = default;
    virtual bool PauseTask(int32_t task_id) = 0;
    virtual bool ResumeTask(int32_t task_id) = 0;
    // url: zero-terminated, may be null; spare and value are passed through unread. Returns task_id, or -1.
    virtual int AddTask(const char16_t* url, const char16_t* folder, const char16_t* spare, int32_t task_id,
                        const char16_t* exe_version, const char16_t* md5, int32_t value) = 0;
    virtual bool RemoveTask(int32_t task_id) = 0;
    virtual bool GetTaskInfo(int32_t task_id, TaskInfo* info) = 0;
    virtual bool RemoveTaskIfExists(int32_t task_id) = 0;
    virtual bool StopAll() = 0;
    virtual void SetNotifyWindow(uint32_t window, uint32_t message) = 0;
    virtual void SetCallBack(IDownloaderManagerCallBack* callback) = 0;
    virtual std::u16string GetVersion() = 0;
};

class ITaskManager {
public:
    virtual ~ITaskManager() = default;
    virtual void SetObserver(IObserver* observer) = 0;
    virtual int GetTaskCount() = 0;
    virtual int AddTask(const std::u16string& url, const std::u16string& folder, const std::u16string& spare,
                        int32_t task_id, const std::u16string& exe_version, const std::u16string& md5,
                        int32_t value) = 0;
    virtual bool StopTask(int32_t task_id) = 0;
    virtual bool ResumeTask(int32_t task_id) = 0;
    virtual bool RemoveAllTasks() = 0;
    virtual bool RemoveTask(int32_t task_id) = 0;
    // task_id -1: whether any task exists.
    virtual bool HasTask(int32_t task_id) = 0;
    virtual bool GetProgress(int32_t task_id, int64_t& total, int64_t& downloaded, int64_t& attempt,
                             int64_t& elapsed) = 0;
    virtual std::u16string GetVersion() = 0;
    virtual int GetTaskStrings(int32_t task_id, std::u16string& url, std::u16string& folder,
                               std::u16string& file_name) = 0;

protected:
    IObserver* observer_ = nullptr;
};

}  // namespace ns_IXD
