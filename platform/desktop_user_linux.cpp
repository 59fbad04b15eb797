#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/desktop_user.h"
#include "platform/file_system.h"

namespace platform {
namespace {

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

std::optional<unsigned> ParseUid(const char* text) {
    if (!text || !*text) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    unsigned long value = std::strtoul(text, &end, 10);
    if (*end != '\0' || errno == ERANGE || value >= 0xffffffffUL) return std::nullopt;
    return unsigned(value);
}

std::optional<unsigned> SocketOwner(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) return std::nullopt;
    return unsigned(info.st_uid);
}

// The owner of the display server's socket: the user a compositor or a rootless X server runs as.
std::optional<unsigned> DisplayOwner() {
    if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland && *wayland) {
        std::string path = wayland;
        if (path[0] != '/') {
            const char* runtime = std::getenv("XDG_RUNTIME_DIR");
            path = runtime && *runtime ? WithSlash(runtime) + path : std::string();
        }
        if (auto owner = SocketOwner(path)) return owner;
    }
    if (const char* display = std::getenv("DISPLAY"); display && display[0] == ':') {
        std::string number = display + 1;
        number = number.substr(0, number.find('.'));
        if (auto owner = SocketOwner("/tmp/.X11-unix/X" + number)) return owner;
    }
    return std::nullopt;
}

bool IsEffectiveUser(const DesktopUser& user) {
    return user.uid == unsigned(geteuid());
}

}  // namespace

std::optional<DesktopUser> FindDesktopUser() {
    std::optional<unsigned> uid = ParseUid(std::getenv("PKEXEC_UID"));
    if (!uid) uid = ParseUid(std::getenv("SUDO_UID"));
    if (!uid) {
        uid = DisplayOwner();
        if (uid && *uid == 0) uid.reset();  // a display server run by root tells nothing about the user
    }
    if (!uid) uid = unsigned(geteuid());

    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(*uid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return std::nullopt;
    DesktopUser user;
    user.uid = *uid;
    user.gid = unsigned(entry.pw_gid);
    user.name = entry.pw_name ? entry.pw_name : "";
    user.home = WithSlash(entry.pw_dir ? entry.pw_dir : "");
    // For ourselves the environment knows better than the account database (and lets tests move us).
    if (IsEffectiveUser(user)) {
        if (const char* home = std::getenv("HOME"); home && home[0] == '/') user.home = WithSlash(home);
    }
    if (user.home.empty()) return std::nullopt;
    return user;
}

std::string GetUserDataFolder(const DesktopUser& user) {
    if (user.home.empty()) return {};
    if (IsEffectiveUser(user)) {
        if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') return WithSlash(data);
    }
    return user.home + ".local/share/";
}

std::string GetUserDesktopFolder(const DesktopUser& user) {
    if (user.home.empty()) return {};
    std::string config = user.home + ".config/";
    if (IsEffectiveUser(user)) {
        if (const char* home = std::getenv("XDG_CONFIG_HOME"); home && home[0] == '/')
            config = WithSlash(home);
    }
    if (std::optional<std::string> dirs = ReadFile(config + "user-dirs.dirs")) {
        std::istringstream lines(*dirs);
        std::string line;
        while (std::getline(lines, line)) {
            const std::string key = "XDG_DESKTOP_DIR=\"";
            if (line.compare(0, key.size(), key) != 0 || line.size() < key.size() + 1 || line.back() != '"')
                continue;
            std::string value = line.substr(key.size(), line.size() - key.size() - 1);
            if (value.compare(0, 5, "$HOME") == 0) {
                value = user.home + (value.size() > 5 && value[5] == '/' ? value.substr(6) : value.substr(5));
            }
            if (!value.empty() && value[0] == '/') return WithSlash(value);
        }
    }
    return user.home + "Desktop/";
}

}  // namespace platform
