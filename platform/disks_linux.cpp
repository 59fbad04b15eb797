#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>

#include "platform/disks.h"
#include "platform/file_system.h"

namespace platform {
namespace {

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string DecodeOctalEscapes(std::string_view field) {
    std::string decoded;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::all_of(field.begin() + i + 1, field.begin() + i + 4,
                        [](char c) { return c >= '0' && c <= '7'; })) {
            decoded += char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            decoded += field[i];
        }
    }
    return decoded;
}

std::vector<MountEntry> ReadMounts() {
    std::optional<std::string> table = ReadFile("/proc/self/mounts");
    return table ? ParseMountTable(*table) : std::vector<MountEntry>();
}

bool IsBlockDeviceMount(const MountEntry& mount) {
    struct stat source {};
    struct stat target {};
    return mount.source.compare(0, 5, "/dev/") == 0 && stat(mount.source.c_str(), &source) == 0 &&
           S_ISBLK(source.st_mode) && stat(mount.mount_point.c_str(), &target) == 0 &&
           S_ISDIR(target.st_mode);
}

}  // namespace

std::vector<MountEntry> ParseMountTable(std::string_view text) {
    std::vector<MountEntry> mounts;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::vector<std::string_view> fields;
        size_t begin = 0;
        while (fields.size() < 3) {
            size_t start = line.find_first_not_of(' ', begin);
            if (start == std::string_view::npos) break;
            size_t stop = line.find(' ', start);
            fields.push_back(
                line.substr(start, stop == std::string_view::npos ? line.size() - start : stop - start));
            if (stop == std::string_view::npos) break;
            begin = stop;
        }
        if (fields.size() < 3) continue;
        MountEntry entry{DecodeOctalEscapes(fields[0]), DecodeOctalEscapes(fields[1]),
                         std::string(fields[2])};
        if (entry.mount_point.empty() || entry.mount_point[0] != '/') continue;
        mounts.push_back(std::move(entry));
    }
    return mounts;
}

std::vector<std::string> FixedDrivesOf(const std::vector<MountEntry>& mounts,
                                       const std::function<bool(const MountEntry&)>& is_fixed) {
    std::vector<std::string> drives = {"/"};
    for (const MountEntry& mount : mounts) {
        std::string root = WithSlash(mount.mount_point);
        if (root == "/" || !is_fixed(mount)) continue;
        if (std::find(drives.begin(), drives.end(), root) == drives.end()) drives.push_back(root);
    }
    return drives;
}

std::string NormalizePath(const std::string& path) {
    std::vector<std::string> parts;
    size_t begin = 0;
    while (begin <= path.size()) {
        size_t end = path.find('/', begin);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(begin, end - begin);
        begin = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string normal = "/";
    for (const std::string& part : parts) normal += part + "/";
    if (normal.size() > 1 && (path.empty() || path.back() != '/')) normal.pop_back();
    return normal;
}

std::string DriveRootOf(const std::vector<MountEntry>& mounts, const std::string& path) {
    std::string target = WithSlash(NormalizePath(path));
    std::string best = "/";
    for (const MountEntry& mount : mounts) {
        std::string root = WithSlash(NormalizePath(mount.mount_point));
        if (root.size() > best.size() && target.compare(0, root.size(), root) == 0) best = root;
    }
    return best;
}

std::vector<std::string> GetFixedDrives() {
    return FixedDrivesOf(ReadMounts(), IsBlockDeviceMount);
}

std::string GetDriveRoot(const std::string& path) {
    return DriveRootOf(ReadMounts(), path);
}

uint64_t GetFreeDiskBytes(const std::string& folder) {
    struct statvfs info {};
    if (folder.empty() || statvfs(folder.c_str(), &info) != 0) return 0;
    return uint64_t(info.f_bavail) * uint64_t(info.f_frsize);
}

}  // namespace platform
