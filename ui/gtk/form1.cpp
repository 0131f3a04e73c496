#include "ui/gtk/form1.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>

#include "rom/name_tiles.h"
#include "ui/gtk/key_preview.h"

// Generated from tilewright.gresource.xml.
void tilewright_gtk_register_resource();

namespace tilewright {
namespace {

using layout::ControlId;
using layout::ControlKind;

// GTK's logical pixels at the usual text size; its scale factor handles denser screens.
constexpr int kLayoutDpi = 96;
constexpr const char* kResourcePrefix = "/org/tilewright/";

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
using PixbufPtr = std::unique_ptr<GdkPixbuf, GObjectUnref>;
using GCharPtr = std::unique_ptr<gchar, GFree>;
struct GBytesUnref {
    void operator()(GBytes* bytes) const { g_bytes_unref(bytes); }
};
using GBytesPtr = std::unique_ptr<GBytes, GBytesUnref>;

std::size_t indexOf(ControlId id) {
    return static_cast<std::size_t>(id);
}

std::string cssColour(layout::Rgb colour) {
    return "rgb(" + std::to_string(colour.red) + "," + std::to_string(colour.green) + "," +
           std::to_string(colour.blue) + ")";
}

// The colours come from the shared layout; the rest of the window's look from
// form1-colours.css.
std::string layoutColoursCss() {
    std::string css = "#Form1 { background-color: " + cssColour(layout::kBackground) + "; }\n";
    for (const layout::Control& c : layout::kControls) {
        const std::string selector = std::string("#Form1 #") + c.name;
        if (c.kind == ControlKind::Label) {
            css += selector + " { color: " + cssColour(layout::kLabelText) + "; }\n";
        } else if (c.kind == ControlKind::OptionButton) {
            css += selector + " { color: " + cssColour(layout::kOptionText) +
                   "; background-color: " + cssColour(layout::kBackground) + "; }\n";
        }
    }
    return css;
}

std::string resourceText(const char* path) {
    const GBytesPtr bytes{g_resources_lookup_data(path, G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr)};
    return {static_cast<const char*>(g_bytes_get_data(bytes.get(), nullptr)),
            g_bytes_get_size(bytes.get())};
}

GtkCssProvider* styleSheet(const std::string& css) {
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    return provider;
}

// The style sheets, made once for the program: the sizes always apply, the window's own
// colours only outside high contrast.
struct StyleSheets {
    GtkCssProvider* sizes;
    GtkCssProvider* colours;
};

const StyleSheets& styleSheets() {
    // The font size, from the shared layout, is a size: it stays in high contrast.
    static const StyleSheets sheets{
        styleSheet(resourceText("/org/tilewright/form1.css") +
                   "#Form1 { font-size: " + std::to_string(layout::kFontPoints) + "pt; }\n"),
        styleSheet(resourceText("/org/tilewright/form1-colours.css") + layoutColoursCss())};
    return sheets;
}

// The theme's name, as GTK_THEME overrides the desktop's choice, without a ":dark" variant.
std::string themeName() {
    std::string name;
    if (const char* forced = g_getenv("GTK_THEME"); forced != nullptr && *forced != '\0') {
        name = forced;
    } else {
        gchar* chosen = nullptr;
        g_object_get(gtk_settings_get_default(), "gtk-theme-name", &chosen, nullptr);
        name = chosen != nullptr ? chosen : "";
        g_free(chosen);
    }
    return name.substr(0, name.find(':'));
}

// A high-contrast theme is recognised by its name: GNOME's "High Contrast" setting switches
// to HighContrast (or HighContrastInverse, white on black), and the themes built for it name
// themselves so. The window then leaves every colour to the theme.
bool highContrastTheme() {
    return themeName().rfind("HighContrast", 0) == 0;
}

// Adds the sizes once and the window's colours whenever the theme is not a high-contrast one;
// called again when the theme changes.
void applyStyleSheets() {
    static bool coloursApplied = false;
    const StyleSheets& sheets = styleSheets();
    GdkScreen* screen = gdk_screen_get_default();
    static std::once_flag once;
    std::call_once(once, [&] {
        gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(sheets.sizes),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    });
    const bool wanted = !highContrastTheme();
    if (wanted && !coloursApplied) {
        gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(sheets.colours),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    } else if (!wanted && coloursApplied) {
        gtk_style_context_remove_provider_for_screen(screen, GTK_STYLE_PROVIDER(sheets.colours));
    }
    coloursApplied = wanted;
}

// The dots per inch the window is laid out at: GTK's font resolution, which carries the
// desktop's text scaling factor and GDK_DPI_SCALE, so that the boxes grow with their text.
// GDK_SCALE's device pixels come on top of this, as GTK's own scaling.
int layoutDpi() {
    const double resolution = gdk_screen_get_resolution(gdk_screen_get_default());
    return resolution > 0 ? static_cast<int>(std::lround(resolution)) : kLayoutDpi;
}

PixbufPtr loadResourcePixbuf(const std::string& name) {
    GError* error = nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_resource((kResourcePrefix + name).c_str(), &error);
    if (pixbuf == nullptr) {
        g_warning("Cannot load %s: %s", name.c_str(), error->message);
        g_error_free(error);
    }
    return PixbufPtr(pixbuf);
}

void setDefaultIcons(std::initializer_list<const char*> sizes) {
    GList* icons = nullptr;
    for (const char* size : sizes) {
        if (PixbufPtr icon = loadResourcePixbuf(std::string("app-icon/") + size + ".png")) {
            icons = g_list_append(icons, icon.release());
        }
    }
    gtk_window_set_default_icon_list(icons);
    g_list_free_full(icons, g_object_unref);
}

// The window and its dialogs show the application icon in the task bar and title bar. One
// small size is decoded before the window opens; every size, for task bars and window
// switchers, once the window is drawn and the program idle: decoding them all first made the
// window open a tenth later.
void setApplicationIcon() {
    static std::once_flag once;
    std::call_once(once, [] {
        setDefaultIcons({"32"});
        g_idle_add(
            [](gpointer) -> gboolean {
                setDefaultIcons({"16", "32", "48", "64", "128"});
                return G_SOURCE_REMOVE;
            },
            nullptr);
    });
}

// A file pattern that matches the same names in any letter case: "*.BIN" becomes
// "*.[bB][iI][nN]". File names on Linux are case-sensitive, but the pattern is meant as an
// extension, and files named x.bin are binary files too.
std::string anyLetterCase(std::string_view pattern) {
    std::string result;
    for (const char c : pattern) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            result += {'[', static_cast<char>(c | 0x20), static_cast<char>(c & ~0x20), ']'};
        } else {
            result += c;
        }
    }
    return result;
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

Form1::Form1() {
    static std::once_flag registered;
    std::call_once(registered, [] { tilewright_gtk_register_resource(); });
    applyStyleSheets();
    setApplicationIcon();
    // The window's texts are English in every locale; a right-to-left locale would mirror the
    // controls' insides but not the fixed positions, so everything stays left to right.
    gtk_widget_set_default_direction(GTK_TEXT_DIR_LTR);

    form1_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_ref_sink(form1_);
    gtk_widget_set_name(form1_, "Form1");
    gtk_window_set_title(window(), std::string(layout::kWindowTitle).c_str());
    gtk_window_set_resizable(window(), FALSE);

    fixed_ = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(form1_), fixed_);

