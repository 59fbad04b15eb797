#include "platform/message_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace platform {
namespace {

constexpr char kTaskByte = 't';
constexpr char kQuitByte = 'q';

std::atomic<int> g_signal_wake_fd{-1};

void OnTerminationSignal(int) {
    int fd = g_signal_wake_fd.load();
    if (fd >= 0) {
        int saved = errno;
        [[maybe_unused]] ssize_t ignored = write(fd, &kQuitByte, 1);
        errno = saved;
    }
}

}  // namespace

MessageLoop::MessageLoop() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        wake_read_ = fds[0];
        wake_write_ = fds[1];
    }
}

MessageLoop::~MessageLoop() {
    int mine = wake_write_;
    g_signal_wake_fd.compare_exchange_strong(mine, -1);
    if (wake_read_ >= 0) close(wake_read_);
    if (wake_write_ >= 0) close(wake_write_);
}

void MessageLoop::Wake(char reason) {
    if (wake_write_ < 0) return;
    // A full pipe already holds a wake-up; only a lost quit would matter, and Run checks for it by reading.
    [[maybe_unused]] ssize_t ignored = write(wake_write_, &reason, 1);
}

void MessageLoop::PostTask(std::function<void()> task) {
    {
        std::lock_guard guard(lock_);
        tasks_.push_back(std::move(task));
    }
    Wake(kTaskByte);
}

void MessageLoop::PostQuit() {
    quit_requested_ = true;
    Wake(kQuitByte);
}

void MessageLoop::QuitOnTerminationSignals() {
    g_signal_wake_fd.store(wake_write_);
    struct sigaction action{};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal_number, &action, nullptr);
}

void MessageLoop::Run() {
    if (wake_read_ < 0) return;
    while (!quit_requested_) {
        pollfd wait{wake_read_, POLLIN, 0};
        if (poll(&wait, 1, -1) < 0 && errno != EINTR) return;
        char bytes[256];
        ssize_t count;
        while ((count = read(wake_read_, bytes, sizeof bytes)) > 0) {
            // The signal handler can only write to the pipe, so its quit request arrives as a byte.
            for (ssize_t i = 0; i < count; ++i) {
                if (bytes[i] == kQuitByte) quit_requested_ = true;
            }
        }
        while (!quit_requested_) {
            std::function<void()> task;
            {
                std::lock_guard guard(lock_);
                if (tasks_.empty()) break;
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            task();
        }
    }
    // A quit posted by a task leaves its byte in the pipe; drain it so that the next Run does not end at once.
    char bytes[256];
    while (read(wake_read_, bytes, sizeof bytes) > 0) {
    }
    std::lock_guard guard(lock_);
    tasks_.clear();
    quit_requested_ = false;
}

}  // namespace platform
