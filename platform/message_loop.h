// A plain message loop for the main thread: runs tasks posted from any thread until a quit request.
// It is what the process runs while it has no window of its toolkit to run a loop for.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

namespace platform {

class MessageLoop {
public:
    MessageLoop();
    ~MessageLoop();
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    // Runs on the calling thread until PostQuit; tasks run in the order they were posted.
    void Run();

    // Both are safe from any thread; a task posted after the quit request is not run.
    void PostTask(std::function<void()> task);
    void PostQuit();

    // Makes SIGINT, SIGTERM and SIGHUP a quit request of this loop (the last loop to ask gets them).
    void QuitOnTerminationSignals();

private:
    void Wake(char reason);

    int wake_read_ = -1;
    int wake_write_ = -1;
    std::atomic<bool> quit_requested_{false};
    std::mutex lock_;
    std::deque<std::function<void()>> tasks_;
};

}  // namespace platform
