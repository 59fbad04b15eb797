// An auto-reset event: Signal lets one waiter through (or the next one to wait) and resets itself.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace analytics {

class CWakeEvent {
public:
    // Sets the event; a signal given while nobody waits is kept for the next Wait.
    void Signal();

    // Blocks until the event is set, then resets it.
    void Wait();

private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool signalled_ = false;
};

}  // namespace analytics
