#include "system/system_folders.h"

#include "formats/utf_conversion.h"
#include "platform/desktop_user.h"
#include "platform/disks.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "system/version_text.h"

namespace {

constexpr char kProgramFolder[] = "/opt/";
constexpr char kSharedDataFolder[] = "/var/lib/";
constexpr char kDefaultBrand[] = "Kelvarosoft";

const char* const kAdminOnlyFolders[] = {"/bin/",   "/boot/",   "/etc/", "/lib/",  "/lib32/",
                                         "/lib64/", "/libx32/", "/opt/", "/sbin/", "/usr/"};

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

std::string ExecutableFolder() {
    std::string executable = platform::GetExecutablePath();
    size_t slash = executable.rfind('/');
    return slash == std::string::npos ? std::string() : executable.substr(0, slash + 1);
}

}  // namespace

std::u16string GetTempFolder() {
    return Utf8ToUtf16(platform::GetTempFolder());
}

ProgramFilesFolders GetProgramFilesFolders() {
    return {Utf8ToUtf16(kProgramFolder), Utf8ToUtf16(kProgramFolder)};
}

std::u16string GetBrandFolder(const std::u16string& brand, BrandFolderBase base) {
    switch (base) {
        case BrandFolderBase::kPublicDocuments:
            return GetBrandFolder(brand, GetSharedDataFolder());
        case BrandFolderBase::kTemp:
            return GetBrandFolder(brand, GetTempFolder());
        case BrandFolderBase::kExecutable:
            return GetBrandFolder(brand, GetExecutableFolder());
    }
    return {};
}

std::u16string GetBrandFolder(const std::u16string& brand, const std::u16string& base_folder) {
    std::string folder = WithSlash(Utf16ToUtf8(base_folder));
    folder += brand.empty() ? std::string(kDefaultBrand) : Utf16ToUtf8(brand);
    folder += '/';
    platform::CreateFolderWithParents(folder);
    return Utf8ToUtf16(folder);
}

std::u16string GetSharedDataFolder() {
    return Utf8ToUtf16(kSharedDataFolder);
}

std::u16string GetExecutableFolder() {
    return Utf8ToUtf16(ExecutableFolder());
}

std::u16string GetDesktopUserLocalAppData() {
    std::optional<platform::DesktopUser> user = platform::FindDesktopUser();
    return user ? Utf8ToUtf16(platform::GetUserDataFolder(*user)) : std::u16string();
}

bool IsAdminOnlyPath(const std::u16string& path) {
    std::string narrow = Utf16ToUtf8(path);
    if (narrow.empty() || narrow[0] != '/') return false;
    std::string normal = WithSlash(platform::NormalizePath(narrow));
    for (const char* folder : kAdminOnlyFolders) {
        if (normal.compare(0, std::char_traits<char>::length(folder), folder) == 0) return true;
    }
    return false;
}

bool IsFolderWritable(const std::u16string& folder) {
    std::string probe = WithSlash(Utf16ToUtf8(folder)) + "ixo.tmp";
    if (!platform::WriteFileAtomically(probe, "")) return false;
    platform::DeleteFile(probe);
    return true;
}

uint64_t GetFreeDiskBytes(const std::u16string& folder) {
    return platform::GetFreeDiskBytes(Utf16ToUtf8(folder));
}

std::vector<std::u16string> GetFixedDrives() {
    std::vector<std::u16string> drives;
    for (const std::string& drive : platform::GetFixedDrives()) drives.push_back(Utf8ToUtf16(drive));
    return drives;
}

std::u16string GetDriveRoot(const std::u16string& path) {
    return Utf8ToUtf16(platform::GetDriveRoot(Utf16ToUtf8(path)));
}

std::u16string GetModulePath() {
    return Utf8ToUtf16(platform::GetExecutablePath());
}

std::u16string GetModuleFileName() {
    std::u16string path = GetModulePath();
    return path.substr(path.rfind(u'/') + 1);
}

std::u16string GetModuleVersion() {
    return GetFileVersionText(GetModulePath()).value_or(std::u16string());
}
