// Starting another program and waiting for it: the stand-in for process creation, shell execution of a
// program, waiting with a time limit and termination.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct ProcessStart {
    std::string program;                 // path of the executable file; no search along PATH
    std::vector<std::string> arguments;  // after the program name, each passed as one argument
    std::string working_folder;          // empty: the caller's
    bool hidden = false;                 // standard input, output and error go to /dev/null
};

// One started process. The object reaps what it started: the destructor of a process that is still running
// kills it, unless Detach handed it over.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False when the program could not be started (missing, not executable, not a program); `error` then
    // receives the errno value. The signal mask and dispositions of the caller are not inherited.
    bool Start(const ProcessStart& start, int* error = nullptr);

    // Waits for the end of the process, at most `timeout_ms` milliseconds (negative: without a limit).
    // The exit status (0-255), or 128 + the signal number for a process ended by a signal; nullopt on
    // time-out or when nothing runs.
    std::optional<int> Wait(int timeout_ms = -1);

    // Kills the process (SIGKILL) and reaps it. False when nothing runs.
    bool Terminate();

    // Lets the process run on after this object is gone; a background thread reaps it when it ends.
    void Detach();

    int Pid() const { return pid_; }
    bool IsStarted() const { return pid_ > 0; }

private:
    void Reset();

    int pid_ = -1;
    int pid_descriptor_ = -1;  // pidfd of the child, -1 where the kernel has none
};

// Adds the execute permission wherever the read permission is set, as a downloaded program arrives without
// it. True when the file is executable by its owner afterwards.
bool MakeExecutable(const std::string& path);

// Whether `path` is a regular file that the calling user may execute.
bool IsExecutableFile(const std::string& path);

}  // namespace platform
