// The Linux program: opens the main window and runs until it is closed.
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>

#include "ui/gtk/form1.h"

int main(int argc, char** argv) {
    // Matches the .desktop file, so desktops show the right name and icon.
    g_set_prgname("tilewright");
    g_set_application_name("Tilewright");
    if (!gtk_init_check(&argc, &argv)) {
        std::fputs("Tilewright needs a graphical desktop, but no display could be opened.\n",
                   stderr);
        return EXIT_FAILURE;
    }
    tilewright::Form1 form1;
    g_signal_connect(form1.window(), "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show(GTK_WIDGET(form1.window()));
    gtk_main();
    return EXIT_SUCCESS;
}
