#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

namespace tilewright {

// Where tilewright.gresource.xml puts the files compiled into the program.
inline constexpr const char* kResourcePrefix = "/org/tilewright/";

// A picture decoded from them, released with the pointer.
struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using PixbufPtr = std::unique_ptr<GdkPixbuf, GObjectUnref>;

// A picture from the resources, decoded at its own size or, given a width and height, scaled
// to them while decoding (bilinearly, as gdk_pixbuf_scale_simple would). Null, with a warning,
// where it cannot be decoded.
inline PixbufPtr loadResourcePixbuf(const std::string& name, int width = -1, int height = -1) {
    const std::string path = kResourcePrefix + name;
    GError* error = nullptr;
    GdkPixbuf* pixbuf = width < 0 ? gdk_pixbuf_new_from_resource(path.c_str(), &error)
                                  : gdk_pixbuf_new_from_resource_at_scale(path.c_str(), width,
                                                                          height, FALSE, &error);
    if (pixbuf == nullptr) {
        g_warning("Cannot load %s: %s", name.c_str(), error->message);
        g_error_free(error);
    }
    return PixbufPtr(pixbuf);
}

}  // namespace tilewright
