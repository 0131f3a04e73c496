// The real Linux window in this process: its layout, key filter, focus and Create command,
// driven through GTK's event dispatch on the test display.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rom/rom_image.h"
#include "tests/gtk/window_driver.h"
#include "tests/support/files.h"
#include "tests/support/image_check.h"
#include "tests/support/spoken_names.h"
#include "tests/support/window_pixels.h"
#include "ui/gtk/form1.h"
#include "ui/layout.h"

// GTK and fontconfig keep caches for the life of the process, which LeakSanitizer would report;
// only this GUI test turns leak checking off.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace tilewright {
namespace {

using layout::ControlId;
using test::DialogAnswers;
using test::pressKey;
using test::readFile;
using test::typeText;

// As the user does: GTK asks before replacing a file only when its Save button is pressed.
void pressSave(GtkDialog* dialog) {
    GtkWidget* save = gtk_dialog_get_widget_for_response(dialog, GTK_RESPONSE_ACCEPT);
    EXPECT_NE(save, nullptr);
    if (save != nullptr) {
        gtk_button_clicked(GTK_BUTTON(save));
    } else {
        gtk_dialog_response(dialog, GTK_RESPONSE_CANCEL);
    }
}

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::initGtk()) {
            GTEST_SKIP() << "no display";
        }
        form_ = std::make_unique<Form1>();
        // Active, as a window the user works in is: GTK moves the focus by Tab only there.
        gtk_widget_show(window());
        ASSERT_TRUE(test::waitUntil([&] {
            return gtk_widget_get_mapped(window()) &&
                   gtk_widget_get_allocated_width(control(ControlId::cmdCreate)) > 1;
        }));
        test::activate(window());
        ASSERT_TRUE(test::waitUntil([&] { return gtk_window_is_active(form_->window()); }));
    }

    void TearDown() override {
        form_.reset();
        test::processEvents();
    }

    GtkWidget* window() const { return GTK_WIDGET(form_->window()); }
    GtkWidget* control(ControlId id) const { return form_->control(id); }
    GtkWidget* focus() const { return gtk_window_get_focus(form_->window()); }
    bool isActive(ControlId id) const {
        return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(control(id))) != FALSE;
    }
    std::string name() const { return form_->nameText(); }

    std::unique_ptr<Form1> form_;
    test::ScratchFolder folder_;
};

// ---- Layout, texts and colours ----

TEST_F(Form1Test, EveryControlHasItsLayoutRectangle) {
    EXPECT_EQ(gtk_widget_get_allocated_width(window()), test::kClientPixelsAt96.width);
    EXPECT_EQ(gtk_widget_get_allocated_height(window()), test::kClientPixelsAt96.height);
    EXPECT_FALSE(gtk_window_get_resizable(form_->window()));
    EXPECT_STREQ(gtk_window_get_title(form_->window()), "Tilewright");

    for (const auto& [id, want] : test::kPixelsAt96) {
        SCOPED_TRACE(layout::control(id).name);
        const GdkRectangle got = test::rectangleInWindow(control(id));
        EXPECT_EQ(got.x, want.left);
        EXPECT_EQ(got.y, want.top);
        EXPECT_EQ(got.width, want.width);
        EXPECT_EQ(got.height, want.height);
    }
}

// Switching on a larger text size while the program runs (the desktop's setting changes GTK's
// font resolution) lays the window out again, and switching it off brings the old layout back.
TEST_F(Form1Test, LaysOutAgainWhenTheTextSizeChanges) {
    GdkScreen* screen = gdk_screen_get_default();
    const double usual = gdk_screen_get_resolution(screen);
    const std::pair<double, GdkRectangle> cases[] = {
        {144.0, {30, 162, 74, 29}},  // chk0 at 1.5 times
        {usual, {20, 108, 49, 19}},
    };
    for (const auto& [resolution, want] : cases) {
        SCOPED_TRACE(resolution);
        gdk_screen_set_resolution(screen, resolution);
        EXPECT_TRUE(test::waitUntil([&] {
            const GdkRectangle got = test::rectangleInWindow(control(ControlId::chk0));
            return got.x == want.x && got.y == want.y && got.width == want.width &&
                   got.height == want.height;
        }));
    }
}

