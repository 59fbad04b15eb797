#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <sstream>

#include "platform/file_system.h"
#include "platform/read_only_hold.h"

namespace platform {

bool ReadOnlyHold::Open(const std::string& path, int* error) {
    Close();
    int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        if (error) *error = errno;
        return false;
    }
    struct stat info {};
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (error) *error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        close(descriptor);
        return false;
    }
    if (flock(descriptor, LOCK_SH | LOCK_NB) != 0) {
        if (error) *error = errno == EWOULDBLOCK ? EBUSY : errno;
        close(descriptor);
        return false;
    }
    descriptor_ = descriptor;
    return true;
}

void ReadOnlyHold::Close() {
    if (descriptor_ < 0) return;
    close(descriptor_);
    descriptor_ = -1;
}

bool IsFileHeld(const std::string& path) {
    // /proc/locks names every lock by device and inode; reading it disturbs no holder, where a probing lock
    // of our own could make a holder's Open fail for a moment.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return false;
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%llu", major(info.st_dev), minor(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    std::optional<std::string> locks = ReadFile("/proc/locks");
    if (!locks) return false;
    std::istringstream lines(*locks);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string id, kind, mode, access, pid, inode;
        fields >> id >> kind;
        if (kind == "->") continue;  // a waiter, not a holder
        fields >> mode >> access >> pid >> inode;
        if (kind == "FLOCK" && inode == wanted) return true;
    }
    return false;
}

}  // namespace platform
