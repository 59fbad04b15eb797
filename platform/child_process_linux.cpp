#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/child_process.h"

extern char** environ;

namespace platform {
namespace {

int ExitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

// waitpid without EINTR surprises; the exit code, or nullopt when the child has not ended (WNOHANG).
std::optional<int> Reap(int pid, int flags) {
    for (;;) {
        int status = 0;
        pid_t result = waitpid(pid, &status, flags);
        if (result == pid) return ExitCodeOf(status);
        if (result == 0) return std::nullopt;
        if (errno != EINTR) return -1;  // not our child any more: nothing left to wait for
    }
}

}  // namespace

ChildProcess::~ChildProcess() {
    if (IsStarted()) Terminate();
    Reset();
}

void ChildProcess::Reset() {
    if (pid_descriptor_ >= 0) close(pid_descriptor_);
    pid_descriptor_ = -1;
    pid_ = -1;
}

bool ChildProcess::Start(const ProcessStart& start, int* error) {
    if (IsStarted()) Terminate();
    Reset();

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(start.program.c_str()));
    for (const std::string& argument : start.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (start.hidden) {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    if (!start.working_folder.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, start.working_folder.c_str());
    }

    // The child starts with an empty signal mask and default dispositions, whatever this process has set up
    // for its own loop.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t empty;
    sigemptyset(&empty);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGCHLD, SIGQUIT}) {
        sigaddset(&defaults, signal_number);
    }
    posix_spawnattr_setsigmask(&attributes, &empty);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    int result = posix_spawn(&pid, start.program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        if (error) *error = result;
        return false;
    }
    pid_ = pid;
    pid_descriptor_ = int(syscall(SYS_pidfd_open, pid, 0));
    return true;
}

std::optional<int> ChildProcess::Wait(int timeout_ms) {
    if (!IsStarted()) return std::nullopt;
    std::optional<int> code;
    if (timeout_ms < 0) {
        code = Reap(pid_, 0);
    } else if (pid_descriptor_ >= 0) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd ended{pid_descriptor_, POLLIN, 0};
            int ready = poll(&ended, 1, int(std::max<int64_t>(0, left.count())));
            if (ready > 0) {
                code = Reap(pid_, 0);
                break;
            }
            if (ready == 0 || errno != EINTR) return std::nullopt;
        }
    } else {
        // Kernels without pidfd: look again every few milliseconds until the deadline.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (!(code = Reap(pid_, WNOHANG))) {
            if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    Reset();
    return code;
}

bool ChildProcess::Terminate() {
    if (!IsStarted()) return false;
    kill(pid_, SIGKILL);
    Reap(pid_, 0);
    Reset();
    return true;
}

void ChildProcess::Detach() {
    if (!IsStarted()) return;
    int pid = pid_;
    std::thread([pid] { Reap(pid, 0); }).detach();
    Reset();
}

bool MakeExecutable(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    mode_t mode = info.st_mode & 07777;
    if (mode & S_IRUSR) mode |= S_IXUSR;
    if (mode & S_IRGRP) mode |= S_IXGRP;
    if (mode & S_IROTH) mode |= S_IXOTH;
    if (mode != (info.st_mode & 07777) && chmod(path.c_str(), mode) != 0) return false;
    return (mode & S_IXUSR) != 0;
}

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace platform
