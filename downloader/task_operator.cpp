#include "downloader/task_operator.h"

#include "system/simple_log.h"

namespace ns_IXD {

CTaskOperator::CTaskOperator() = default;

CTaskOperator::~CTaskOperator() {
    Stop();
}

void CTaskOperator::Start(ITaskManager* task_manager) {
    task_manager_ = task_manager;
    worker_ = std::thread(&CTaskOperator::Worker, this);
}

void CTaskOperator::Post(TaskCommand command) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        commands_.push_back(std::move(command));
    }
    wake_.notify_one();
}

void CTaskOperator::Stop() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        quit_.exchange(true);
    }
    wake_.notify_all();
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

void CTaskOperator::Worker() {
    while (true) {
        TaskCommand command;
        {
            std::unique_lock<std::mutex> hold(lock_);
            wake_.wait(hold, [this] { return !commands_.empty() || quit_.load(); });
            if (!task_manager_ || quit_.load()) break;
            command = std::move(commands_.front());
            commands_.pop_front();
        }
        WriteLog(kLogInfo, "[INFO] handle type=[%d], pid=[%d], taskid=[%d]", command.type, command.pid,
                 command.task_id);
        switch (command.type) {
            case kCommandAdd:
                task_manager_->AddTask(command.url, command.folder, command.spare, command.pid,
                                       command.exe_version, command.md5, command.value);
                break;
            case kCommandRemove:
                task_manager_->RemoveTask(command.task_id);
                break;
            case kCommandPause:
                task_manager_->StopTask(command.task_id);
                break;
            case kCommandResume:
                task_manager_->ResumeTask(command.task_id);
                break;
            case kCommandRemoveAll:
                task_manager_->RemoveAllTasks();
                break;
            default:
                break;
        }
    }
}

}  // namespace ns_IXD
