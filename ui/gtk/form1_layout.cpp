#include "ui/gtk/form1.h"

#include <cmath>
#include <cstddef>
#include <string>

#include "ui/gtk/resources.h"

namespace tilewright {
namespace {

using layout::ControlId;
using layout::ControlKind;

// GTK's logical pixels at the usual text size; its scale factor handles denser screens.
constexpr int kLayoutDpi = 96;

std::size_t indexOf(ControlId id) {
    return static_cast<std::size_t>(id);
}

// The dots per inch the window is laid out at: GTK's font resolution, which carries the
// desktop's text scaling factor and GDK_DPI_SCALE, so that the boxes grow with their text.
// GDK_SCALE's device pixels come on top of this, as GTK's own scaling.
int layoutDpi() {
    const double resolution = gdk_screen_get_resolution(gdk_screen_get_default());
    return resolution > 0 ? static_cast<int>(std::lround(resolution)) : kLayoutDpi;
}

GtkWidget* createControl(const layout::Control& c, GtkWidget* group) {
    const std::string text(c.text);
    switch (c.kind) {
        case ControlKind::Label: {
            GtkWidget* label = gtk_label_new(text.c_str());
            gtk_label_set_xalign(GTK_LABEL(label), 0.0F);
            return label;
        }
        case ControlKind::TextBox: {
            GtkWidget* entry = gtk_entry_new();
            // The layout fixes the width; without this GTK asks for room for 20 characters.
            gtk_entry_set_width_chars(GTK_ENTRY(entry), 0);
            return entry;
        }
        case ControlKind::OptionButton: {
            GtkRadioButton* first = group != nullptr ? GTK_RADIO_BUTTON(group) : nullptr;
            return text.empty() ? gtk_radio_button_new_from_widget(first)
                                : gtk_radio_button_new_with_label_from_widget(first, text.c_str());
        }
        case ControlKind::Picture:
            return gtk_image_new();
        case ControlKind::PushButton:
            return gtk_button_new_with_label(text.c_str());
    }
    return nullptr;
}

}  // namespace

GtkWidget* Form1::control(ControlId id) const {
    return controls_[indexOf(id)];
}

void Form1::createControls() {
    for (const layout::Control& c : layout::kControls) {
        GtkWidget* widget = createControl(c, controls_[indexOf(ControlId::chk0)]);
        // Named as the control, so the style sheet and GTK's inspector can refer to it.
        gtk_widget_set_name(widget, c.name);
        gtk_fixed_put(GTK_FIXED(fixed_), widget, 0, 0);
        controls_[indexOf(c.id)] = widget;
    }
}

// Places every control and sizes the window at the user's text size; again when it changes.
void Form1::layoutControls() {
    const int dpi = layoutDpi();
    for (const layout::Control& c : layout::kControls) {
        const layout::Rect rect = layout::toPixels(c.twips, dpi);
        gtk_widget_set_size_request(control(c.id), rect.width, rect.height);
        gtk_fixed_move(GTK_FIXED(fixed_), control(c.id), rect.left, rect.top);
    }
    const layout::Rect client =
        layout::toPixels({0, 0, layout::kClientSize.width, layout::kClientSize.height}, dpi);
    gtk_widget_set_size_request(fixed_, client.width, client.height);
    showPicture();
}

// Tab follows the layout's focus sequence. GTK lets only the selected option button take the
// focus from Tab, so the group is one stop and the arrow keys move within it.
void Form1::setFocusChain() {
    GList* chain = nullptr;
    for (const ControlId id : layout::focusSequence()) {
        chain = g_list_append(chain, control(id));
    }
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_container_set_focus_chain(GTK_CONTAINER(fixed_), chain);
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_list_free(chain);
}

// A screen reader announces what the window only draws: the option buttons' icons and the
// picture get names. The name box is labelled by the label above it (a relation, with no
// mnemonic: the label's text has none, so nothing drawn or typed changes) and takes its text
// as its name, which GTK's entry would otherwise leave empty.
void Form1::describeForScreenReaders() {
    for (const layout::Announcement& a : layout::kAnnouncements) {
        AtkObject* accessible = gtk_widget_get_accessible(control(a.id));
        atk_object_set_name(accessible, std::string(a.name).c_str());
        if (!a.description.empty()) {
            atk_object_set_description(accessible, std::string(a.description).c_str());
        }
    }
    GtkLabel* label = GTK_LABEL(control(layout::kNameBoxLabel));
    GtkWidget* nameBox = control(ControlId::txtName);
    gtk_label_set_mnemonic_widget(label, nameBox);
    atk_object_set_name(gtk_widget_get_accessible(nameBox), gtk_label_get_text(label));
}

// Scales the picture to its frame at the screen's density, so it stays sharp at 2x. It is
// decoded again for each density rather than kept unscaled: a third of a MiB for as long as
// the window is open, against a millisecond when the density changes.
void Form1::showPicture() {
    const int scale = gtk_widget_get_scale_factor(form1_);
    const layout::Rect frame =
        layout::toPixels(layout::control(ControlId::Image1).twips, layoutDpi());
    const PixbufPtr scaled =
        loadResourcePixbuf("icons.bmp", frame.width * scale, frame.height * scale);
    if (!scaled) {
        return;
    }
    cairo_surface_t* surface =
        gdk_cairo_surface_create_from_pixbuf(scaled.get(), scale, gtk_widget_get_window(form1_));
    gtk_image_set_from_surface(GTK_IMAGE(control(ControlId::Image1)), surface);
    cairo_surface_destroy(surface);
}

}  // namespace tilewright
