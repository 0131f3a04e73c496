#include "ui/gtk/key_preview.h"

#include "rom/name_tiles.h"

namespace tilewright {
namespace {

// Above every code the filter hands on, so the filter drops it.
constexpr std::int16_t kUntypeable = 0x7FFF;

bool isDeadOrComposeKey(guint keyval) {
    return (keyval >= GDK_KEY_dead_grave && keyval <= GDK_KEY_dead_greek) ||
           keyval == GDK_KEY_Multi_key;
}

}  // namespace

std::optional<std::int16_t> typedCharacter(guint keyval, GdkModifierType state) {
    switch (keyval) {
        // Focus moves and the default button: handled by the window, not typed.
        case GDK_KEY_Tab:
        case GDK_KEY_ISO_Left_Tab:
        case GDK_KEY_KP_Tab:
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter:
        // GDK gives Delete the code 127, but it edits rather than types.
        case GDK_KEY_Delete:
        case GDK_KEY_KP_Delete:
            return std::nullopt;
        case GDK_KEY_BackSpace:
            // Ctrl+Backspace types DEL on Windows, which the filter drops; here too.
            return (state & GDK_CONTROL_MASK) != 0 ? std::int16_t{127} : kBackspace;
        default:
            break;
    }
    if ((state & (GDK_MOD1_MASK | GDK_SUPER_MASK | GDK_META_MASK | GDK_HYPER_MASK)) != 0) {
        return std::nullopt;
    }
    if ((state & GDK_CONTROL_MASK) != 0) {
        const guint letter = gdk_keyval_to_upper(keyval);
        if (letter >= GDK_KEY_A && letter <= GDK_KEY_Z) {
            return static_cast<std::int16_t>(letter - GDK_KEY_A + 1);
        }
        return std::nullopt;
    }
    if (isDeadOrComposeKey(keyval)) {
        return kUntypeable;
    }
    const guint32 code = gdk_keyval_to_unicode(keyval);
    if (code == 0) {
        return std::nullopt;
    }
    return code > static_cast<guint32>(kUntypeable) ? kUntypeable : static_cast<std::int16_t>(code);
}

}  // namespace tilewright
