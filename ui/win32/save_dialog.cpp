#include "ui/win32/save_dialog.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include <commdlg.h>

#include "text/wide_text.h"

namespace tilewright {

namespace {

// Room for the longest path Windows handles, far beyond MAX_PATH.
constexpr std::size_t kPathBufferSize = 32768;

// The common dialog library brings the shell and the printing libraries with it. It is
// loaded when the save dialog is first shown rather than at start, which keeps the window
// quick to open.
struct CommonDialogs {
    decltype(&GetSaveFileNameW) getSaveFileName = nullptr;
    decltype(&CommDlgExtendedError) extendedError = nullptr;
    DWORD loadError = 0;  // read at once: the static's set-up may reset the last error
};

const CommonDialogs& commonDialogs() {
    static const CommonDialogs dialogs = [] {
        CommonDialogs loaded;
        if (const HMODULE module =
                LoadLibraryExW(L"comdlg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
            loaded.getSaveFileName =
                systemFunction<decltype(&GetSaveFileNameW)>(module, "GetSaveFileNameW");
            loaded.extendedError =
                systemFunction<decltype(&CommDlgExtendedError)>(module, "CommDlgExtendedError");
        }
        if (!loaded.getSaveFileName || !loaded.extendedError) {
            loaded.loadError = GetLastError();
        }
        return loaded;
    }();
    return dialogs;
}

void showDialogFailure(HWND owner, DWORD error) {
    // Not a cancel: say so rather than let it pass for one.
    wchar_t text[96];
    std::swprintf(text, std::size(text), L"The save dialog could not be shown (error 0x%04lX).",
                  static_cast<unsigned long>(error));
    MessageBoxW(owner, text, toWide(kErrorTitle).c_str(), MB_OK | MB_ICONERROR);
}

// The common dialog's filter: the description and the pattern, each ending in a NUL, and one
// more NUL to end the list.
std::wstring dialogFilter(const SaveDialogSettings& settings) {
    std::wstring filter = toWide(settings.filterDescription);
    filter.push_back(L'\0');
    filter += toWide(settings.filterPattern);
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    return filter;
}

// Asks before replacing a file and hides the read-only box; the program's working folder does
// not follow the user's choice.
constexpr DWORD kDialogFlags =
    OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;

}  // namespace

std::optional<std::string> showSaveDialog(HWND owner, const SaveDialogSettings& settings) {
    const std::wstring filter = dialogFilter(settings);
    const std::wstring title = toWide(settings.title);
    const std::wstring initialName = toWide(settings.fileName);

    std::vector<wchar_t> path(kPathBufferSize, L'\0');
    std::copy_n(initialName.begin(), std::min(initialName.size(), path.size() - 1), path.begin());

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = kDialogFlags;

    const CommonDialogs& dialogs = commonDialogs();
    if (!dialogs.getSaveFileName || !dialogs.extendedError) {
        showDialogFailure(owner, dialogs.loadError);
        return std::nullopt;
    }
    if (dialogs.getSaveFileName(&dialog)) {
        return toUtf8(path.data());
    }
    if (const DWORD error = dialogs.extendedError(); error != 0) {
        showDialogFailure(owner, error);
    }
    return std::nullopt;
}

}  // namespace tilewright
