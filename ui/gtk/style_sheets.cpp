#include "ui/gtk/style_sheets.h"

#include <gtk/gtk.h>

#include <memory>
#include <mutex>
#include <string>

#include "ui/gtk/resources.h"
#include "ui/layout.h"

namespace tilewright {
namespace {

using layout::ControlKind;

struct GBytesUnref {
    void operator()(GBytes* bytes) const { g_bytes_unref(bytes); }
};
using GBytesPtr = std::unique_ptr<GBytes, GBytesUnref>;

std::string cssColour(layout::Rgb colour) {
    return "rgb(" + std::to_string(colour.red) + "," + std::to_string(colour.green) + "," +
           std::to_string(colour.blue) + ")";
}

// The colours come from the shared layout; the rest of the window's look from
// form1-colours.css.
std::string layoutColoursCss() {
    std::string css = "#Form1 { background-color: " + cssColour(layout::kBackground) + "; }\n";
    for (const layout::Control& c : layout::kControls) {
        const std::string selector = std::string("#Form1 #") + c.name;
        if (c.kind == ControlKind::Label) {
            css += selector + " { color: " + cssColour(layout::kLabelText) + "; }\n";
        } else if (c.kind == ControlKind::OptionButton) {
            css += selector + " { color: " + cssColour(layout::kOptionText) +
                   "; background-color: " + cssColour(layout::kBackground) + "; }\n";
        }
    }
    return css;
}

// A text file from the resources, by its name there.
std::string resourceText(const std::string& name) {
    const GBytesPtr bytes{g_resources_lookup_data((kResourcePrefix + name).c_str(),
                                                  G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr)};
    return {static_cast<const char*>(g_bytes_get_data(bytes.get(), nullptr)),
            g_bytes_get_size(bytes.get())};
}

GtkCssProvider* styleSheet(const std::string& css) {
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    return provider;
}

// The style sheets, made once for the program: the sizes always apply, the window's own
// colours only outside high contrast.
struct StyleSheets {
    GtkCssProvider* sizes;
    GtkCssProvider* colours;
};

const StyleSheets& styleSheets() {
    // The font size, from the shared layout, is a size: it stays in high contrast.
    static const StyleSheets sheets{
        styleSheet(resourceText("form1.css") +
                   "#Form1 { font-size: " + std::to_string(layout::kFontPoints) + "pt; }\n"),
        styleSheet(resourceText("form1-colours.css") + layoutColoursCss())};
    return sheets;
}

// The theme's name, as GTK_THEME overrides the desktop's choice, without a ":dark" variant.
std::string themeName() {
    std::string name;
    if (const char* forced = g_getenv("GTK_THEME"); forced != nullptr && *forced != '\0') {
        name = forced;
    } else {
        gchar* chosen = nullptr;
        g_object_get(gtk_settings_get_default(), "gtk-theme-name", &chosen, nullptr);
        name = chosen != nullptr ? chosen : "";
        g_free(chosen);
    }
    return name.substr(0, name.find(':'));
}

// A high-contrast theme is recognised by its name: GNOME's "High Contrast" setting switches
// to HighContrast (or HighContrastInverse, white on black), and the themes built for it name
// themselves so. The window then leaves every colour to the theme.
bool highContrastTheme() {
    return themeName().rfind("HighContrast", 0) == 0;
}

}  // namespace

void applyStyleSheets() {
    static bool coloursApplied = false;
    const StyleSheets& sheets = styleSheets();
    GdkScreen* screen = gdk_screen_get_default();
    static std::once_flag once;
    std::call_once(once, [&] {
        gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(sheets.sizes),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    });
    const bool wanted = !highContrastTheme();
    if (wanted && !coloursApplied) {
        gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(sheets.colours),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    } else if (!wanted && coloursApplied) {
        gtk_style_context_remove_provider_for_screen(screen, GTK_STYLE_PROVIDER(sheets.colours));
    }
    coloursApplied = wanted;
}

}  // namespace tilewright
