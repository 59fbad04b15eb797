#include "analytics/wake_event.h"

namespace analytics {

void CWakeEvent::Signal() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        signalled_ = true;
    }
    changed_.notify_one();
}

void CWakeEvent::Wait() {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [this] { return signalled_; });
    signalled_ = false;
}

}  // namespace analytics