    createControls();
    layoutControls();
    setFocusChain();
    describeForScreenReaders();

    showPicture();

    g_signal_connect(form1_, "key-press-event", G_CALLBACK(onForm1KeyPressEvent), this);
    g_signal_connect(form1_, "notify::scale-factor", G_CALLBACK(onForm1ScaleFactorChanged), this);
    g_signal_connect(gdk_screen_get_default(), "notify::resolution",
                     G_CALLBACK(onScreenResolutionChanged), this);
    g_signal_connect(gtk_settings_get_default(), "notify::gtk-theme-name",
                     G_CALLBACK(onThemeChanged), this);
    g_signal_connect(control(ControlId::txtName), "activate", G_CALLBACK(onTxtNameActivate), this);
    g_signal_connect(control(ControlId::txtName), "insert-text", G_CALLBACK(onTxtNameInsertText),
                     this);
    g_signal_connect(control(ControlId::cmdCreate), "clicked", G_CALLBACK(onCmdCreateClicked),
                     this);
    for (const ControlId id : layout::kOptionButtons) {
        g_signal_connect(control(id), "clicked", G_CALLBACK(onChkClicked), this);
    }

    gtk_widget_show_all(fixed_);
    gtk_widget_grab_focus(control(ControlId::txtName));
}

Form1::~Form1() {
    g_signal_handlers_disconnect_by_data(form1_, this);
    g_signal_handlers_disconnect_by_data(gdk_screen_get_default(), this);
    g_signal_handlers_disconnect_by_data(gtk_settings_get_default(), this);
    gtk_widget_destroy(form1_);
    g_object_unref(form1_);
}

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
    dpi_ = layoutDpi();
    for (const layout::Control& c : layout::kControls) {
        const layout::Rect rect = layout::toPixels(c.twips, dpi_);
        gtk_widget_set_size_request(control(c.id), rect.width, rect.height);
        gtk_fixed_move(GTK_FIXED(fixed_), control(c.id), rect.left, rect.top);
    }
    const layout::Rect client =
        layout::toPixels({0, 0, layout::kClientSize.width, layout::kClientSize.height}, dpi_);
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
    const layout::Rect frame = layout::toPixels(layout::control(ControlId::Image1).twips, dpi_);
    GError* error = nullptr;
    // Scaled while loading, bilinearly, as gdk_pixbuf_scale_simple would.
    const PixbufPtr scaled(gdk_pixbuf_new_from_resource_at_scale(
        (std::string(kResourcePrefix) + "icons.bmp").c_str(), frame.width * scale,
        frame.height * scale, FALSE, &error));
    if (!scaled) {
        g_warning("Cannot load icons.bmp: %s", error->message);
        g_error_free(error);
        return;
    }
    cairo_surface_t* surface =
        gdk_cairo_surface_create_from_pixbuf(scaled.get(), scale, gtk_widget_get_window(form1_));
    gtk_image_set_from_surface(GTK_IMAGE(control(ControlId::Image1)), surface);
    cairo_surface_destroy(surface);
}

