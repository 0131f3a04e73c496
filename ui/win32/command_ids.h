#pragma once

#include <cstddef>

#include "ui/layout.h"

namespace tilewright {

// Each of Form1's controls has its place in the layout's table as its index in Form1's controls_
// and, offset, as its command id: the id it sends with WM_COMMAND and GetDlgCtrlID returns.

// Command ids start above IDOK and IDCANCEL, which the dialog keys send for Enter and Escape.
constexpr int kFirstCommandId = 1000;

constexpr std::size_t indexOf(layout::ControlId id) {
    return static_cast<std::size_t>(id);
}

// controls_ and the command ids are indexed by ControlId, which must follow the table's order.
static_assert([] {
    for (std::size_t i = 0; i < layout::kControls.size(); ++i) {
        if (indexOf(layout::kControls[i].id) != i) {
            return false;
        }
    }
    return true;
}());

constexpr int commandId(layout::ControlId id) {
    return kFirstCommandId + static_cast<int>(indexOf(id));
}

inline const layout::Control* controlForCommand(int id) {
    const int index = id - kFirstCommandId;
    if (index < 0 || index >= static_cast<int>(layout::kControls.size())) {
        return nullptr;
    }
    return &layout::kControls[static_cast<std::size_t>(index)];
}

}  // namespace tilewright