// A text is whole when its label got all the room the text needs and lies inside the control.
TEST_F(Form1Test, EveryTextShowsWholeInsideItsControl) {
    const std::pair<ControlId, std::string_view> texts[] = {
        {ControlId::Label1, "Name: (Max. 19 Characters)"},
        {ControlId::Label2, "Select Icon:"},
        {ControlId::chk0, "None"},
        {ControlId::cmdCreate, "Create Rom (27C64)"},
    };
    for (const auto& [id, text] : texts) {
        SCOPED_TRACE(text);
        GtkWidget* widget = control(id);
        GtkWidget* label = GTK_IS_LABEL(widget) ? widget : gtk_bin_get_child(GTK_BIN(widget));
        ASSERT_TRUE(GTK_IS_LABEL(label));
        EXPECT_EQ(gtk_label_get_text(GTK_LABEL(label)), text);

        int textWidth = 0;
        int textHeight = 0;
        pango_layout_get_pixel_size(gtk_label_get_layout(GTK_LABEL(label)), &textWidth,
                                    &textHeight);
        const GdkRectangle box = test::rectangleInWindow(widget);
        const GdkRectangle room = test::rectangleInWindow(label);
        EXPECT_GE(room.width, textWidth);
        EXPECT_GE(room.height, textHeight);
        EXPECT_GE(room.x, box.x);
        EXPECT_GE(room.y, box.y);
        EXPECT_LE(room.x + room.width, box.x + box.width);
        EXPECT_LE(room.y + room.height, box.y + box.height);
    }
}

TEST_F(Form1Test, ShowsGreenBackgroundWhiteTextsAndThePictureInItsFrame) {
    constexpr test::Pixel kGreen{0, 64, 0};
    // The window draws itself when the main loop gets to it.
    ASSERT_TRUE(test::waitUntil([&] { return test::WindowPicture(window()).at(2, 2) == kGreen; }));
    const test::WindowPicture picture(window());

    // Some pixel of each caption is (near) white: the text is drawn in white on the green.
    for (const ControlId id : {ControlId::Label1, ControlId::Label2, ControlId::chk0}) {
        SCOPED_TRACE(layout::control(id).name);
        const GdkRectangle r = test::rectangleInWindow(control(id));
        int brightest = 0;
        for (int y = r.y; y < r.y + r.height; ++y) {
            for (int x = r.x; x < r.x + r.width; ++x) {
                const test::Pixel p = picture.at(x, y);
                brightest = std::max(brightest, std::min({p.red, p.green, p.blue}));
            }
        }
        EXPECT_GE(brightest, 230);
    }

    // The picture fills its frame, 72,88 to 174,346: its mottled green shows in the frame's
    // corners (the window's own green is darker), and the frame's edge is where it stops.
    for (const auto& [x, y] : std::array<std::pair<int, int>, 4>{{
             {72, 88},
             {174, 88},
             {72, 346},
             {174, 346},
         }}) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        const test::Pixel p = picture.at(x, y);
        EXPECT_GE(p.green, 70);
        EXPECT_LE(p.red, 40);
        EXPECT_LE(p.blue, 40);
    }
    EXPECT_EQ(picture.at(175, 88), kGreen);
}

