#pragma once

#include <gtk/gtk.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "create/create_rom.h"
#include "ui/layout.h"

namespace tilewright {

// The tool's only window, in GTK 3: the name box, the six option buttons beside the icon
// picture and the Create button, placed as the shared layout says. Everything the Create
// command does goes through createRom; the window only provides its inputs and dialogs.
class Form1 final : public MainWindow {
public:
    Form1();
    ~Form1() override;
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    [[nodiscard]] GtkWindow* window() const { return GTK_WINDOW(form1_); }
    [[nodiscard]] GtkWidget* control(layout::ControlId id) const;

    std::string nameText() const override;
    IconChoice selectedIcon() const override;
    void setNameText(std::string_view text) override;
    void selectIcon(IconChoice icon) override;
    std::optional<std::string> runSaveDialog(const SaveDialogSettings& settings) override;
    void showError(std::string_view text, std::string_view title) override;

private:
    void createControls();
    void layoutControls();
    void setFocusChain();
    void describeForScreenReaders();
    void showPicture();
    bool previewKey(const GdkEventKey& event);
    void typeIntoName(char code);

    static gboolean onForm1KeyPressEvent(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static void onForm1ScaleFactorChanged(GObject* object, GParamSpec* property, gpointer self);
    static void onScreenResolutionChanged(GObject* object, GParamSpec* property, gpointer self);
    static void onThemeChanged(GObject* object, GParamSpec* property, gpointer self);
    static void onChkClicked(GtkButton* button, gpointer self);
    static void onTxtNameActivate(GtkEntry* entry, gpointer self);
    static void onTxtNameInsertText(GtkEditable* editable, gchar* text, gint length, gint* position,
                                    gpointer self);
    static void onCmdCreateClicked(GtkButton* button, gpointer self);

    GtkWidget* form1_ = nullptr;  // one reference of our own, so the window outlives a close
    GtkWidget* fixed_ = nullptr;
    std::array<GtkWidget*, layout::kControls.size()> controls_{};  // indexed by ControlId
};

}  // namespace tilewright
