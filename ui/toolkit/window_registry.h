// The table of this process's top-level windows, by handle. Registration is the one place where a window is
// connected to the system's window table (handle, class name, title), so that other processes can find it and
// post messages to it; what they post arrives through PostMessageToWindow.
#pragma once

#include <string>

#include "ui/toolkit/ui_types.h"

namespace skinui {

class SkinWindowBase;

// Main thread. Returns the window's handle, never 0.
WindowHandle RegisterTopLevelWindow(SkinWindowBase* window, const std::u16string& class_name,
                                    const std::u16string& title);
void UnregisterTopLevelWindow(WindowHandle handle);

// Main thread: the window, or null.
SkinWindowBase* LookUpTopLevelWindow(WindowHandle handle);
// Any thread: whether the handle names a live window of this process.
bool IsTopLevelWindow(WindowHandle handle);

}  // namespace skinui
