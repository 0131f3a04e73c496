// Tilewright.exe: opens the main window and runs its event loop until it is closed.
#include <exception>
#include <string>

#include "text/wide_text.h"
#include "text/windows_api.h"
#include "ui/win32/form1.h"
#include "ui/win32/message_loop.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand) {
    try {
        tilewright::Form1 form(instance);
        form.show(showCommand);
        return tilewright::runMessageLoop(form);
    } catch (const std::exception& error) {
        MessageBoxW(nullptr, tilewright::toWide(error.what()).c_str(), L"Tilewright",
                    MB_OK | MB_ICONERROR);
        return 1;
    }
}
