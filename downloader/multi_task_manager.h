// The tasks of the engine: one segmented downloader per task id. Every operation holds the task-map lock for
// its whole run, including the wait for a removed downloader's threads.
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "downloader/downloader_interfaces.h"
#include "downloader/multi_downloader.h"

namespace ns_IXD {

class CMultiTaskManager : public ITaskManager {
public:
    // Makes sure the HTTP library is initialised before any transfer.
    CMultiTaskManager();
    // Cancels and waits for every task.
    ~CMultiTaskManager() override;

    void SetObserver(IObserver* observer) override;
    int GetTaskCount() override;
    // Replaces any task with the same id (the old one is cancelled and its final event reported first).
    int AddTask(const std::u16string& url, const std::u16string& folder, const std::u16string& spare,
                int32_t task_id, const std::u16string& exe_version, const std::u16string& md5,
                int32_t value) override;
    // Silences the task's events, then cancels it: it ends with its range table saved and reports nothing.
    bool StopTask(int32_t task_id) override;
    bool ResumeTask(int32_t task_id) override;
    bool RemoveAllTasks() override;
    // Cancels and destroys the task; its final event (result 13 while it ran) reaches the observer.
    bool RemoveTask(int32_t task_id) override;
    bool HasTask(int32_t task_id) override;
    bool GetProgress(int32_t task_id, int64_t& total, int64_t& downloaded, int64_t& attempt,
                     int64_t& elapsed) override;
    std::u16string GetVersion() override { return std::u16string(); }
    int GetTaskStrings(int32_t task_id, std::u16string& url, std::u16string& folder,
                       std::u16string& file_name) override;
    // Bytes per second of the task's current attempt; 0 for an unknown task.
    int32_t GetSpeed(int32_t task_id);

private:
    std::mutex lock_;
    std::map<int32_t, std::unique_ptr<CMultiDownloader>> tasks_;
};

}  // namespace ns_IXD
