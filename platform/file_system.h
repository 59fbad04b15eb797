// File and folder helpers over the local file system. Paths are UTF-8; nothing here throws.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct FolderEntry {
    std::string name;              // the entry's name, without its folder
    bool is_folder = false;
    int64_t modified_ns = 0;       // last modification, nanoseconds since 1970; 0 when it cannot be read
};

bool FileExists(const std::string& path);    // a regular file (links followed)
bool FolderExists(const std::string& path);

// Creates the folder and every missing parent, walking the path from its start and creating each missing
// prefix; stops at the first creation that fails. True when the folder exists afterwards.
bool CreateFolderWithParents(const std::string& folder);

// The entries directly inside a folder ("." and ".." left out), in no particular order; empty on failure.
std::vector<FolderEntry> ListFolder(const std::string& folder);

// Both set LastSystemError() (platform/system_error.h).
bool RenameFile(const std::string& from, const std::string& to);
bool DeleteFile(const std::string& path);

// Size in bytes, nullopt when the file cannot be read.
std::optional<int64_t> GetFileSize(const std::string& path);

// Whole-file read and write. WriteFileAtomically writes a temporary file beside the target, flushes it to disk
// and renames it over the target, so a reader sees the old or the new content, never a mixture.
std::optional<std::string> ReadFile(const std::string& path);
bool WriteFileAtomically(const std::string& path, const std::string& content);

}  // namespace platform
