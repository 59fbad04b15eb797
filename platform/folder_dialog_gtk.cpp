#include <gtk/gtk.h>

#include "platform/folder_dialog.h"
#include "platform/gtk_session.h"
#include "platform/window_endpoint.h"

namespace platform {

std::string BrowseForFolder(WindowHandle owner, const std::string& title) {
    if (!InitGtkForDisplay()) return {};
    GtkWindow* parent = static_cast<GtkWindow*>(FindNativeWindow(owner));
    GtkWidget* dialog =
        gtk_file_chooser_dialog_new(title.c_str(), parent, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Cancel",
                                    GTK_RESPONSE_CANCEL, "_Select", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_file_chooser_set_create_folders(chooser, TRUE);
    gtk_file_chooser_set_current_folder(chooser, "/");
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    std::string chosen;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        if (char* folder = gtk_file_chooser_get_filename(chooser)) {
            chosen = folder;
            g_free(folder);
        }
    }
    gtk_widget_destroy(dialog);
    while (gtk_events_pending()) gtk_main_iteration();
    return chosen;
}

}  // namespace platform
