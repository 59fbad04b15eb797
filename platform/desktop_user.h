// The user who owns the desktop session, and that user's folders. The installer runs as root; files meant
// for the person in front of the screen (desktop shortcuts, per-user data) belong to that user.
#pragma once

#include <optional>
#include <string>

namespace platform {

struct DesktopUser {
    unsigned uid = 0;
    unsigned gid = 0;
    std::string name;
    std::string home;  // ends in '/'
};

// The user who started us through pkexec (PKEXEC_UID) or sudo (SUDO_UID), else the owner of the display
// server's socket (Wayland, then X11) when that is an ordinary user, else the effective user. nullopt when
// the account cannot be read.
std::optional<DesktopUser> FindDesktopUser();

// The user's data folder: $XDG_DATA_HOME for the effective user when set, else <home>.local/share/. Empty
// when no user is known. Ends in '/'.
std::string GetUserDataFolder(const DesktopUser& user);

// The user's desktop folder from XDG_DESKTOP_DIR in user-dirs.dirs, else <home>Desktop/. Ends in '/'.
// Whether it exists is not checked.
std::string GetUserDesktopFolder(const DesktopUser& user);

}  // namespace platform
