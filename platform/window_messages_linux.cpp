#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/window_messages.h"
#include "platform/window_record_linux.h"

namespace platform {

using namespace window_internal;

WindowHandle FindWindow(const std::string& class_name, const std::string& title) {
    std::string folder = WindowFolder();
    if (folder.empty()) return 0;
    for (const WindowRecord& record : ReadAllRecords(folder)) {
        if (record.class_name == class_name && record.title == title && IsOwnerRunning(record)) {
            return record.handle;
        }
    }
    return 0;
}

bool IsWindow(WindowHandle window) {
    if (window <= 0) return false;
    std::string folder = WindowFolder();
    if (folder.empty()) return false;
    std::optional<WindowRecord> record = ReadRecord(folder, window);
    return record && IsOwnerRunning(*record);
}

bool IsWindowMinimized(WindowHandle window) {
    if (window <= 0) return false;
    std::string folder = WindowFolder();
    if (folder.empty()) return false;
    std::optional<WindowRecord> record = ReadRecord(folder, window);
    return record && IsOwnerRunning(*record) && record->minimized;
}

namespace {

constexpr int kSendLimitSeconds = 2;

bool Send(WindowHandle window, const WindowMessage& message) {
    if (window <= 0 || message.data.size() > kMaxMessageData) return false;
    std::string folder = WindowFolder();
    if (folder.empty()) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = SocketPath(folder, window);
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    int sender = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sender < 0) return false;
    std::string datagram = EncodeMessage(message);
    // The kernel queues only a few datagrams per socket (net.unix.max_dgram_qlen, often 10); the owner's
    // reader drains them at once, so a sender may wait for room, but never longer than kSendLimit: an owner
    // that has stopped reading fails the post, as a full message queue does.
    timeval limit{kSendLimitSeconds, 0};
    setsockopt(sender, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    ssize_t sent;
    do {
        sent = sendto(sender, datagram.data(), datagram.size(), MSG_NOSIGNAL,
                      reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (sent < 0 && errno == EINTR);
    close(sender);
    return sent == ssize_t(datagram.size());
}

}  // namespace

bool PostWindowMessage(WindowHandle window, uint32_t message, int64_t wparam, int64_t lparam) {
    WindowMessage posted;
    posted.message = message;
    posted.wparam = wparam;
    posted.lparam = lparam;
    return Send(window, posted);
}

bool PostWindowData(WindowHandle window, uint32_t message, int64_t wparam, const std::u16string& data) {
    WindowMessage posted;
    posted.message = message;
    posted.wparam = wparam;
    posted.has_data = true;
    posted.data = data;
    return Send(window, posted);
}

}  // namespace platform
