// The floors for the start-up benchmark, built twice from this file. plain_gtk_window: the main
// window's controls built the plainest way GTK 3 offers (a GtkFixed holding the same labels,
// name box, six option buttons, picture and button, with a tiny style sheet), so that what the
// toolkit itself costs for them can be told apart from what the program adds; the option circles
// are drawn by the style sheet, as in the program, since the theme's would load an SVG renderer.
// empty_gtk_window (TILEWRIGHT_FLOOR_CONTROLS=0): the same window with nothing in it.
#include <gtk/gtk.h>

#include <string>

#include "ui/layout.h"

namespace {

constexpr bool kWithControls = TILEWRIGHT_FLOOR_CONTROLS;

std::string cssColour(tilewright::layout::Rgb colour) {
    return "rgb(" + std::to_string(colour.red) + "," + std::to_string(colour.green) + "," +
           std::to_string(colour.blue) + ")";
}

// The colours and the font size follow the layout, as the program's own style sheet does.
std::string styleSheet() {
    using namespace tilewright::layout;
    return "window { background-color: " + cssColour(kBackground) +
           "; font-size: " + std::to_string(kFontPoints) + "pt; }\n" +
           "label { color: " + cssColour(kLabelText) + "; }\n" +
           "radiobutton label { color: " + cssColour(kOptionText) + "; }\n" +
           R"(entry, button, radiobutton { min-height: 0; padding: 0; }
radio { -gtk-icon-source: none; border: 1px solid #5a5a5a; border-radius: 50%;
        background-color: white; background-image: none; min-width: 12px; min-height: 12px; }
)";
}

GtkWidget* makeControl(const tilewright::layout::Control& c, GtkWidget* group) {
    using tilewright::layout::ControlKind;
    const std::string text(c.text);
    switch (c.kind) {
        case ControlKind::Label:
            return gtk_label_new(text.c_str());
        case ControlKind::TextBox:
            return gtk_entry_new();
        case ControlKind::OptionButton:
            return gtk_radio_button_new_with_label_from_widget(
                group != nullptr ? GTK_RADIO_BUTTON(group) : nullptr, text.c_str());
        case ControlKind::Picture:
            return gtk_image_new_from_pixbuf(gdk_pixbuf_new_from_file_at_scale(
                TILEWRIGHT_ICON_PICTURE, tilewright::layout::twipsToPixels(c.twips.width, 96),
                tilewright::layout::twipsToPixels(c.twips.height, 96), FALSE, nullptr));
        case ControlKind::PushButton:
            return gtk_button_new_with_label(text.c_str());
    }
    return gtk_label_new("");
}

void addControls(GtkWidget* client, int dpi) {
    using namespace tilewright::layout;
    GtkWidget* group = nullptr;
    for (const Control& c : kControls) {
        GtkWidget* widget = makeControl(c, group);
        if (c.kind == ControlKind::OptionButton && group == nullptr) {
            group = widget;
        }
        const Rect r = toPixels(c.twips, dpi);
        gtk_widget_set_size_request(widget, r.width, r.height);
        gtk_fixed_put(GTK_FIXED(client), widget, r.left, r.top);
    }
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    using namespace tilewright::layout;
    constexpr int kDpi = 96;
    if constexpr (kWithControls) {
        GtkCssProvider* style = gtk_css_provider_new();
        gtk_css_provider_load_from_data(style, styleSheet().c_str(), -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                                  GTK_STYLE_PROVIDER(style),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    }

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), std::string(kWindowTitle).c_str());
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    GtkWidget* client = gtk_fixed_new();
    gtk_widget_set_size_request(client, twipsToPixels(kClientSize.width, kDpi),
                                twipsToPixels(kClientSize.height, kDpi));
    gtk_container_add(GTK_CONTAINER(window), client);
    if constexpr (kWithControls) {
        addControls(client, kDpi);
    }
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
