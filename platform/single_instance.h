// A named, process-wide token that at most one process holds at a time: the stand-in for a named
// semaphore of count 1. The kernel releases it when the holding process dies, however it dies.
#pragma once

#include <string>

namespace platform {

class SingleInstanceLock {
public:
    enum class Result { kAcquired, kAlreadyExists, kFailed };

    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // Takes the token called `name` (any text; it is turned into a safe file name in the runtime folder).
    // kAlreadyExists when another process, or another lock object in this process, holds it.
    Result Acquire(const std::string& name);
    void Release();
    bool IsHeld() const { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};

}  // namespace platform
