#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/file_system.h"

namespace platform {
namespace {

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

bool IsFolder(const char* path) {
    struct stat info{};
    return path && *path && stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string GetTempFolder() {
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir && *tmpdir) return WithTrailingSlash(tmpdir);
    return "/tmp/";
}

std::string GetRuntimeFolder() {
    std::string folder;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (IsFolder(runtime)) {
        folder = WithTrailingSlash(runtime) + "ixo/";
    } else if (geteuid() == 0) {
        folder = "/run/ixo/";
    } else {
        folder = GetTempFolder() + "ixo-" + std::to_string(geteuid()) + "/";
    }
    if (!CreateFolderWithParents(folder)) return {};
    chmod(folder.c_str(), 0700);
    return folder;
}

std::string GetExecutablePath() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

}  // namespace platform
