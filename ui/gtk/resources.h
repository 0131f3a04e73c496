#pragma once

#include <gtk/gtk.h>

#include <memory>

namespace tilewright {

// Where tilewright.gresource.xml puts the files compiled into the program.
inline constexpr const char* kResourcePrefix = "/org/tilewright/";

// A picture decoded from them, released with the pointer.
struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using PixbufPtr = std::unique_ptr<GdkPixbuf, GObjectUnref>;

}  // namespace tilewright