// Run once more with GDK_SCALE=2 by the test list: the frame keeps its logical size, and the
// picture is scaled for the screen's real pixels rather than blown up afterwards.
TEST_F(Form1Test, PictureIsScaledForTheScreensPixels) {
    GtkImage* image = GTK_IMAGE(control(ControlId::Image1));
    ASSERT_EQ(gtk_image_get_storage_type(image), GTK_IMAGE_SURFACE);
    cairo_surface_t* surface = nullptr;
    g_object_get(image, "surface", &surface, nullptr);
    ASSERT_NE(surface, nullptr);
    const int scale = gtk_widget_get_scale_factor(window());
    double xScale = 0;
    double yScale = 0;
    cairo_surface_get_device_scale(surface, &xScale, &yScale);
    EXPECT_EQ(xScale, scale);
    EXPECT_EQ(yScale, scale);
    EXPECT_EQ(cairo_image_surface_get_width(surface), 103 * scale);
    EXPECT_EQ(cairo_image_surface_get_height(surface), 259 * scale);
    cairo_surface_destroy(surface);
    if (const char* wanted = g_getenv("GDK_SCALE")) {
        EXPECT_EQ(scale, std::atoi(wanted));
    }
}

// The window opens with one size of the application icon; every size follows once idle.
TEST_F(Form1Test, TheApplicationIconComesInEverySizeOnceIdle) {
    std::vector<int> sizes;
    test::waitUntil([&] {
        GList* icons = gtk_window_get_default_icon_list();
        sizes.clear();
        for (GList* icon = icons; icon != nullptr; icon = icon->next) {
            sizes.push_back(gdk_pixbuf_get_width(GDK_PIXBUF(icon->data)));
        }
        g_list_free(icons);
        return sizes.size() > 1;
    });
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48, 64, 128}));
}

// ---- What a screen reader announces ----

TEST_F(Form1Test, EveryControlHasTheNameAScreenReaderSpeaks) {
    const auto text = [](const char* t) { return std::string(t != nullptr ? t : ""); };
    for (const layout::Control& c : layout::kControls) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(text(atk_object_get_name(gtk_widget_get_accessible(control(c.id)))),
                  test::spokenName(c.id));
    }
    EXPECT_EQ(
        text(atk_object_get_description(gtk_widget_get_accessible(control(ControlId::Image1)))),
        test::kPictureDescription);

    // The name box is labelled by the label above it, which a screen reader follows.
    AtkRelationSet* relations =
        atk_object_ref_relation_set(gtk_widget_get_accessible(control(ControlId::txtName)));
    AtkRelation* labelledBy =
        atk_relation_set_get_relation_by_type(relations, ATK_RELATION_LABELLED_BY);
    ASSERT_NE(labelledBy, nullptr);
    GPtrArray* labels = atk_relation_get_target(labelledBy);
    ASSERT_EQ(labels->len, 1U);
    EXPECT_EQ(g_ptr_array_index(labels, 0), gtk_widget_get_accessible(control(ControlId::Label1)));
    g_object_unref(relations);
}

// ---- The key filter on real key events ----

TEST_F(Form1Test, TypingAtStartFillsTheNameInCapitals) {
    EXPECT_EQ(focus(), control(ControlId::txtName));
    EXPECT_TRUE(isActive(ControlId::chk0));
    typeText(window(), "star 1.!'-\",");
    EXPECT_EQ(name(), "STAR 1.!'-\",");
}

TEST_F(Form1Test, DropsCharactersWithoutATileAndControlShortcuts) {
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), "PASTED", -1);
    typeText(window(), "a?&*#[b");
    pressKey(window(), GDK_KEY_eacute);
    pressKey(window(), GDK_KEY_v, GDK_CONTROL_MASK);
    pressKey(window(), GDK_KEY_V, static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_SHIFT_MASK));
    pressKey(window(), GDK_KEY_Escape);
    test::processEvents();
    EXPECT_EQ(name(), "AB");

    // Ctrl+X would have cut the selection.
    gtk_editable_select_region(GTK_EDITABLE(control(ControlId::txtName)), 0, -1);
    pressKey(window(), GDK_KEY_x, GDK_CONTROL_MASK);
    EXPECT_EQ(name(), "AB");
}

