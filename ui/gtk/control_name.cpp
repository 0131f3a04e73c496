#include "ui/gtk/control_name.h"

namespace tilewright {

const char* controlName(layout::ControlId id) {
    using layout::ControlId;
    switch (id) {
        case ControlId::Label1:
            return "Label1";
        case ControlId::txtName:
            return "txtName";
        case ControlId::Label2:
            return "Label2";
        case ControlId::chk0:
            return "chk0";
        case ControlId::chk1:
            return "chk1";
        case ControlId::chk2:
            return "chk2";
        case ControlId::chk3:
            return "chk3";
        case ControlId::chk4:
            return "chk4";
        case ControlId::chk5:
            return "chk5";
        case ControlId::Image1:
            return "Image1";
        case ControlId::cmdCreate:
            return "cmdCreate";
    }
    return "";
}

}  // namespace tilewright