std::string Form1::nameText() const {
    return gtk_entry_get_text(GTK_ENTRY(control(ControlId::txtName)));
}

IconChoice Form1::selectedIcon() const {
    for (std::size_t value = 0; value < kIconCount; ++value) {
        const auto icon = static_cast<IconChoice>(value);
        if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(control(*layout::optionButton(icon))))) {
            return icon;
        }
    }
    return IconChoice::None;
}

void Form1::setNameText(std::string_view text) {
    gtk_entry_set_text(GTK_ENTRY(control(ControlId::txtName)), std::string(text).c_str());
}

void Form1::selectIcon(IconChoice icon) {
    if (const std::optional<ControlId> option = layout::optionButton(icon)) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(control(*option)), TRUE);
    }
}

std::optional<std::string> Form1::runSaveDialog(const SaveDialogSettings& settings) {
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        settings.title.c_str(), window(), GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel",
        GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
    // There is no read-only check box to hide in GTK's dialog.
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, settings.filterDescription.c_str());
    gtk_file_filter_add_pattern(filter, anyLetterCase(settings.filterPattern).c_str());
    gtk_file_chooser_add_filter(chooser, filter);
    gtk_file_chooser_set_current_name(chooser, settings.fileName.c_str());

    std::optional<std::string> chosen;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        // In the file system's own encoding, which is what the file calls take on Linux.
        if (const GCharPtr fileName{gtk_file_chooser_get_filename(chooser)}) {
            chosen = fileName.get();
        }
    }
    gtk_widget_destroy(dialog);
    return chosen;
}

