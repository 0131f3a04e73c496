// The floor for the start-up benchmark: a GTK 3 window with the main window's title and client
// size and nothing in it, built with the same compiler and flags as the program.
#include <gtk/gtk.h>

#include <string>

#include "ui/layout.h"

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    using namespace tilewright::layout;
    constexpr int kDpi = 96;
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), std::string(kWindowTitle).c_str());
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    GtkWidget* client = gtk_fixed_new();
    gtk_widget_set_size_request(client, twipsToPixels(kClientSize.width, kDpi),
                                twipsToPixels(kClientSize.height, kDpi));
    gtk_container_add(GTK_CONTAINER(window), client);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
