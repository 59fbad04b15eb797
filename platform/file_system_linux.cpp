#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/system_error.h"
#include "platform/system_error_linux.h"

namespace platform {

bool FileExists(const std::string& path) {
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CreateFolderWithParents(const std::string& folder) {
    if (folder.empty()) return false;
    for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
        std::string prefix = folder.substr(0, slash);
        if (!FolderExists(prefix) && mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    if (!FolderExists(folder) && mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return false;
    return FolderExists(folder);
}

std::vector<FolderEntry> ListFolder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    DIR* directory = opendir(folder.c_str());
    if (!directory) return entries;
    std::string base = folder;
    if (base.back() != '/') base += '/';
    while (dirent* item = readdir(directory)) {
        std::string name = item->d_name;
        if (name == "." || name == "..") continue;
        FolderEntry entry;
        entry.name = name;
        struct stat info{};
        if (stat((base + name).c_str(), &info) == 0) {
            entry.is_folder = S_ISDIR(info.st_mode);
            entry.modified_ns = int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        }
        entries.push_back(std::move(entry));
    }
    closedir(directory);
    return entries;
}

bool RenameFile(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty()) {
        SetLastSystemError(kErrorInvalidParameter);
        return false;
    }
    bool renamed = rename(from.c_str(), to.c_str()) == 0;
    SetLastSystemError(renamed ? kErrorSuccess : SystemErrorFromErrno(errno));
    return renamed;
}

bool DeleteFile(const std::string& path) {
    bool deleted = unlink(path.c_str()) == 0;
    SetLastSystemError(deleted ? kErrorSuccess : SystemErrorFromErrno(errno));
    return deleted;
}

std::optional<int64_t> GetFileSize(const std::string& path) {
    struct stat info{};
    if (stat(path.c_str(), &info) != 0) return std::nullopt;
    return int64_t(info.st_size);
}

std::optional<std::string> ReadFile(const std::string& path) {
    int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return std::nullopt;
    std::string content;
    char buffer[65536];
    for (;;) {
        ssize_t count = read(descriptor, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            close(descriptor);
            return std::nullopt;
        }
        if (count == 0) break;
        content.append(buffer, size_t(count));
    }
    close(descriptor);
    return content;
}

bool WriteFileAtomically(const std::string& path, const std::string& content) {
    std::string temporary = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(gettid());
    int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) return false;
    size_t written = 0;
    while (written < content.size()) {
        ssize_t count = write(descriptor, content.data() + written, content.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        written += size_t(count);
    }
    bool ok = written == content.size() && fsync(descriptor) == 0;
    ok = close(descriptor) == 0 && ok;
    if (ok && rename(temporary.c_str(), path.c_str()) == 0) return true;
    unlink(temporary.c_str());
    return false;
}

}  // namespace platform
