// Placing a window of this process on the screen.
#pragma once

#include <optional>

#include "platform/window_messages.h"

namespace platform {

struct WindowPosition {
    int x = 0;
    int y = 0;
};

// The top-left corner that centres a window on the screen: (screen - window) / 2 on each axis; nullopt
// when a coordinate comes out negative (the window is larger than the screen).
std::optional<WindowPosition> CenteredPosition(int screen_width, int screen_height, int window_width,
                                               int window_height);

// Moves a window of this process (one with a native window, WindowEndpoint::SetNativeWindow) to the centre
// of the primary monitor without resizing or activating it. False when the window has no native window, the
// screen cannot be measured, or the window is larger than the screen (it then stays where it is).
bool CenterWindow(WindowHandle window);

}  // namespace platform
