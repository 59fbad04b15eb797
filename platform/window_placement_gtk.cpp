#include <gtk/gtk.h>

#include "platform/window_endpoint.h"
#include "platform/window_placement.h"

namespace platform {

std::optional<WindowPosition> CenteredPosition(int screen_width, int screen_height, int window_width,
                                               int window_height) {
    WindowPosition position{(screen_width - window_width) / 2, (screen_height - window_height) / 2};
    if (position.x < 0 || position.y < 0) return std::nullopt;
    return position;
}

bool CenterWindow(WindowHandle window) {
    GtkWindow* native = static_cast<GtkWindow*>(FindNativeWindow(window));
    if (!native) return false;
    GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(native));
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display) monitor = gdk_display_get_monitor(display, 0);
    if (!monitor) return false;
    GdkRectangle screen{};
    gdk_monitor_get_geometry(monitor, &screen);
    int width = 0, height = 0;
    gtk_window_get_size(native, &width, &height);
    std::optional<WindowPosition> position = CenteredPosition(screen.width, screen.height, width, height);
    if (!position) return false;
    gtk_window_move(native, screen.x + position->x, screen.y + position->y);
    return true;
}

}  // namespace platform
