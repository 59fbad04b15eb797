#include <gtk/gtk.h>

#include "platform/clipboard.h"
#include "platform/gtk_session.h"

namespace platform {

std::optional<std::string> ReadClipboardText() {
    if (!InitGtkForDisplay()) return std::nullopt;
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    gchar* text = clipboard ? gtk_clipboard_wait_for_text(clipboard) : nullptr;
    if (!text) return std::nullopt;
    std::string copy = text;
    g_free(text);
    return copy;
}

}  // namespace platform
