#pragma once

#include <memory>
#include <type_traits>

#include "text/windows_api.h"

namespace tilewright {

template <typename Handle>
struct GdiObjectDeleter {
    void operator()(Handle handle) const noexcept { DeleteObject(handle); }
};

// Owns a GDI object (font, brush, bitmap) and deletes it when it goes.
template <typename Handle>
using GdiHandle = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter<Handle>>;

struct MemoryDcDeleter {
    void operator()(HDC dc) const noexcept { DeleteDC(dc); }
};

using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

// Selects a GDI object into a DC for one scope and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, previous_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace tilewright
