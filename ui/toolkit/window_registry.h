// The table of this process's top-level windows, by handle. Registering a window enters it in the system's
// window table (handle, class name, title, process; platform/window_endpoint.h), so that other processes find
// it and post messages to it; what they post is handled by the window on the main loop, a UTF-16 payload as
// WM_COPYDATA.
#pragma once

#include <string>

#include "ui/toolkit/ui_types.h"

namespace skinui {

class SkinWindowBase;

// Main thread. Returns the window's handle, never 0. When the system's table cannot take the window (no
// usable runtime folder) it is logged and the window gets a handle of this process only.
WindowHandle RegisterTopLevelWindow(SkinWindowBase* window, const std::u16string& class_name,
                                    const std::u16string& title);
void UnregisterTopLevelWindow(WindowHandle handle);

// Main thread: the window, or null.
SkinWindowBase* LookUpTopLevelWindow(WindowHandle handle);
// Any thread: whether the handle names a live window of this process.
bool IsTopLevelWindow(WindowHandle handle);

}  // namespace skinui
