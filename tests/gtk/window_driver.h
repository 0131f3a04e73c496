#pragma once

#include <gtk/gtk.h>

#include <chrono>
#include <functional>
#include <string_view>
#include <vector>

namespace tilewright::test {

// Opens GTK on the test display once per process; false when there is no display.
bool initGtk();

// Gives a mapped window the keyboard focus, as a window manager does when the user picks it
// (the test display has no window manager).
void activate(GtkWidget* window);

// Runs GTK's main loop until nothing is pending.
void processEvents();

// Runs the main loop until the condition holds or the time is up; returns the condition.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Sends a key press and its release through GTK's event dispatch to the window, as the X
// server's keyboard would.
void pressKey(GtkWidget* window, guint keyval, GdkModifierType state = GdkModifierType(0));

// Types each character of an ASCII text as one key press.
void typeText(GtkWidget* window, std::string_view text);

// Clicks the middle of a widget: a press and a release of the first button through GTK's
// event dispatch.
void click(GtkWidget* widget);

// A widget's rectangle in its toplevel's coordinates.
GdkRectangle rectangleInWindow(GtkWidget* widget);

struct Pixel {
    int red;
    int green;
    int blue;
    bool operator==(const Pixel&) const = default;
};

// What the window shows on screen, read once, pixel by pixel.
class WindowPicture {
public:
    explicit WindowPicture(GtkWidget* window);
    ~WindowPicture();
    WindowPicture(const WindowPicture&) = delete;
    WindowPicture& operator=(const WindowPicture&) = delete;

    // {-1, -1, -1} outside the picture or when the window could not be read.
    [[nodiscard]] Pixel at(int x, int y) const;

private:
    GdkPixbuf* pixbuf_;
};

// Answers the dialogs that a modal run opens: each dialog that appears is handed to the next
// answer in turn, which must end it with gtk_dialog_response. Dialogs beyond the answers are
// cancelled and counted as unexpected.
class DialogAnswers {
public:
    using Answer = std::function<void(GtkDialog*)>;
    explicit DialogAnswers(std::vector<Answer> answers);
    ~DialogAnswers();
    DialogAnswers(const DialogAnswers&) = delete;
    DialogAnswers& operator=(const DialogAnswers&) = delete;

    [[nodiscard]] int answered() const { return answered_; }
    [[nodiscard]] int unexpected() const { return unexpected_; }

private:
    static gboolean onPoll(gpointer self);

    std::vector<Answer> answers_;
    std::vector<GtkWidget*> seen_;
    int answered_ = 0;
    int unexpected_ = 0;
    guint source_ = 0;
};

}  // namespace tilewright::test