TEST_F(Form1Test, EditingKeysKeepTheirEffect) {
    typeText(window(), "abc");
    pressKey(window(), GDK_KEY_BackSpace);
    EXPECT_EQ(name(), "AB");
    pressKey(window(), GDK_KEY_Home);
    typeText(window(), "x");
    EXPECT_EQ(name(), "XAB");
    pressKey(window(), GDK_KEY_Delete);
    EXPECT_EQ(name(), "XB");
    pressKey(window(), GDK_KEY_End);
    pressKey(window(), GDK_KEY_Left);
    typeText(window(), "9");
    EXPECT_EQ(name(), "X9B");
    // Ctrl+H is the backspace character, as on Windows.
    pressKey(window(), GDK_KEY_h, GDK_CONTROL_MASK);
    EXPECT_EQ(name(), "XB");
    // Ctrl+Backspace types DEL, which has no tile: nothing is deleted.
    pressKey(window(), GDK_KEY_BackSpace, GDK_CONTROL_MASK);
    EXPECT_EQ(name(), "XB");
}

TEST_F(Form1Test, ATypedCharacterReplacesTheSelection) {
    typeText(window(), "hello");
    gtk_editable_select_region(GTK_EDITABLE(control(ControlId::txtName)), 1, 4);
    typeText(window(), "i");
    EXPECT_EQ(name(), "HIO");
    EXPECT_EQ(gtk_editable_get_position(GTK_EDITABLE(control(ControlId::txtName))), 2);
}

TEST_F(Form1Test, TextEnteringWithoutAKeyPressObeysTheKeyFilter) {
    GtkEditable* box = GTK_EDITABLE(control(ControlId::txtName));
    // Each route inserts "bob", a line break, an escape, "!" and an accented letter between
    // the A and the B of "AB".
    constexpr const char* kInserted = "bob\n\x1b!\u00e9";
    const std::pair<const char*, std::function<void()>> routes[] = {
        {"Shift+Insert", [&] { pressKey(window(), GDK_KEY_Insert, GDK_SHIFT_MASK); }},
        {"Paste from the menu", [&] { g_signal_emit_by_name(box, "paste-clipboard"); }},
        {"drop or input method",
         [&] {
             gint position = gtk_editable_get_position(box);
             gtk_editable_insert_text(box, kInserted, -1, &position);
             gtk_editable_set_position(box, position);
         }},
    };
    for (const auto& [route, insert] : routes) {
        SCOPED_TRACE(route);
        form_->setNameText("AB");
        gtk_editable_set_position(box, 1);
        gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), kInserted, -1);
        insert();
        EXPECT_TRUE(test::waitUntil([&] { return name() != "AB"; }));
        EXPECT_EQ(name(), "ABOB!B");
        EXPECT_EQ(gtk_editable_get_position(box), 5);
    }
}

// ---- Focus ----

TEST_F(Form1Test, TabVisitsNameCreateAndTheSelectedOptionOnly) {
    form_->selectIcon(IconChoice::Icon2);
    gtk_widget_grab_focus(control(ControlId::txtName));
    pressKey(window(), GDK_KEY_Tab);
    EXPECT_EQ(focus(), control(ControlId::cmdCreate));
    pressKey(window(), GDK_KEY_Tab);
    EXPECT_EQ(focus(), control(ControlId::chk2));
    pressKey(window(), GDK_KEY_Tab);
    EXPECT_EQ(focus(), control(ControlId::txtName));
    pressKey(window(), GDK_KEY_ISO_Left_Tab, GDK_SHIFT_MASK);
    EXPECT_EQ(focus(), control(ControlId::chk2));
}

