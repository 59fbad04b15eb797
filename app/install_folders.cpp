#include "app/install_folders.h"

#include <cerrno>

#include "formats/utf_conversion.h"
#include "platform/file_system.h"
#include "system/installed_products.h"
#include "system/simple_log.h"
#include "system/system_folders.h"

namespace {

std::u16string DownloadFolderOn(const std::u16string& drive, const std::u16string& brand) {
    std::u16string folder = drive;
    if (!brand.empty()) folder += brand + u"/";
    return folder + u"Download/";
}

std::u16string AsciiLower(std::u16string text) {
    for (char16_t& c : text) c = c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
    return text;
}

}  // namespace

FolderPlaces FolderPlaces::OfThisMachine() {
    FolderPlaces places;
    places.fixed_drives = GetFixedDrives();
    places.shared_data = GetSharedDataFolder();
    places.executable_folder = GetExecutableFolder();
    places.temp_folder = GetTempFolder();
    places.free_bytes = [](const std::u16string& folder) { return GetFreeDiskBytes(folder); };
    return places;
}

std::u16string GetLargestFreeFolder(const std::u16string& brand, const FolderPlaces& places) {
    std::u16string largest;
    uint64_t most = 0;
    for (const std::u16string& drive : places.fixed_drives) {
        uint64_t free_bytes = places.free_bytes ? places.free_bytes(drive) : 0;
        if (largest.empty() || free_bytes > most) {
            largest = drive;
            most = free_bytes;
        }
    }
    if (largest.empty() || largest == places.system_drive) return GetBrandFolder(brand, places.shared_data);
    std::u16string folder = DownloadFolderOn(largest, brand);
    if (!platform::CreateFolderWithParents(Utf16ToUtf8(folder))) {
        WriteLog(kLogError, "[ERROR] create folder=[%s] failed!", Utf16ToUtf8(folder).c_str());
    }
    return folder;
}

std::u16string GetWorkingFolder(const std::u16string& brand, bool any_disk, const FolderPlaces& places) {
    std::u16string folder;
    if (!any_disk) {
        for (const std::u16string& drive : places.fixed_drives) {
            std::u16string candidate = DownloadFolderOn(drive, brand);
            if (platform::FolderExists(Utf16ToUtf8(candidate))) {
                folder = candidate;
                break;
            }
        }
    }
    if (folder.empty()) folder = GetLargestFreeFolder(brand, places);

    errno = 0;
    if (IsFolderWritable(folder)) return folder;
    WriteLog(kLogWarn, "[WARN] get default folder=[%s] failed, err=[%d].", Utf16ToUtf8(folder).c_str(),
             errno);
    folder = GetBrandFolder(brand, places.executable_folder);
    errno = 0;
    if (IsFolderWritable(folder)) return folder;
    WriteLog(kLogWarn, "[WARN] get exe folder=[%s] failed, err=[%d].", Utf16ToUtf8(folder).c_str(), errno);
    folder = GetBrandFolder(brand, places.temp_folder);
    errno = 0;
    if (!IsFolderWritable(folder)) {
        WriteLog(kLogError, "[ERROR] get temp folder=[%s] failed! err=[%d].", Utf16ToUtf8(folder).c_str(),
                 errno);
    }
    return folder;
}

std::u16string GetInstallParent(const std::u16string& server_custom_install_path,
                                const ProductConfig& config) {
    std::u16string candidate =
        server_custom_install_path.empty() ? config.CustomInstallPath : server_custom_install_path;
    if (AsciiLower(candidate) == u"%localappdata%") {
        candidate = GetDesktopUserLocalAppData();
    } else if (!candidate.empty() &&
               (candidate[0] != u'/' || !platform::FolderExists(Utf16ToUtf8(GetDriveRoot(candidate))))) {
        candidate.clear();
    }
    if (!candidate.empty()) return candidate;

    std::u16string installed = GetInstalledValue(config.ProductBrand, config.ProductID, u"InstallPath");
    std::u16string marker = u"/" + config.ProductBrand + u"/";
    size_t at = installed.find(marker);
    if (config.ProductBrand.empty() || at == std::u16string::npos) return {};
    return installed.substr(0, at + 1);
}
