#include <gtk/gtk.h>

#include <cstdlib>

#include "platform/gtk_session.h"

namespace platform {

bool InitGtkForDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!(x11 && *x11) && !(wayland && *wayland)) return false;
    return gtk_init_check(nullptr, nullptr);
}

}  // namespace platform
