#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/paths.h"

namespace platform {
namespace {

// Keeps letters, digits and a few marks; everything else (blanks, slashes) becomes '_' plus its hex code, so
// distinct names stay distinct.
std::string LockFileName(const std::string& name) {
    static const char kHex[] = "0123456789abcdef";
    std::string file = "instance-";
    for (unsigned char c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.') {
            file += char(c);
        } else {
            file += '_';
            file += kHex[c >> 4];
            file += kHex[c & 15];
        }
    }
    return file + ".lock";
}

}  // namespace

SingleInstanceLock::~SingleInstanceLock() { Release(); }

SingleInstanceLock::Result SingleInstanceLock::Acquire(const std::string& name) {
    Release();
    std::string folder = GetRuntimeFolder();
    if (folder.empty()) return Result::kFailed;
    int descriptor = open((folder + LockFileName(name)).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) return Result::kFailed;
    // flock locks belong to the open file description, so a second open in this process conflicts too.
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        close(descriptor);
        return error == EWOULDBLOCK ? Result::kAlreadyExists : Result::kFailed;
    }
    descriptor_ = descriptor;
    return Result::kAcquired;
}

void SingleInstanceLock::Release() {
    if (descriptor_ < 0) return;
    close(descriptor_);  // drops the lock; the file stays so that no unlink can race a new holder
    descriptor_ = -1;
}

}  // namespace platform
