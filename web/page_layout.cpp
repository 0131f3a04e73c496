// Prints what the web page takes from the window's layout: its title, the style sheet that
// places and colours the controls, and the controls' markup, in blocks that start with a line
// "@@title", "@@css" or "@@controls". make_page.py fills them into page.html, so the page's
// geometry, texts and accessible names are the ones both windows use.
#include <cstdio>
#include <string>
#include <string_view>

#include "create/create_rom.h"
#include "ui/layout.h"

namespace tilewright {
namespace {

// The option buttons' caption "Select Icon:" is the label that names their group.
constexpr layout::ControlId kIconGroupLabel = layout::ControlId::Label2;

std::string escapeHtml(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string cssColour(layout::Rgb colour) {
    return "rgb(" + std::to_string(colour.red) + ", " + std::to_string(colour.green) + ", " +
           std::to_string(colour.blue) + ")";
}

// One CSS pixel is one pixel at 96 dpi, as the browser's zoom scales it like a monitor's.
std::string cssBox(const layout::Rect& twips) {
    const layout::Rect px = layout::toPixels(twips, 96);
    return "left: " + std::to_string(px.left) + "px; top: " + std::to_string(px.top) +
           "px; width: " + std::to_string(px.width) + "px; height: " + std::to_string(px.height) +
           "px;";
}

// The element that takes a control's rectangle: an option button's is the label around its
// circle and caption, which carries no id of its own.
std::string selector(const layout::Control& c) {
    if (c.kind == layout::ControlKind::OptionButton) {
        return std::string("label[for=\"") + c.name + "\"]";
    }
    return std::string("#") + c.name;
}

void printCss() {
    const layout::Rect client =
        layout::toPixels({0, 0, layout::kClientSize.width, layout::kClientSize.height}, 96);
    std::printf("#Form1 { width: %dpx; height: %dpx; background-color: %s; font-size: %dpt; }\n",
                client.width, client.height, cssColour(layout::kBackground).c_str(),
                layout::kFontPoints);
    for (const layout::Control& c : layout::kControls) {
        std::string rule = selector(c) + " { " + cssBox(c.twips);
        if (c.kind == layout::ControlKind::Label) {
            rule += " color: " + cssColour(layout::kLabelText) + ";";
        } else if (c.kind == layout::ControlKind::OptionButton) {
            rule += " color: " + cssColour(layout::kOptionText) +
                    "; background-color: " + cssColour(layout::kBackground) + ";";
        }
        std::printf("%s }\n", rule.c_str());
    }
}

std::string ariaLabel(layout::ControlId id) {
    const layout::Announcement* said = layout::announcement(id);
    return said ? " aria-label=\"" + escapeHtml(said->name) + "\"" : "";
}

std::string optionMarkup(const layout::Control& c) {
    std::string markup = std::string("<label class=\"control option\" for=\"") + c.name + "\">";
    for (std::size_t icon = 0; icon < layout::kOptionButtons.size(); ++icon) {
        if (layout::kOptionButtons[icon] == c.id) {
            markup += std::string("<input type=\"radio\" name=\"icon\" id=\"") + c.name +
                      "\" value=\"" + std::to_string(icon) + "\"" + (icon == 0 ? " checked" : "") +
                      ariaLabel(c.id) + ">";
        }
    }
    return markup + escapeHtml(c.text) + "</label>";
}

std::string pictureMarkup(const layout::Control& c) {
    const layout::Announcement* said = layout::announcement(c.id);
    const std::string description = std::string(c.name) + "-description";
    return std::string("<img class=\"control\" id=\"") + c.name + "\" src=\"@picture@\" alt=\"" +
           escapeHtml(said ? said->name : "") + "\" aria-describedby=\"" + description +
           "\"><span id=\"" + description + "\" hidden>" +
           escapeHtml(said ? said->description : "") + "</span>";
}

std::string controlMarkup(const layout::Control& c) {
    const std::string id = std::string("id=\"") + c.name + "\"";
    switch (c.kind) {
        case layout::ControlKind::Label:
            if (c.id == layout::kNameBoxLabel) {
                return "<label class=\"control\" " + id + " for=\"" +
                       layout::control(layout::ControlId::txtName).name + "\">" +
                       escapeHtml(c.text) + "</label>";
            }
            return "<div class=\"control\" " + id + ">" + escapeHtml(c.text) + "</div>";
        case layout::ControlKind::TextBox:
            // Read-only until the script has the core that filters what is typed.
            return "<input class=\"control\" " + id +
                   " type=\"text\" autocomplete=\"off\" spellcheck=\"false\" readonly>";
        case layout::ControlKind::OptionButton:
            return optionMarkup(c);
        case layout::ControlKind::Picture:
            return pictureMarkup(c);
        case layout::ControlKind::PushButton:
            return "<button class=\"control\" " + id + " type=\"button\">" + escapeHtml(c.text) +
                   "</button>";
    }
    return "";
}

// The controls in the order Tab moves through them (the page's order is its focus order), the
// option buttons as one radio group; then those that take no focus.
void printControls() {
    for (const layout::ControlId id : layout::focusSequence()) {
        if (id == layout::kOptionButtons.front()) {
            std::printf("<div role=\"radiogroup\" aria-labelledby=\"%s\">\n",
                        layout::control(kIconGroupLabel).name);
        }
        std::printf("%s\n", controlMarkup(layout::control(id)).c_str());
        if (id == layout::kOptionButtons.back()) {
            std::printf("</div>\n");
        }
    }
    for (const layout::Control& c : layout::kControls) {
        if (!layout::takesFocus(c)) {
            std::printf("%s\n", controlMarkup(c).c_str());
        }
    }
}

}  // namespace
}  // namespace tilewright

int main() {
    using namespace tilewright;
    std::printf("@@title\n%s\n", escapeHtml(layout::kWindowTitle).c_str());
    std::printf("@@error-title\n%s\n", escapeHtml(kErrorTitle).c_str());
    std::printf("@@css\n");
    printCss();
    std::printf("@@controls\n");
    printControls();
    return 0;
}