TEST_F(Form1Test, ClickingAnOptionSelectsItAndTypingAddsToTheName) {
    typeText(window(), "ab");
    test::click(control(ControlId::chk3));
    ASSERT_TRUE(test::waitUntil([&] { return isActive(ControlId::chk3); }));
    EXPECT_EQ(focus(), control(ControlId::txtName));
    typeText(window(), "c");
    EXPECT_EQ(name(), "ABC");
    EXPECT_EQ(form_->selectedIcon(), IconChoice::Icon3);

    // Clicking the picture or a label changes nothing.
    test::click(control(ControlId::Image1));
    test::click(control(ControlId::Label2));
    // Nor does a value outside IconChoice, which has no option button.
    form_->selectIcon(static_cast<IconChoice>(kIconCount));
    EXPECT_EQ(form_->selectedIcon(), IconChoice::Icon3);
    EXPECT_EQ(name(), "ABC");
}

TEST_F(Form1Test, ArrowKeysMoveThroughTheOptionsInScreenOrderAndReturnToTheName) {
    typeText(window(), "ab");
    gtk_widget_grab_focus(control(ControlId::chk0));
    pressKey(window(), GDK_KEY_Down);
    EXPECT_TRUE(isActive(ControlId::chk1));
    EXPECT_EQ(focus(), control(ControlId::txtName));

    gtk_widget_grab_focus(control(ControlId::chk1));
    pressKey(window(), GDK_KEY_Down);
    EXPECT_TRUE(isActive(ControlId::chk2));

    gtk_widget_grab_focus(control(ControlId::chk2));
    pressKey(window(), GDK_KEY_Up);
    EXPECT_TRUE(isActive(ControlId::chk1));
    EXPECT_EQ(focus(), control(ControlId::txtName));
    typeText(window(), "c");
    EXPECT_EQ(name(), "ABC");
}

// ---- The Create command through the window ----

TEST_F(Form1Test, CreateAsksWhereToSaveWritesTheImageAndResets) {
    typeText(window(), "space race");
    test::click(control(ControlId::chk3));
    ASSERT_TRUE(isActive(ControlId::chk3));

    DialogAnswers answers({[&](GtkDialog* dialog) {
        GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
        EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(dialog)), "Select a folder to save file in.");
        EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(dialog)));
        EXPECT_EQ(gtk_file_chooser_get_action(chooser), GTK_FILE_CHOOSER_ACTION_SAVE);
        EXPECT_TRUE(gtk_file_chooser_get_do_overwrite_confirmation(chooser));
        gchar* current = gtk_file_chooser_get_current_name(chooser);
        EXPECT_STREQ(current, "SPACE RACE");
        g_free(current);

        GSList* filters = gtk_file_chooser_list_filters(chooser);
        EXPECT_EQ(g_slist_length(filters), 1U);
        if (filters != nullptr) {
            GtkFileFilter* filter = GTK_FILE_FILTER(filters->data);
            EXPECT_STREQ(gtk_file_filter_get_name(filter), "Binary Files (*.BIN)");
            for (const auto& [file, matches] : std::array<std::pair<const char*, bool>, 5>{{
                     {"GAME.BIN", true},
                     {"game.bin", true},
                     {"Game.Bin", true},
                     {"GAME.BINX", false},
                     {"GAME.TXT", false},
                 }}) {
                GtkFileFilterInfo info{};
                info.contains = GTK_FILE_FILTER_DISPLAY_NAME;
                info.display_name = file;
                EXPECT_EQ(gtk_file_filter_filter(filter, &info) != FALSE, matches) << file;
            }
        }
        g_slist_free(filters);

        gtk_file_chooser_set_current_folder(chooser, folder_.path().c_str());
        pressSave(dialog);
    }});
    pressKey(window(), GDK_KEY_Return);  // Enter in the name box presses Create

    EXPECT_EQ(answers.answered(), 1);
    EXPECT_EQ(answers.unexpected(), 0);
    const std::filesystem::path saved = folder_ / "SPACE RACE";
    ASSERT_TRUE(std::filesystem::exists(saved));
    const RomImage expected = expectedRomImage("SPACE RACE", IconChoice::Icon3);
    EXPECT_EQ(readFile(saved), std::vector<std::uint8_t>(expected.begin(), expected.end()));
    EXPECT_EQ(name(), "");
    EXPECT_TRUE(isActive(ControlId::chk0));
}