void Form1::showError(std::string_view text, std::string_view title) {
    // Texts from the system may not be UTF-8; GTK would refuse to show them.
    const GCharPtr validText{g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()))};
    const GCharPtr validTitle{g_utf8_make_valid(title.data(), static_cast<gssize>(title.size()))};
    GtkWidget* box = gtk_message_dialog_new(
        window(), static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s", validText.get());
    gtk_window_set_title(GTK_WINDOW(box), validTitle.get());
    // GTK 3 draws no icon in message boxes unless given one; the user should see the stop sign.
    GtkWidget* icon = gtk_image_new_from_icon_name("dialog-error", GTK_ICON_SIZE_DIALOG);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(box), icon);
    G_GNUC_END_IGNORE_DEPRECATIONS
    gtk_widget_show(icon);
    g_object_set(box, "message-type", GTK_MESSAGE_ERROR, nullptr);  // setting an image cleared it
    gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
}

// Every typed character passes the key filter before the focused control sees it.
bool Form1::previewKey(const GdkEventKey& event) {
    const auto state = static_cast<GdkModifierType>(event.state);
    const std::optional<std::int16_t> typed = typedCharacter(event.keyval, state);
    if (!typed) {
        return false;
    }
    const std::int16_t code = filterKey(*typed);
    if (code == 0) {
        return true;
    }
    if (gtk_window_get_focus(window()) != control(ControlId::txtName)) {
        return false;  // buttons ignore typed characters, but Space still presses them
    }
    if (code == kBackspace) {
        if (event.keyval == GDK_KEY_BackSpace) {
            return false;  // the name box's own Backspace
        }
        g_signal_emit_by_name(control(ControlId::txtName), "backspace");
        return true;
    }
    typeIntoName(static_cast<char>(code));
    return true;
}

// Inserts at the cursor, replacing the selection, as typing does.
void Form1::typeIntoName(char code) {
    GtkEditable* name = GTK_EDITABLE(control(ControlId::txtName));
    gtk_editable_delete_selection(name);
    gint position = gtk_editable_get_position(name);
    const char text[] = {code, '\0'};
    gtk_editable_insert_text(name, text, 1, &position);
    gtk_editable_set_position(name, position);
}

gboolean Form1::onForm1KeyPressEvent(GtkWidget*, GdkEventKey* event, gpointer self) {
    return static_cast<Form1*>(self)->previewKey(*event) ? TRUE : FALSE;
}

void Form1::onForm1ScaleFactorChanged(GObject*, GParamSpec*, gpointer self) {
    static_cast<Form1*>(self)->showPicture();
}

void Form1::onScreenResolutionChanged(GObject*, GParamSpec*, gpointer self) {
    static_cast<Form1*>(self)->layoutControls();
}

void Form1::onThemeChanged(GObject*, GParamSpec*, gpointer) {
    applyStyleSheets();
}

// Picking an icon, by mouse or keyboard, sends the user straight back to the name.
void Form1::onChkClicked(GtkButton*, gpointer self) {
    // Without selecting: the name is being added to, not replaced.
    gtk_entry_grab_focus_without_selecting(
        GTK_ENTRY(static_cast<Form1*>(self)->control(ControlId::txtName)));
}

void Form1::onTxtNameActivate(GtkEntry*, gpointer self) {
    gtk_button_clicked(GTK_BUTTON(static_cast<Form1*>(self)->control(ControlId::cmdCreate)));
}

// Text that arrives without a key press (paste, drag and drop, an input method, the emoji
// chooser) obeys the same rule as typed characters; everything inserted passes through here.
void Form1::onTxtNameInsertText(GtkEditable* editable, gchar* text, gint length, gint* position,
                                gpointer self) {
    const std::string_view inserted(
        text, length < 0 ? std::strlen(text) : static_cast<std::size_t>(length));
    const std::string kept = filterText(inserted);
    if (kept == inserted) {
        return;
    }
    g_signal_stop_emission_by_name(editable, "insert-text");
    if (!kept.empty()) {
        g_signal_handlers_block_by_func(editable, reinterpret_cast<gpointer>(onTxtNameInsertText),
                                        self);
        gtk_editable_insert_text(editable, kept.c_str(), static_cast<gint>(kept.size()), position);
        g_signal_handlers_unblock_by_func(editable, reinterpret_cast<gpointer>(onTxtNameInsertText),
                                          self);
    }
}

void Form1::onCmdCreateClicked(GtkButton*, gpointer self) {
    createRom(*static_cast<Form1*>(self));
}

}  // namespace tilewright
