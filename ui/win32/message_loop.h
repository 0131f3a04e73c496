#pragma once

#include "text/windows_api.h"
#include "ui/win32/form1.h"

namespace tilewright {

// Handles one message taken from the queue: the window's key preview and dialog keys first,
// then the usual translation (key presses into typed characters) and dispatch.
void processMessage(Form1& form, MSG& message);

// Runs the program's event loop until the window is closed; returns the exit code.
int runMessageLoop(Form1& form);

}  // namespace tilewright
