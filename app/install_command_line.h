// The command lines handed to the installers of the packages: the contract with the product installers.
// Folders end in '/'; a folder or log path is quoted; the window handle is upper-case hexadecimal.
#pragma once

#include <cstdint>
#include <string>

#include "app/down_task.h"

struct InstallLineContext {
    std::u16string language_code;  // "DEU", ...
    std::u16string temp_folder;    // ends in '/'
    int32_t window = 0;            // the main window's handle
    bool privacy_post = false;     // the configuration's PrivacyPost is "1"
    std::u16string clipboard_value;
    bool fork_mode = false;
    std::u16string host_info_path;  // the companion's host information file (fork mode)
};

// temp folder + "IXO-" + id + ".log"
std::u16string InstallerLogPath(const std::u16string& temp_folder, int32_t id);

// The product's line; `install_folder` may be empty (no startup task), the switches then carry "".
std::u16string BuildProductInstallLine(const DownTask& task, const std::u16string& install_folder,
                                       const InstallLineContext& context);

// A dependent's line; the folder switches only for the startup task.
std::u16string BuildDependentInstallLine(const DownTask& task, const std::u16string& install_folder,
                                         const InstallLineContext& context);

// The .NET Framework installer's line, with its trailing blank.
inline constexpr char16_t kDotNetInstallLine[] = u"/VERYSILENT /NOPAGE ";
