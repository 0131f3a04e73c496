#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "rom/rom_image.h"
#include "text/joined_text.h"

// The main window's layout, texts, colours and focus order, once, for every platform's window.
// Positions and sizes are in twips (1/1440 inch), measured from the top-left corner of the
// client area; at 96 dpi, 15 twips make one pixel.
namespace tilewright::layout {

enum class ControlId : std::uint8_t {
    Label1,
    txtName,
    Label2,
    chk0,
    chk1,
    chk2,
    chk3,
    chk4,
    chk5,
    Image1,
    cmdCreate,
};

enum class ControlKind : std::uint8_t { Label, TextBox, OptionButton, Picture, PushButton };

struct Rect {
    int left;
    int top;
    int width;
    int height;
};

struct Size {
    int width;
    int height;
};

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

inline constexpr int kNoFocus = -1;

struct Control {
    ControlId id;
    const char* name;  // the control's own name ("txtName"), for toolkits that name widgets
    ControlKind kind;
    Rect twips;
    std::string_view text;
    int focusOrder;  // place in the keyboard focus sequence, lowest first; kNoFocus for none
};

inline constexpr std::string_view kWindowTitle = "Tilewright";
inline constexpr std::string_view kNameLabel = joinedText<[] {
    return std::array<std::string_view, 3>{"Name: (Max. ", decimalText<kMaxNameLength>,
                                           " Characters)"};
}>;
inline constexpr Size kClientSize{3000, 6090};

// The dialog font's size, the one that fits every text into the layout's boxes.
inline constexpr int kFontPoints = 8;

inline constexpr Rgb kBackground{0, 64, 0};
inline constexpr Rgb kLabelText{255, 255, 255};
inline constexpr Rgb kOptionText{255, 255, 255};

// Labels take no focus, so their places in the sequence are only kept for the record.
inline constexpr std::array<Control, 11> kControls{{
    {ControlId::Label1, "Label1", ControlKind::Label, {353, 120, 2295, 255}, kNameLabel, 2},
    {ControlId::txtName, "txtName", ControlKind::TextBox, {353, 360, 2295, 315}, "", 0},
    {ControlId::Label2, "Label2", ControlKind::Label, {360, 1020, 2295, 195}, "Select Icon:", 9},
    {ControlId::chk0, "chk0", ControlKind::OptionButton, {300, 1620, 735, 285}, "None", 8},
    {ControlId::chk1, "chk1", ControlKind::OptionButton, {300, 2280, 735, 285}, "", 7},
    {ControlId::chk2, "chk2", ControlKind::OptionButton, {300, 2940, 735, 285}, "", 6},
    {ControlId::chk3, "chk3", ControlKind::OptionButton, {300, 3600, 735, 285}, "", 3},
    {ControlId::chk4, "chk4", ControlKind::OptionButton, {300, 4260, 735, 285}, "", 5},
    {ControlId::chk5, "chk5", ControlKind::OptionButton, {300, 4800, 735, 285}, "", 4},
    {ControlId::Image1, "Image1", ControlKind::Picture, {1080, 1320, 1545, 3885}, "", kNoFocus},
    {ControlId::cmdCreate,
     "cmdCreate",
     ControlKind::PushButton,
     {413, 5520, 2175, 435},
     "Create Rom (27C64)",
     1},
}};

// The option buttons in the order of the icons they select: chk0 (none) to chk5.
inline constexpr std::array<ControlId, kIconCount> kOptionButtons{
    ControlId::chk0, ControlId::chk1, ControlId::chk2,
    ControlId::chk3, ControlId::chk4, ControlId::chk5,
};

// The option button that selects the icon. A value outside IconChoice has none: both windows
// then leave the selection as it is, since no user action can ask for one and nothing should
// be thrown from the toolkit's event handling.
[[nodiscard]] constexpr std::optional<ControlId> optionButton(IconChoice icon) {
    const auto index = static_cast<std::size_t>(icon);
    return index < kOptionButtons.size() ? std::optional(kOptionButtons[index]) : std::nullopt;
}

// What a screen reader announces for the controls whose meaning is drawn rather than written:
// the option buttons beside the picture show no caption, and the picture no text. None of
// this is drawn; each window hands it to its platform's accessibility interface.
struct Announcement {
    ControlId id;
    std::string_view name;
    std::string_view description;  // empty for none
};

inline constexpr std::array<Announcement, 6> kAnnouncements{{
    {ControlId::chk1, "Icon 1: a face with blue hair", ""},
    {ControlId::chk2, "Icon 2: a dark-haired face, a slash, a red-haired face", ""},
    {ControlId::chk3, "Icon 3: a blue-haired face and a red-haired face", ""},
    {ControlId::chk4,
     "Icon 4: a dark-haired face, a slash, a blue-haired face and a red-haired face", ""},
    {ControlId::chk5, "Icon 5: a gun with a burst at its muzzle", ""},
    {ControlId::Image1, "The five icons",
     "Icon 1 at the top to Icon 5 at the bottom, each beside the option button that selects it"},
}};

// The name box has no text of its own to announce; the label above it names it.
inline constexpr ControlId kNameBoxLabel = ControlId::Label1;

[[nodiscard]] constexpr const Control& control(ControlId id) {
    return *std::find_if(kControls.begin(), kControls.end(),
                         [id](const Control& c) { return c.id == id; });
}

// The control's announcement in kAnnouncements, or nullptr when its own text says it all.
[[nodiscard]] constexpr const Announcement* announcement(ControlId id) {
    const auto found = std::find_if(kAnnouncements.begin(), kAnnouncements.end(),
                                    [id](const Announcement& a) { return a.id == id; });
    return found != kAnnouncements.end() ? &*found : nullptr;
}

[[nodiscard]] constexpr bool takesFocus(const Control& c) {
    return c.focusOrder != kNoFocus && c.kind != ControlKind::Label;
}

// The controls that take the focus, in the order Tab moves through them: the layout's focus
// order, except that the option buttons make one stop where the first of them comes, and
// within it they stand in their on-screen order chk0..chk5. Tab stops there once, at the
// selected one; the arrow keys move within the group.
[[nodiscard]] constexpr auto focusSequence() {
    constexpr auto count =
        static_cast<std::size_t>(std::count_if(kControls.begin(), kControls.end(), takesFocus));
    std::array<ControlId, count> sequence{};
    std::array<Control, kControls.size()> sorted = kControls;
    std::sort(sorted.begin(), sorted.end(),
              [](const Control& a, const Control& b) { return a.focusOrder < b.focusOrder; });
    std::size_t next = 0;
    bool groupPlaced = false;
    for (const Control& c : sorted) {
        if (!takesFocus(c)) {
            continue;
        }
        if (c.kind != ControlKind::OptionButton) {
            sequence[next++] = c.id;
        } else if (!groupPlaced) {
            for (const ControlId option : kOptionButtons) {
                sequence[next++] = option;
            }
            groupPlaced = true;
        }
    }
    return sequence;
}

// Twips to device pixels at the given dots per inch, rounded to the nearest pixel
// (as Win32's MulDiv rounds).
[[nodiscard]] constexpr int twipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>((scaled + 720) / 1440);
}

[[nodiscard]] constexpr Rect toPixels(const Rect& twips, int dpi) {
    return {twipsToPixels(twips.left, dpi), twipsToPixels(twips.top, dpi),
            twipsToPixels(twips.width, dpi), twipsToPixels(twips.height, dpi)};
}

}  // namespace tilewright::layout
