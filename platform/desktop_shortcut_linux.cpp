#include <sys/stat.h>
#include <unistd.h>

#include "platform/desktop_shortcut.h"
#include "platform/desktop_user.h"
#include "platform/file_system.h"

namespace platform {
namespace {

// A string value of a desktop entry: backslash and control characters escaped.
std::string EscapeValue(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

// One argument of an Exec line: quoted when it holds a reserved character, with '"', '`', '$' and '\'
// escaped inside the quotes; '%' doubled so that it is not read as a field code.
std::string QuoteExecArgument(const std::string& argument) {
    static const std::string kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string quoted;
    bool needs_quotes = argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
    for (char c : argument) {
        if (needs_quotes && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
        quoted += c;
        if (c == '%') quoted += '%';
    }
    return needs_quotes ? "\"" + quoted + "\"" : quoted;
}

std::string ShortcutPath(const std::string& name, bool& desktop_exists) {
    desktop_exists = false;
    std::optional<DesktopUser> user = FindDesktopUser();
    if (!user) return {};
    std::string desktop = GetUserDesktopFolder(*user);
    desktop_exists = FolderExists(desktop);
    return desktop + name + ".desktop";
}

}  // namespace

std::string FormatDesktopEntry(const std::string& name, const std::string& program,
                               const std::string& working_folder) {
    std::string entry = "[Desktop Entry]\n";
    entry += "Type=Application\n";
    entry += "Name=" + EscapeValue(name) + "\n";
    entry += "Exec=" + EscapeValue(QuoteExecArgument(program)) + "\n";
    entry += "Path=" + EscapeValue(working_folder) + "\n";
    entry += "Terminal=false\n";
    return entry;
}

bool CreateDesktopShortcut(const std::string& name, const std::string& program,
                           const std::string& working_folder) {
    std::optional<DesktopUser> user = FindDesktopUser();
    if (!user || name.empty() || name.find('/') != std::string::npos) return false;
    std::string desktop = GetUserDesktopFolder(*user);
    if (!FolderExists(desktop)) return false;
    std::string path = desktop + name + ".desktop";
    if (!WriteFileAtomically(path, FormatDesktopEntry(name, program, working_folder))) return false;
    // Desktops start only launchers that are executable; the file belongs to the user whose desktop it is.
    chmod(path.c_str(), 0755);
    if (geteuid() == 0 && user->uid != 0) {
        [[maybe_unused]] int ignored = chown(path.c_str(), user->uid, user->gid);
    }
    return true;
}

ShortcutRemoval RemoveDesktopShortcut(const std::string& name) {
    bool desktop_exists = false;
    std::string path = ShortcutPath(name, desktop_exists);
    if (!desktop_exists) return ShortcutRemoval::kNoDesktop;
    return DeleteFile(path) ? ShortcutRemoval::kRemoved : ShortcutRemoval::kFailed;
}

}  // namespace platform
