#pragma once

#include <array>

#include "ui/layout.h"

// Where the main window's controls must stand at 96 dpi, in pixels, worked out by hand from
// the layout's twips, for the tests of both windows.
namespace tilewright::test {

struct PixelPlacement {
    layout::ControlId id;
    layout::Rect at96;  // left, top, width and height
};

inline constexpr layout::Size kClientPixelsAt96{200, 406};

inline constexpr std::array<PixelPlacement, 11> kPixelsAt96{{
    {layout::ControlId::Label1, {24, 8, 153, 17}},
    {layout::ControlId::txtName, {24, 24, 153, 21}},
    {layout::ControlId::Label2, {24, 68, 153, 13}},
    {layout::ControlId::chk0, {20, 108, 49, 19}},
    {layout::ControlId::chk1, {20, 152, 49, 19}},
    {layout::ControlId::chk2, {20, 196, 49, 19}},
    {layout::ControlId::chk3, {20, 240, 49, 19}},
    {layout::ControlId::chk4, {20, 284, 49, 19}},
    {layout::ControlId::chk5, {20, 320, 49, 19}},
    {layout::ControlId::Image1, {72, 88, 103, 259}},
    {layout::ControlId::cmdCreate, {28, 368, 145, 29}},
}};
static_assert(kPixelsAt96.size() == layout::kControls.size());

}  // namespace tilewright::test
