// The engine's facade. Commands are queued to the command worker; events of every task come back through
// Notify on the task's download thread and are turned into calls of the owner's callback.
#pragma once

#include <atomic>
#include <memory>

#include "downloader/downloader_interfaces.h"
#include "downloader/multi_task_manager.h"
#include "downloader/task_operator.h"

namespace ns_IXD {

class DownloaderManager : public IDownloaderManager, public IObserver {
public:
    DownloaderManager();
    // Stops the command worker, then cancels and waits for every task.
    ~DownloaderManager() override;

    bool PauseTask(int32_t task_id) override;
    bool ResumeTask(int32_t task_id) override;
    int AddTask(const char16_t* url, const char16_t* folder, const char16_t* spare, int32_t task_id,
                const char16_t* exe_version, const char16_t* md5, int32_t value) override;
    bool RemoveTask(int32_t task_id) override;
    bool GetTaskInfo(int32_t task_id, TaskInfo* info) override;
    bool RemoveTaskIfExists(int32_t task_id) override;
    bool StopAll() override;
    // No window transport exists in this build: events are dropped (with one warning) while a window is set.
    void SetNotifyWindow(uint32_t window, uint32_t message) override;
    void SetCallBack(IDownloaderManagerCallBack* callback) override;
    std::u16string GetVersion() override { return std::u16string(); }

    virtual int GetTaskCount();
    virtual bool RemoveAllTasks();

    void Notify(std::unique_ptr<DownloadEvent> event, int64_t wparam) override;

private:
    void Post(int32_t type, int32_t task_id);

    std::unique_ptr<CTaskOperator> operator_;
    std::unique_ptr<CMultiTaskManager> task_manager_;
    std::atomic<IDownloaderManagerCallBack*> callback_{nullptr};
    std::atomic<uint32_t> notify_window_{0};
    std::atomic<uint32_t> notify_message_{0};
    std::atomic<bool> warned_window_{false};
};

}  // namespace ns_IXD
