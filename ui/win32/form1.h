#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "create/create_rom.h"
#include "text/windows_api.h"
#include "ui/layout.h"
#include "ui/win32/form_colours.h"
#include "ui/win32/gdi_handle.h"

namespace tilewright {

// The main window: the name box, the six option buttons beside the icon picture and the Create
// button, laid out from ui/layout.h at the window's DPI. It implements MainWindow for the
// Create command and passes every typed character through filterKey (see preprocessMessage).
class Form1 : public MainWindow {
public:
    // Creates the window, hidden, with its controls; the picture is the module's bitmap
    // resource. Throws std::system_error when Windows refuses to create it.
    explicit Form1(HINSTANCE module);
    ~Form1() override;
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    void show(int showCommand);

    [[nodiscard]] HWND handle() const noexcept { return window_; }
    [[nodiscard]] HWND control(layout::ControlId id) const noexcept;
    [[nodiscard]] int dpi() const noexcept { return dpi_; }
    [[nodiscard]] HFONT font() const noexcept { return font_.get(); }

    // The window's key preview and dialog keys for one message taken from the queue: a typed
    // character for the window or any of its controls goes through filterKey (swallowed or
    // replaced), then Tab, arrows, Enter and Escape get their dialog meaning. True when the
    // message is done with and must not be dispatched.
    bool preprocessMessage(MSG& message);

    // Paints the window in the layout's colours, or in the system's under high contrast. The
    // window calls it with highContrastOn() at start and whenever the system's colours or
    // settings change.
    void applyColours(bool highContrast);

    // MainWindow
    [[nodiscard]] std::string nameText() const override;
    [[nodiscard]] IconChoice selectedIcon() const override;
    void setNameText(std::string_view text) override;
    void selectIcon(IconChoice icon) override;
    std::optional<std::string> runSaveDialog(const SaveDialogSettings& settings) override;
    void showError(std::string_view text, std::string_view title) override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls(HINSTANCE module, int dpi);
    void layoutControls(int dpi);
    void placeWindow(int dpi, POINT topLeft);
    void fitClientArea(int dpi, SIZE size);
    [[nodiscard]] SIZE windowSizeFor(int dpi) const;
    void focusControl(HWND control);
    void keepSelectedOptionAsTabStop();

    void onActivate(WPARAM wParam);
    void onCommand(int id, int code);
    void onOptionClicked();
    void onNameChanged();
    LRESULT onControlColor(HDC dc, HWND control);
    void onEraseBackground(HDC dc);
    void onPaint();
    [[nodiscard]] RECT focusRingAround(HWND option) const;
    void redrawFocusRing(HWND option);
    void onDrawPicture(const DRAWITEMSTRUCT& item);
    void onDpiChanged(int dpi, const RECT& suggested);
    void onNextControl(WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::array<HWND, layout::kControls.size()> controls_{};
    FormColours colours_{};
    GdiHandle<HBRUSH> background_;
    GdiHandle<HFONT> font_;
    GdiHandle<HBITMAP> picture_;
    std::vector<std::uint32_t> scaledPicture_;  // picture_ at scaledSize_, drawn on repaints
    SIZE scaledSize_{};
    HWND focusBeforeDeactivation_ = nullptr;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    bool quitWhenDestroyed_ = true;
};

}  // namespace tilewright
