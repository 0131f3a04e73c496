#pragma once

#include <array>
#include <string_view>

#include "ui/layout.h"

// What a screen reader must announce for each control of the main window, in the window's
// table order, written out here on its own so that a lost or changed name fails the tests of
// both windows.
namespace tilewright::test {

struct SpokenName {
    layout::ControlId id;
    std::string_view name;
};

inline constexpr std::array<SpokenName, 11> kSpokenNames{{
    {layout::ControlId::Label1, "Name: (Max. 19 Characters)"},
    {layout::ControlId::txtName, "Name: (Max. 19 Characters)"},
    {layout::ControlId::Label2, "Select Icon:"},
    {layout::ControlId::chk0, "None"},
    {layout::ControlId::chk1, "Icon 1: a face with blue hair"},
    {layout::ControlId::chk2, "Icon 2: a dark-haired face, a slash, a red-haired face"},
    {layout::ControlId::chk3, "Icon 3: a blue-haired face and a red-haired face"},
    {layout::ControlId::chk4,
     "Icon 4: a dark-haired face, a slash, a blue-haired face and a red-haired face"},
    {layout::ControlId::chk5, "Icon 5: a gun with a burst at its muzzle"},
    {layout::ControlId::Image1, "The five icons"},
    {layout::ControlId::cmdCreate, "Create Rom (27C64)"},
}};

inline constexpr std::string_view kPictureDescription =
    "Icon 1 at the top to Icon 5 at the bottom, each beside the option button that selects it";

}  // namespace tilewright::test