TEST_F(Form1Test, ReplacingAFileIsAskedFirst) {
    const std::filesystem::path target = folder_ / "OLD.BIN";
    test::writeFile(target, "old contents");
    typeText(window(), "new");

    bool asked = false;
    DialogAnswers answers({
        [&](GtkDialog* dialog) {
            gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), folder_.path().c_str());
            gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dialog), "OLD.BIN");
            pressKey(GTK_WIDGET(dialog), GDK_KEY_Return);
        },
        [&](GtkDialog* question) {
            asked = GTK_IS_MESSAGE_DIALOG(question);
            // Not yet replaced while the question is open.
            EXPECT_EQ(readFile(target).size(), std::string("old contents").size());
            gtk_dialog_response(question, GTK_RESPONSE_ACCEPT);
        },
    });
    gtk_button_clicked(GTK_BUTTON(control(ControlId::cmdCreate)));

    EXPECT_TRUE(asked);
    EXPECT_EQ(answers.unexpected(), 0);
    const RomImage expected = expectedRomImage("NEW", IconChoice::None);
    EXPECT_EQ(readFile(target), std::vector<std::uint8_t>(expected.begin(), expected.end()));
}

TEST_F(Form1Test, CancellingTheSaveDialogWritesNothingAndKeepsTheInputs) {
    typeText(window(), "keep");
    form_->selectIcon(IconChoice::Icon5);
    DialogAnswers answers({[&](GtkDialog* dialog) {
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), folder_.path().c_str());
        gtk_dialog_response(dialog, GTK_RESPONSE_CANCEL);
    }});
    gtk_button_clicked(GTK_BUTTON(control(ControlId::cmdCreate)));
    EXPECT_EQ(answers.answered(), 1);
    EXPECT_TRUE(std::filesystem::is_empty(folder_.path()));
    EXPECT_EQ(name(), "KEEP");
    EXPECT_EQ(form_->selectedIcon(), IconChoice::Icon5);
}

TEST_F(Form1Test, ATwentyCharacterNameShowsTheErrorBoxAndKeepsTheName) {
    typeText(window(), "abcdefghijklmnopqrst");
    DialogAnswers answers({[&](GtkDialog* box) {
        if (!GTK_IS_MESSAGE_DIALOG(box)) {
            ADD_FAILURE() << "not a message box";
            gtk_dialog_response(box, GTK_RESPONSE_CANCEL);
            return;
        }
        EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(box)), "Error");
        EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(box)));
        GtkMessageType type = GTK_MESSAGE_OTHER;
        gchar* text = nullptr;
        g_object_get(box, "message-type", &type, "text", &text, nullptr);
        EXPECT_EQ(type, GTK_MESSAGE_ERROR);
        EXPECT_STREQ(text, "Name must be 19 Characters or Less.");
        g_free(text);
        GtkWidget* icon = nullptr;
        g_object_get(box, "image", &icon, nullptr);
        EXPECT_TRUE(icon != nullptr && gtk_widget_get_mapped(icon));
        if (icon != nullptr) {
            const gchar* iconName = nullptr;
            gtk_image_get_icon_name(GTK_IMAGE(icon), &iconName, nullptr);
            EXPECT_STREQ(iconName, "dialog-error");
            g_object_unref(icon);
        }
        gtk_dialog_response(box, GTK_RESPONSE_OK);
    }});
    pressKey(window(), GDK_KEY_Return);
    EXPECT_EQ(answers.answered(), 1);
    EXPECT_EQ(answers.unexpected(), 0);  // no save dialog after the error
    EXPECT_EQ(name(), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(focus(), control(ControlId::txtName));
}

}  // namespace
}  // namespace tilewright
