#include "tests/gtk/window_driver.h"

#include <gdk/gdkkeysyms.h>
#include <gdk/gdkx.h>

#include <utility>

namespace tilewright::test {
namespace {

constexpr const char* kAnsweredMark = "tilewright-test-answered";

void sendKeyEvent(GdkWindow* target, GdkEventType type, guint keyval, GdkModifierType state,
                  const GdkKeymapKey* key) {
    GdkDisplay* display = gdk_window_get_display(target);
    GdkEvent* event = gdk_event_new(type);
    event->key.window = GDK_WINDOW(g_object_ref(target));
    event->key.send_event = FALSE;
    event->key.time = GDK_CURRENT_TIME;
    event->key.state = state;
    event->key.keyval = keyval;
    event->key.string = g_strdup("");
    event->key.length = 0;
    if (key != nullptr) {
        event->key.hardware_keycode = static_cast<guint16>(key->keycode);
        event->key.group = static_cast<guint8>(key->group);
    }
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
    gtk_main_do_event(event);
    gdk_event_free(event);
}

}  // namespace

bool initGtk() {
    g_setenv("NO_AT_BRIDGE", "1", TRUE);
    // Settings in memory: no dconf, which would warn that it finds no session bus.
    g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
    static const bool opened = gtk_init_check(nullptr, nullptr) != FALSE;
    return opened;
}

void activate(GtkWidget* window) {
    GdkWindow* target = gtk_widget_get_window(window);
    GdkDisplay* display = gdk_window_get_display(target);
    gdk_x11_display_error_trap_push(display);
    XSetInputFocus(GDK_DISPLAY_XDISPLAY(display), GDK_WINDOW_XID(target), RevertToParent,
                   CurrentTime);
    gdk_x11_display_error_trap_pop_ignored(display);
}

void processEvents() {
    while (gtk_events_pending()) {
        gtk_main_iteration_do(FALSE);
    }
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        processEvents();
        g_usleep(5000);
    }
    return true;
}

void pressKey(GtkWidget* window, guint keyval, GdkModifierType state) {
    GdkWindow* target = gtk_widget_get_window(window);
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_window_get_display(target)),
                                      keyval, &keys, &count);
    const GdkKeymapKey* key = count > 0 ? &keys[0] : nullptr;
    sendKeyEvent(target, GDK_KEY_PRESS, keyval, state, key);
    sendKeyEvent(target, GDK_KEY_RELEASE, keyval, state, key);
    g_free(keys);
    processEvents();
}

void typeText(GtkWidget* window, std::string_view text) {
    for (const char c : text) {
        pressKey(window, gdk_unicode_to_keyval(static_cast<guchar>(c)));
    }
}

GdkRectangle rectangleInWindow(GtkWidget* widget) {
    GtkAllocation allocation;
    gtk_widget_get_allocation(widget, &allocation);
    int x = 0;
    int y = 0;
    gtk_widget_translate_coordinates(widget, gtk_widget_get_toplevel(widget), 0, 0, &x, &y);
    return {x, y, allocation.width, allocation.height};
}

void click(GtkWidget* widget) {
    // A button takes the pointer through an input window of its own; other widgets through
    // their toplevel's window.
    GdkWindow* target = GTK_IS_BUTTON(widget) ? gtk_button_get_event_window(GTK_BUTTON(widget))
                                              : gtk_widget_get_window(widget);
    const GdkRectangle inWindow = rectangleInWindow(widget);
    int originX = 0;
    int originY = 0;
    if (!GTK_IS_BUTTON(widget)) {
        originX = inWindow.x;
        originY = inWindow.y;
    }
    GdkDisplay* display = gdk_window_get_display(target);
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
    for (const GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->button.window = GDK_WINDOW(g_object_ref(target));
        event->button.send_event = FALSE;
        event->button.time = GDK_CURRENT_TIME;
        event->button.x = originX + inWindow.width / 2.0;
        event->button.y = originY + inWindow.height / 2.0;
        event->button.button = 1;
        event->button.state = type == GDK_BUTTON_RELEASE ? GDK_BUTTON1_MASK : 0;
        gdk_event_set_device(event, pointer);
        gtk_main_do_event(event);
        gdk_event_free(event);
        processEvents();
    }
}

WindowPicture::WindowPicture(GtkWidget* window)
    : pixbuf_(gdk_pixbuf_get_from_window(gtk_widget_get_window(window), 0, 0,
                                         gtk_widget_get_allocated_width(window),
                                         gtk_widget_get_allocated_height(window))) {}

WindowPicture::~WindowPicture() {
    if (pixbuf_ != nullptr) {
        g_object_unref(pixbuf_);
    }
}

Pixel WindowPicture::at(int x, int y) const {
    if (pixbuf_ == nullptr || x < 0 || y < 0 || x >= gdk_pixbuf_get_width(pixbuf_) ||
        y >= gdk_pixbuf_get_height(pixbuf_)) {
        return {-1, -1, -1};
    }
    const guchar* p = gdk_pixbuf_read_pixels(pixbuf_) + y * gdk_pixbuf_get_rowstride(pixbuf_) +
                      x * gdk_pixbuf_get_n_channels(pixbuf_);
    return {p[0], p[1], p[2]};
}

DialogAnswers::DialogAnswers(std::vector<Answer> answers)
    : answers_(std::move(answers)), source_(g_timeout_add(20, onPoll, this)) {}

DialogAnswers::~DialogAnswers() {
    g_source_remove(source_);
}

// Answers from an idle callback of its own: answering may run a nested dialog (the question
// before a file is replaced), and this poll must keep running to answer that one too.
gboolean DialogAnswers::onPoll(gpointer self) {
    auto* answers = static_cast<DialogAnswers*>(self);
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item != nullptr; item = item->next) {
        GtkWidget* widget = GTK_WIDGET(item->data);
        if (!GTK_IS_DIALOG(widget) || !gtk_widget_get_mapped(widget) ||
            g_object_get_data(G_OBJECT(widget), kAnsweredMark) != nullptr) {
            continue;
        }
        g_object_set_data(G_OBJECT(widget), kAnsweredMark, GINT_TO_POINTER(1));
        struct Job {
            DialogAnswers* answers;
            GtkDialog* dialog;
        };
        auto* job = new Job{answers, GTK_DIALOG(g_object_ref(widget))};
        g_idle_add(
            [](gpointer data) -> gboolean {
                auto* job = static_cast<Job*>(data);
                DialogAnswers& a = *job->answers;
                if (a.answered_ < static_cast<int>(a.answers_.size())) {
                    a.answers_[static_cast<std::size_t>(a.answered_++)](job->dialog);
                } else {
                    ++a.unexpected_;
                    gtk_dialog_response(job->dialog, GTK_RESPONSE_CANCEL);
                }
                g_object_unref(job->dialog);
                delete job;
                return G_SOURCE_REMOVE;
            },
            job);
    }
    g_list_free(toplevels);
    return G_SOURCE_CONTINUE;
}

}  // namespace tilewright::test
