// What the orchestrator tells the window. Every call comes on the thread of the event (an engine download
// thread, or the thread that runs IxoMgr::InstallTask), never on the window's own thread.
#pragma once

#include <cstdint>

#include "app/down_task.h"

class IxoNotifyHandler {
public:
    // A task's download ended: 0 on success (and for an optional dependent's failure), else the engine's
    // result code.
    virtual void OnFinished(const DownTask& task, int32_t result) = 0;
    // Sums over all tasks, in bytes; `active_count` counts the tasks with both figures above 0.
    virtual void OnDownloadProgress(int64_t total, int64_t received, int32_t task_count,
                                    int32_t active_count) = 0;
    // A task's installer ended: 0 on success, else its exit code.
    virtual void OnInstall(const DownTask& task, int32_t code) = 0;

protected:
    ~IxoNotifyHandler() = default;
};
