#include "ui/gtk/form1.h"

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>

#include "rom/name_tiles.h"
#include "ui/gtk/key_preview.h"
#include "ui/gtk/resources.h"
#include "ui/gtk/style_sheets.h"

// Generated from tilewright.gresource.xml.
void tilewright_gtk_register_resource();

namespace tilewright {
namespace {

using layout::ControlId;

struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<gchar, GFree>;

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
