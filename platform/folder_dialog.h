// The folder-choosing dialog of the desktop.
#pragma once

#include <string>

#include "platform/window_messages.h"

namespace platform {

// Shows a modal folder chooser over `owner` (0 or a window of another process: no parent), starting at the
// file system's root, local folders only, with a button to create a folder. The chosen folder's path (no
// trailing '/' except for the root), or empty when the user cancels or no display is available. Call it on
// the main thread.
std::string BrowseForFolder(WindowHandle owner, const std::string& title);

}  // namespace platform
