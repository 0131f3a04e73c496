#include "ui/win32/message_loop.h"

namespace tilewright {

void processMessage(Form1& form, MSG& message) {
    if (form.preprocessMessage(message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int runMessageLoop(Form1& form) {
    MSG message{};
    for (;;) {
        const BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result == 0) {
            return static_cast<int>(message.wParam);
        }
        if (result == -1) {
            return 1;
        }
        processMessage(form, message);
    }
}

}  // namespace tilewright
