#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_handle.h"
#include "platform/system_error.h"
#include "platform/system_error_linux.h"

namespace platform {

namespace {

constexpr int64_t kLargestWrite = 1 << 20;

bool Fail(int native) {
    SetLastSystemError(SystemErrorFromErrno(native));
    return false;
}

bool Succeed() {
    SetLastSystemError(kErrorSuccess);
    return true;
}

}  // namespace

FileHandle::~FileHandle() {
    Close();
}

FileHandle::FileHandle(FileHandle&& other) noexcept : descriptor_(other.descriptor_) {
    other.descriptor_ = -1;
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        descriptor_ = other.descriptor_;
        other.descriptor_ = -1;
    }
    return *this;
}

bool FileHandle::Open(const std::string& path, Mode mode) {
    Close();
    int flags = O_RDWR | O_CLOEXEC;
    if (mode == Mode::kCreateAlways) flags |= O_CREAT | O_TRUNC;
    descriptor_ = open(path.c_str(), flags, 0644);
    if (descriptor_ < 0) return Fail(errno);
    return Succeed();
}

void FileHandle::Close() {
    if (descriptor_ >= 0) close(descriptor_);
    descriptor_ = -1;
}

bool FileHandle::WriteAt(int64_t offset, const void* data, int64_t length) {
    if (descriptor_ < 0) return Fail(EBADF);
    if (offset < 0) {
        SetLastSystemError(kErrorNegativeSeek);
        return false;
    }
    const char* bytes = static_cast<const char*>(data);
    while (length > 0) {
        // At most 1 MiB per call: for a single write of 2 MiB or more the page cache takes whole 2 MiB pages,
        // and that costs many times the copy itself (5 MiB writes ran at 0.6 GB/s, 1 MiB ones at 7 GB/s).
        size_t piece = size_t(std::min(length, kLargestWrite));
        ssize_t done = pwrite(descriptor_, bytes, piece, off_t(offset));
        if (done < 0) {
            if (errno == EINTR) continue;
            return Fail(errno);
        }
        if (done == 0) return Fail(ENOSPC);
        bytes += done;
        offset += done;
        length -= done;
    }
    return Succeed();
}

bool FileHandle::ReadAt(int64_t offset, void* data, int64_t length) {
    if (descriptor_ < 0) return Fail(EBADF);
    if (offset < 0) {
        SetLastSystemError(kErrorNegativeSeek);
        return false;
    }
    char* bytes = static_cast<char*>(data);
    while (length > 0) {
        ssize_t done = pread(descriptor_, bytes, size_t(length), off_t(offset));
        if (done < 0) {
            if (errno == EINTR) continue;
            return Fail(errno);
        }
        if (done == 0) return Fail(EIO);
        bytes += done;
        offset += done;
        length -= done;
    }
    return Succeed();
}

bool FileHandle::SetEndOfFile(int64_t size) {
    if (descriptor_ < 0) return Fail(EBADF);
    if (size < 0) {
        SetLastSystemError(kErrorNegativeSeek);
        return false;
    }
    if (ftruncate(descriptor_, off_t(size)) != 0) return Fail(errno);
    return Succeed();
}

bool FileHandle::Reserve(int64_t size) {
    if (descriptor_ < 0) return Fail(EBADF);
    if (size < 0) {
        SetLastSystemError(kErrorNegativeSeek);
        return false;
    }
    if (size == 0) return SetEndOfFile(0);
    // posix_fallocate returns the error instead of setting errno; it falls back to writing zeros where the
    // file system cannot allocate.
    int error = posix_fallocate(descriptor_, 0, off_t(size));
    if (error != 0) return Fail(error);
    return SetEndOfFile(size);
}

std::optional<int64_t> FileHandle::Size() const {
    struct stat info {};
    if (descriptor_ < 0 || fstat(descriptor_, &info) != 0) return std::nullopt;
    return int64_t(info.st_size);
}

}  // namespace platform
