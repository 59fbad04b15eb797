#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "platform/file_lockers.h"

namespace platform {

namespace {

bool IsNumber(const char* text) {
    if (!*text) return false;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9') return false;
    }
    return true;
}

// Whether one of the process's descriptors is the file (same device and inode).
bool HoldsFile(const std::string& process_folder, dev_t device, ino_t inode) {
    std::string fd_folder = process_folder + "/fd";
    DIR* descriptors = opendir(fd_folder.c_str());
    if (!descriptors) return false;
    bool found = false;
    while (dirent* item = readdir(descriptors)) {
        if (!IsNumber(item->d_name)) continue;
        struct stat info {};
        if (stat((fd_folder + "/" + item->d_name).c_str(), &info) == 0 && info.st_dev == device &&
            info.st_ino == inode) {
            found = true;
            break;
        }
    }
    closedir(descriptors);
    return found;
}

}  // namespace

std::vector<FileLocker> ListFileLockers(const std::string& path, size_t max_count) {
    std::vector<FileLocker> lockers;
    struct stat target {};
    if (stat(path.c_str(), &target) != 0) return lockers;
    DIR* processes = opendir("/proc");
    if (!processes) return lockers;
    std::vector<uint32_t> ids;
    while (dirent* item = readdir(processes)) {
        if (IsNumber(item->d_name)) ids.push_back(uint32_t(std::strtoul(item->d_name, nullptr, 10)));
    }
    closedir(processes);
    std::sort(ids.begin(), ids.end());
    for (uint32_t id : ids) {
        if (lockers.size() >= max_count) break;
        std::string folder = "/proc/" + std::to_string(id);
        if (!HoldsFile(folder, target.st_dev, target.st_ino)) continue;
        FileLocker locker;
        locker.process_id = id;
        std::ifstream comm(folder + "/comm");
        std::getline(comm, locker.name);
        lockers.push_back(std::move(locker));
    }
    return lockers;
}

bool FileInUseByOtherProcess(const std::string& path) {
    for (const FileLocker& locker : ListFileLockers(path, 64)) {
        if (locker.process_id != uint32_t(getpid())) return true;
    }
    return false;
}

}  // namespace platform
