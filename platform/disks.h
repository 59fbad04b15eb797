// Disks as the installer sees them: the stand-in for drive letters. A "drive" is a mount point; a "fixed
// drive" is the mount point of a file system on a block device; the drive of a path is the mount point that
// contains it (longest match). Every folder returned here ends in '/'.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// "/" first (the system's own disk, whatever it is mounted from), then the other fixed drives in mount
// order, each once.
std::vector<std::string> GetFixedDrives();

// The mount point that contains `path` (an absolute path, "." and ".." resolved by their text; the path need
// not exist). "/" when nothing else matches.
std::string GetDriveRoot(const std::string& path);

// Bytes that the caller may still write on the file system that holds `folder`; 0 on failure.
uint64_t GetFreeDiskBytes(const std::string& folder);

// The pieces above, over a given mount table (the text of /proc/self/mounts), for tests.
struct MountEntry {
    std::string source;
    std::string mount_point;  // octal escapes (\040 for a blank) decoded
    std::string type;
};
std::vector<MountEntry> ParseMountTable(std::string_view text);
std::vector<std::string> FixedDrivesOf(const std::vector<MountEntry>& mounts,
                                       const std::function<bool(const MountEntry&)>& is_fixed);
std::string DriveRootOf(const std::vector<MountEntry>& mounts, const std::string& path);

// "/a/./b/../c//" -> "/a/c/": the path with "." and ".." applied to its text (never above "/"); a trailing
// '/' is kept when the input had one.
std::string NormalizePath(const std::string& path);

}  // namespace platform
