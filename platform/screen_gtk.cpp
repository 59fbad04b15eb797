#include <gtk/gtk.h>

#include "platform/screen.h"

namespace platform {

ScreenSize GetPrimaryScreenSize() {
    ScreenSize size;
    // Only a display that is already open is measured: opening one here would start the toolkit as a side
    // effect of a statistics post.
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return size;
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0) monitor = gdk_display_get_monitor(display, 0);
    if (!monitor) return size;
    GdkRectangle geometry{};
    gdk_monitor_get_geometry(monitor, &geometry);
    size.width = geometry.width;
    size.height = geometry.height;
    return size;
}

}  // namespace platform
