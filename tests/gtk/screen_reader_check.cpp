// The running program as a screen reader sees it: starts `tilewright` on the session bus given
// by dbus-run-session, reads its window's tree over AT-SPI (as Orca does) and checks that every
// control has its role and the name to speak, that the picture has its description and that
// the name box is labelled by its label. It also reads where each control stands, which must
// be the layout's place at the given dots per inch (96 unless given; 144 when the program runs
// with GDK_DPI_SCALE=1.5, as at a larger text size). Exits 0 when all hold.
//
//   dbus-run-session -- screen_reader_check PROGRAM [DPI]
#include <atspi/atspi.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/spoken_names.h"
#include "ui/layout.h"

namespace {

using tilewright::layout::ControlKind;

constexpr auto kTimeout = std::chrono::seconds(30);

struct Node {
    AtspiAccessible* accessible;
    AtspiRole role;
    std::string name;
};

std::string owned(gchar* text) {
    std::string copy = text != nullptr ? text : "";
    g_free(text);
    return copy;
}

// The role GTK gives each kind of control, which the window leaves as it is.
AtspiRole roleOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return ATSPI_ROLE_LABEL;
        case ControlKind::TextBox:
            return ATSPI_ROLE_TEXT;
        case ControlKind::OptionButton:
            return ATSPI_ROLE_RADIO_BUTTON;
        case ControlKind::Picture:
            return ATSPI_ROLE_ICON;
        case ControlKind::PushButton:
            return ATSPI_ROLE_PUSH_BUTTON;
    }
    return ATSPI_ROLE_INVALID;
}

bool isControlRole(AtspiRole role) {
    for (const tilewright::layout::Control& c : tilewright::layout::kControls) {
        if (roleOf(c.kind) == role) {
            return true;
        }
    }
    return false;
}

// The controls under an object, depth first in the order the toolkit lists them.
void collectControls(AtspiAccessible* parent, std::vector<Node>& found) {
    const gint count = atspi_accessible_get_child_count(parent, nullptr);
    for (gint i = 0; i < count; ++i) {
        AtspiAccessible* child = atspi_accessible_get_child_at_index(parent, i, nullptr);
        if (child == nullptr) {
            continue;
        }
        const AtspiRole role = atspi_accessible_get_role(child, nullptr);
        if (isControlRole(role)) {
            found.push_back({child, role, owned(atspi_accessible_get_name(child, nullptr))});
        } else {
            collectControls(child, found);
            g_object_unref(child);
        }
    }
}

// The program's window as listed on the accessibility bus, once it has all its controls.
std::vector<Node> findWindowControls(GPid pid) {
    std::vector<Node> found;
    AtspiAccessible* desktop = atspi_get_desktop(0);
    const gint count = atspi_accessible_get_child_count(desktop, nullptr);
    for (gint i = 0; i < count && found.empty(); ++i) {
        AtspiAccessible* application = atspi_accessible_get_child_at_index(desktop, i, nullptr);
        if (application == nullptr) {
            continue;
        }
        if (static_cast<GPid>(atspi_accessible_get_process_id(application, nullptr)) == pid) {
            collectControls(application, found);
        }
        g_object_unref(application);
    }
    g_object_unref(desktop);
    return found;
}

void release(std::vector<Node>& nodes) {
    for (Node& node : nodes) {
        g_object_unref(node.accessible);
    }
    nodes.clear();
}

int failures = 0;

void check(bool condition, const std::string& what) {
    if (!condition) {
        std::fprintf(stderr, "FAILED: %s\n", what.c_str());
        ++failures;
    }
}

// The control's rectangle in the window, within 2 pixels of the layout's at the given dpi.
void checkPlace(const Node& node, const tilewright::layout::Control& c, int dpi) {
    AtspiRect* got = atspi_component_get_extents(ATSPI_COMPONENT(node.accessible),
                                                 ATSPI_COORD_TYPE_WINDOW, nullptr);
    const auto want = tilewright::layout::toPixels(c.twips, dpi);
    const int off =
        std::max({std::abs(got->x - want.left), std::abs(got->y - want.top),
                  std::abs(got->width - want.width), std::abs(got->height - want.height)});
    check(off <= 2, std::string(c.name) + " is " + std::to_string(off) + " pixels off its place");
    g_free(got);
}

