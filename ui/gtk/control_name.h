#pragma once

#include "ui/layout.h"

namespace tilewright {

// A control's own name ("txtName", "chk3"), which is also its GTK widget name.
[[nodiscard]] const char* controlName(layout::ControlId id);

}  // namespace tilewright
