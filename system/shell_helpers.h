// Small services of the desktop: the launcher on the desktop, the preferred web browser, bringing a running
// instance forward, the folder dialog and centring a window.
#pragma once

#include <string>

#include "platform/window_messages.h"

// Puts a launcher of folder/file_name on the desktop user's desktop, named after the file, starting in the
// folder. True when it was written.
bool CreateDesktopShortcut(const std::u16string& file_name, const std::u16string& folder);

// Removes the launcher of the running executable. True when it was removed or no desktop folder exists;
// false when it could not be removed (a missing launcher included).
bool RemoveDesktopShortcut();

// The executable of an installed Chrome, Firefox, Safari or Opera, the first found in that order; empty when
// there is none.
std::u16string FindPreferredBrowser();

// Finds the main window of a running instance (class "IXO" and this title) and asks its owner to show it,
// restored when it is minimised, and to bring its last active pop-up to the front. Nothing when not found.
void ActivateInstance(const std::u16string& title);

// The folder dialog over `owner`; the chosen folder, or empty when cancelled or no display is available.
std::u16string BrowseForFolder(platform::WindowHandle owner, const std::u16string& title);

// Moves a window of this process to the centre of the screen; false when it cannot (see
// platform::CenterWindow), leaving it where it is.
bool CenterWindow(platform::WindowHandle window);