void checkControls(const std::vector<Node>& nodes, int dpi) {
    using tilewright::layout::kControls;
    check(nodes.size() == kControls.size(), "the window lists " + std::to_string(nodes.size()) +
                                                " controls, not " +
                                                std::to_string(kControls.size()));
    for (std::size_t i = 0; i < nodes.size() && i < kControls.size(); ++i) {
        const auto& c = kControls[i];
        const std::string wantName(tilewright::test::spokenName(c.id));
        check(nodes[i].role == roleOf(c.kind),
              std::string(c.name) + " has role " + owned(atspi_role_get_name(nodes[i].role)));
        check(nodes[i].name == wantName, std::string(c.name) + " is called \"" + nodes[i].name +
                                             "\", not \"" + wantName + "\"");
        checkPlace(nodes[i], c, dpi);
        if (c.id == tilewright::layout::ControlId::Image1) {
            const std::string description =
                owned(atspi_accessible_get_description(nodes[i].accessible, nullptr));
            check(description == tilewright::test::kPictureDescription,
                  "the picture's description is \"" + description + "\"");
        }
        if (c.id == tilewright::layout::ControlId::txtName) {
            std::string label;
            GArray* relations = atspi_accessible_get_relation_set(nodes[i].accessible, nullptr);
            for (guint r = 0; relations != nullptr && r < relations->len; ++r) {
                AtspiRelation* relation = g_array_index(relations, AtspiRelation*, r);
                if (atspi_relation_get_relation_type(relation) == ATSPI_RELATION_LABELLED_BY &&
                    atspi_relation_get_n_targets(relation) == 1) {
                    AtspiAccessible* target = atspi_relation_get_target(relation, 0);
                    label = owned(atspi_accessible_get_name(target, nullptr));
                    g_object_unref(target);
                }
                g_object_unref(relation);
            }
            if (relations != nullptr) {
                g_array_free(relations, TRUE);
            }
            check(label == tilewright::test::spokenName(tilewright::layout::kNameBoxLabel),
                  "the name box is labelled by \"" + label + "\"");
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fputs("usage: screen_reader_check PROGRAM [DPI] (on a session bus)\n", stderr);
        return 2;
    }
    const int dpi = argc == 3 ? std::atoi(argv[2]) : 96;
    if (atspi_init() > 1) {
        std::fputs("cannot reach the accessibility bus\n", stderr);
        return 2;
    }
    // As a desktop starts it: with the accessibility bridge, settings in memory (no dconf).
    gchar** environment = g_get_environ();
    environment = g_environ_unsetenv(environment, "NO_AT_BRIDGE");
    environment = g_environ_setenv(environment, "GSETTINGS_BACKEND", "memory", TRUE);
    gchar* programArgv[] = {argv[1], nullptr};
    GPid pid = 0;
    GError* error = nullptr;
    const gboolean started =
        g_spawn_async(nullptr, programArgv, environment, G_SPAWN_DO_NOT_REAP_CHILD, nullptr,
                      nullptr, &pid, &error);
    g_strfreev(environment);
    if (!started) {
        std::fprintf(stderr, "cannot start %s: %s\n", argv[1], error->message);
        g_error_free(error);
        return 2;
    }

    // Wait for the whole window: the push button is the last control to be listed.
    std::vector<Node> nodes;
    const auto deadline = std::chrono::steady_clock::now() + kTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        nodes = findWindowControls(pid);
        if (!nodes.empty() && nodes.back().role == ATSPI_ROLE_PUSH_BUTTON) {
            break;
        }
        release(nodes);
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fputs("the program ended before its window was listed\n", stderr);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    check(!nodes.empty(), "the window did not appear on the accessibility bus");
    checkControls(nodes, dpi);
    release(nodes);

    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    atspi_exit();
    std::printf("%s\n", failures == 0 ? "every control is named" : "some controls are not");
    return failures == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
