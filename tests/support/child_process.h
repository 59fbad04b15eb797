// Runs a program in a child process for tests: given arguments and extra environment, its output captured,
// and a way to wait for it or to end it.
#pragma once

#include <sys/types.h>

#include <time.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

class ChildProcess {
public:
    // Starts `argv[0]` (a path) with `argv`; `environment` entries ("NAME=value") are added to this process's
    // environment, and names listed in `unset` are removed. Standard output and error go to a temporary file.
    ChildProcess(std::vector<std::string> argv, std::vector<std::string> environment = {},
                 std::vector<std::string> unset = {});
    ~ChildProcess();  // kills the child if it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    // The exit status (0-255), or nullopt when the child did not end within `limit` or died by a signal.
    std::optional<int> Wait(std::chrono::milliseconds limit = std::chrono::seconds(30));

    void Signal(int signal_number);

    // What the child wrote to standard output and error so far.
    std::string Output() const;

private:
    pid_t pid_ = -1;
    std::string output_path_;
    bool reaped_ = false;
};

// Polls `predicate` until it holds or `limit` passes; true when it held.
template <typename Predicate>
bool WaitUntil(Predicate predicate, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        struct timespec pause{0, 10 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    return true;
}

}  // namespace test_support
