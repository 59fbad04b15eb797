// A launcher on the desktop user's desktop: the stand-in for a shell link. It is a desktop entry file
// "<name>.desktop" that starts a program in a working folder, owned by the desktop user.
#pragma once

#include <string>

namespace platform {

// Writes (or replaces) <desktop folder><name>.desktop that runs `program` with `working_folder` as its
// current folder. False when no desktop user or desktop folder exists, or the file cannot be written.
bool CreateDesktopShortcut(const std::string& name, const std::string& program,
                           const std::string& working_folder);

enum class ShortcutRemoval { kRemoved, kNoDesktop, kFailed };

// Deletes <desktop folder><name>.desktop. kNoDesktop when no desktop folder exists, kFailed when the file
// cannot be deleted (a missing one included).
ShortcutRemoval RemoveDesktopShortcut(const std::string& name);

// The text of the desktop entry; exposed for tests of its quoting.
std::string FormatDesktopEntry(const std::string& name, const std::string& program,
                               const std::string& working_folder);

}  // namespace platform
