// GTK for the platform services that show or read something on the display. Internal to platform/.
#pragma once

namespace platform {

// True when a display is named in the environment and GTK could be initialised for it (once per process).
// Call it on the main thread.
bool InitGtkForDisplay();

}  // namespace platform
