// The engine's command queue: commands from the owner's threads are applied one by one, in order, to the
// task manager by a single worker thread, so that no owner thread ever waits for a download to end.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <thread>

#include "downloader/downloader_interfaces.h"

namespace ns_IXD {

enum TaskCommandType : int32_t {
    kCommandNone = -1,
    kCommandAdd = 0,
    kCommandRemove = 1,
    kCommandPause = 2,
    kCommandResume = 3,
    kCommandRemoveAll = 4,
};

struct TaskCommand {
    int32_t pid = 0;      // task id of an add command
    int32_t task_id = 0;  // task id of every other command
    int32_t type = kCommandNone;
    int32_t value = 0;  // passed through, never read
    std::u16string url;
    std::u16string folder;
    std::u16string spare;  // passed through, never read
    std::u16string md5;
    std::u16string exe_version;
};

class CTaskOperator {
public:
    CTaskOperator();
    // Stops the worker if it still runs; queued commands are dropped.
    virtual ~CTaskOperator();
    CTaskOperator(const CTaskOperator&) = delete;
    CTaskOperator& operator=(const CTaskOperator&) = delete;

    // Starts the worker, bound to a task manager that outlives the operator.
    void Start(ITaskManager* task_manager);
    void Post(TaskCommand command);
    // Sets the quit flag, wakes the worker and waits for it. Commands still queued are dropped.
    void Stop();

private:
    void Worker();

    std::mutex lock_;
    std::list<TaskCommand> commands_;
    std::thread worker_;
    std::condition_variable wake_;
    ITaskManager* task_manager_ = nullptr;
    std::atomic<bool> quit_{false};
};

}  // namespace ns_IXD
