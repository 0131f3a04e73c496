#pragma once

#include "text/windows_api.h"
#include "ui/layout.h"

namespace tilewright {

// Makes a control announce itself to screen readers (Microsoft Active Accessibility) with the
// announcement's name and description instead of its window text, which for the option buttons
// and the picture is empty because what they mean is drawn. Everything else a screen reader
// asks (role, state, position, actions) still comes from Windows' standard object for the
// control. The announcement must outlive the control. The control's GWLP_USERDATA holds what
// this needs, so it must not be used for anything else.
void announceAs(HWND control, const layout::Announcement& announcement);

}  // namespace tilewright
