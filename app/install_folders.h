// Where packages are downloaded to and where products are installed: the working folder and the install
// parent folder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/product_config.h"

// The places of the machine that the folder rules look at; tests build their own.
struct FolderPlaces {
    std::vector<std::u16string> fixed_drives;  // mount points, "/" first
    std::u16string system_drive = u"/";        // the disk of the system's own files
    std::u16string shared_data;                // /var/lib/
    std::u16string executable_folder;
    std::u16string temp_folder;
    std::function<uint64_t(const std::u16string&)> free_bytes;

    static FolderPlaces OfThisMachine();
};

// The folder that receives the downloads: unless `any_disk`, the first existing <drive><brand>/Download/ of
// the fixed drives; otherwise, or when there is none, GetLargestFreeFolder. A folder that cannot be written
// to gives way to <brand> under the executable's folder, then under the temporary folder (logged).
std::u16string GetWorkingFolder(const std::u16string& brand, bool any_disk, const FolderPlaces& places);

// <brand> under the shared data folder when the fixed drive with the most free bytes is the system's disk;
// else <that drive><brand>/Download/, created (a failure is logged, the path returned all the same).
std::u16string GetLargestFreeFolder(const std::u16string& brand, const FolderPlaces& places);

// The preferred install parent folder: the server's custom folder, else the configured one; "%localappdata%"
// (any letter case) stands for the desktop user's data folder, and a path that is not absolute or whose disk
// does not exist counts as none. Without one, the folder above "/<brand>/" of an existing installation, else
// empty.
std::u16string GetInstallParent(const std::u16string& server_custom_install_path,
                                const ProductConfig& config);
