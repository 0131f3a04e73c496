#pragma once

// The Windows headers as every Windows file of ours includes them: the wide-character API,
// Windows 10 declarations (per-monitor DPI), no min/max macros.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#if !defined(_WIN32_WINNT) || _WIN32_WINNT < 0x0A00
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif

#include <windows.h>

namespace tilewright {

// The named function of a library loaded at run time, as the given function pointer type;
// nullptr when the library has none.
template <typename Function>
[[nodiscard]] Function systemFunction(HMODULE module, const char* name) {
    // Through void(*)(): the one cast between function types that GCC accepts silently.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace tilewright
