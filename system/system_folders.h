// Folders and disks as the installer asks about them. Folders returned here end in '/'.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The user's temporary folder ($TMPDIR, else /tmp/).
std::u16string GetTempFolder();

// Where programs are installed, for 32-bit and for native packages (the same folder here).
struct ProgramFilesFolders {
    std::u16string x86;
    std::u16string native;
};
ProgramFilesFolders GetProgramFilesFolders();

// The folder named `brand` ("Kelvarosoft" when empty) under one of three bases: the shared data folder
// (/var/lib/), the temporary folder, or the folder of the running executable. Created with its parents when
// missing; the path is returned even when that fails.
enum class BrandFolderBase { kPublicDocuments, kTemp, kExecutable };
std::u16string GetBrandFolder(const std::u16string& brand, BrandFolderBase base);
// The same under any base folder.
std::u16string GetBrandFolder(const std::u16string& brand, const std::u16string& base_folder);

// The base folders above: the shared data folder (/var/lib/) and the running executable's folder.
std::u16string GetSharedDataFolder();
std::u16string GetExecutableFolder();

// The data folder (~/.local/share/) of the user who owns the desktop; empty when no user is known.
std::u16string GetDesktopUserLocalAppData();

// True for a path inside the folders that only the administrator may change: the system's own folders
// (/usr, /etc, /bin, /sbin, /lib*, /boot) and the program folder (/opt). The path's "." and ".." are applied
// to its text first; a relative path is never administrator-only.
bool IsAdminOnlyPath(const std::u16string& path);

// Whether a file "ixo.tmp" can be created (and is then removed) in the folder.
bool IsFolderWritable(const std::u16string& folder);

// Bytes the caller may still write on the disk of `folder`; 0 on failure.
uint64_t GetFreeDiskBytes(const std::u16string& folder);

// The fixed disks' mount points, "/" first.
std::vector<std::u16string> GetFixedDrives();

// The mount point of the disk that holds `path` (which need not exist).
std::u16string GetDriveRoot(const std::u16string& path);

// The running executable: its full path, its file name, and its version stamp as "%d.%d.%d.%d" (empty when
// it carries none).
std::u16string GetModulePath();
std::u16string GetModuleFileName();
std::u16string GetModuleVersion();
