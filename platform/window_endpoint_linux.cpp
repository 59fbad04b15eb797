#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <random>

#include "platform/file_system.h"
#include "platform/window_endpoint.h"
#include "platform/window_record_linux.h"

namespace platform {

using namespace window_internal;

namespace {

std::mutex g_native_lock;
std::map<WindowHandle, void*>& NativeWindows() {
    static std::map<WindowHandle, void*> windows;
    return windows;
}

// Serialises creation and clean-up between processes, so that a sweep never removes the socket of a window
// whose record is still being written.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder) {
        descriptor_ = open((folder + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (descriptor_ >= 0) {
            while (flock(descriptor_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FolderLock() {
        if (descriptor_ >= 0) close(descriptor_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int descriptor_ = -1;
};

// Removes the records of ended processes and sockets left without a record by a process that died while it
// created or destroyed its window.
void SweepStaleWindows(const std::string& folder) {
    for (const FolderEntry& entry : ListFolder(folder)) {
        bool is_record = entry.name.size() == 15 && entry.name.compare(8, 7, ".window") == 0;
        bool is_socket = entry.name.size() == 13 && entry.name.compare(8, 5, ".sock") == 0;
        if (entry.is_folder || !(is_record || is_socket)) continue;
        std::string digits = entry.name.substr(0, 8);
        char* end = nullptr;
        unsigned long value = std::strtoul(digits.c_str(), &end, 16);
        if (*end != '\0' || value == 0 || value > 0x7fffffffUL) continue;
        WindowHandle window = WindowHandle(value);
        std::optional<WindowRecord> record = ReadRecord(folder, window);
        if (record && IsOwnerRunning(*record)) continue;
        if (is_record || !record) {
            DeleteFile(RecordPath(folder, window));
            DeleteFile(SocketPath(folder, window));
        }
    }
}

}  // namespace

bool WindowEndpoint::Create(const std::string& class_name, const std::string& title, LoopPoster poster,
                            Handler handler) {
    Destroy();
    if (!poster || !handler) return false;
    std::string folder = WindowFolder();
    if (folder.empty()) return false;
    FolderLock lock(folder);
    SweepStaleWindows(folder);

    std::random_device source;
    std::uniform_int_distribution<int32_t> pick(0x10000, 0x7ffffffe);
    for (int attempt = 0; attempt < 64 && socket_ < 0; ++attempt) {
        WindowHandle candidate = pick(source);
        std::string path = SocketPath(folder, candidate);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof address.sun_path) return false;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        int descriptor = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (descriptor < 0) return false;
        // bind creates the socket file or fails when it exists: it is what reserves the handle.
        if (bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            socket_ = descriptor;
            handle_ = candidate;
            break;
        }
        int error = errno;
        close(descriptor);
        if (error != EADDRINUSE) return false;
    }
    if (socket_ < 0) return false;

    class_name_ = class_name;
    title_ = title;
    minimized_ = false;
    int pipe_ends[2];
    if (pipe2(pipe_ends, O_CLOEXEC) != 0 || !PublishRecord()) {
        close(socket_);
        DeleteFile(SocketPath(folder, handle_));
        socket_ = -1;
        handle_ = 0;
        return false;
    }
    stop_read_ = pipe_ends[0];
    stop_write_ = pipe_ends[1];
    poster_ = std::move(poster);
    handler_ = std::move(handler);
    alive_ = std::make_shared<std::atomic<bool>>(true);
    reader_ = std::thread(&WindowEndpoint::Receive, this);
    return true;
}

bool WindowEndpoint::PublishRecord() {
    std::string folder = WindowFolder();
    std::optional<uint64_t> start = ProcessStartTime(int(getpid()));
    if (folder.empty() || !start) return false;
    WindowRecord record;
    record.handle = handle_;
    record.pid = int(getpid());
    record.start_time = *start;
    record.class_name = class_name_;
    record.title = title_;
    record.minimized = minimized_;
    return WriteFileAtomically(RecordPath(folder, handle_), FormatRecord(record));
}

void WindowEndpoint::Receive() {
    std::string buffer(kMaxDatagram + 1, '\0');
    for (;;) {
        pollfd waits[2] = {{socket_, POLLIN, 0}, {stop_read_, POLLIN, 0}};
        if (poll(waits, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (waits[1].revents) return;
        ssize_t size = recv(socket_, buffer.data(), buffer.size(), MSG_DONTWAIT | MSG_TRUNC);
        if (size < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return;
        }
        if (size_t(size) > kMaxDatagram) continue;  // larger than any sender may send: dropped
        std::optional<WindowMessage> message = DecodeMessage(std::string_view(buffer.data(), size_t(size)));
        if (!message) continue;
        poster_([alive = alive_, handler = handler_, posted = std::move(*message)] {
            if (alive->load()) handler(posted);
        });
    }
}

void WindowEndpoint::Destroy() {
    if (handle_ == 0) return;
    alive_->store(false);
    char stop = 's';
    [[maybe_unused]] ssize_t ignored = write(stop_write_, &stop, 1);
    if (reader_.joinable()) reader_.join();
    close(stop_read_);
    close(stop_write_);
    close(socket_);
    stop_read_ = stop_write_ = socket_ = -1;
    {
        std::lock_guard guard(g_native_lock);
        NativeWindows().erase(handle_);
    }
    std::string folder = WindowFolder();
    if (!folder.empty()) {
        DeleteFile(RecordPath(folder, handle_));
        DeleteFile(SocketPath(folder, handle_));
    }
    handle_ = 0;
    poster_ = nullptr;
    handler_ = nullptr;
}

bool WindowEndpoint::SetTitle(const std::string& title) {
    if (handle_ == 0) return false;
    title_ = title;
    return PublishRecord();
}

bool WindowEndpoint::SetMinimized(bool minimized) {
    if (handle_ == 0) return false;
    minimized_ = minimized;
    return PublishRecord();
}

void WindowEndpoint::SetNativeWindow(void* native_window) {
    if (handle_ == 0) return;
    std::lock_guard guard(g_native_lock);
    if (native_window) {
        NativeWindows()[handle_] = native_window;
    } else {
        NativeWindows().erase(handle_);
    }
}

void* FindNativeWindow(WindowHandle window) {
    std::lock_guard guard(g_native_lock);
    auto found = NativeWindows().find(window);
    return found == NativeWindows().end() ? nullptr : found->second;
}

}  // namespace platform
