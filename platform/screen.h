// The screen the program's windows appear on.
#pragma once

namespace platform {

struct ScreenSize {
    int width = 0;  // pixels
    int height = 0;
};

// The size of the primary monitor. Zero when there is no display connection (the toolkit has not been
// started, or runs without a display).
ScreenSize GetPrimaryScreenSize();

}  // namespace platform
