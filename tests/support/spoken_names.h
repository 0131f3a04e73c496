#pragma once

#include <string_view>

#include "ui/layout.h"

// What a screen reader must announce for each control of the main window, taken from the
// window's description in ui/layout.h: the name box is named by its label, the controls whose
// meaning is drawn by their announcement, every other control by its own text.
namespace tilewright::test {

[[nodiscard]] constexpr std::string_view spokenName(layout::ControlId id) {
    if (id == layout::ControlId::txtName) {
        id = layout::kNameBoxLabel;
    }
    if (const layout::Announcement* announced = layout::announcement(id)) {
        return announced->name;
    }
    return layout::control(id).text;
}

inline constexpr std::string_view kPictureDescription =
    layout::announcement(layout::ControlId::Image1)->description;

}  // namespace tilewright::test
