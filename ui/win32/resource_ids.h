#pragma once

// Ids of the resources built into Tilewright.exe. Plain macros, because the resource compiler
// reads this file as well as the C++ compiler.

#define TILEWRIGHT_IDI_APP 1
#define TILEWRIGHT_IDB_ICONS 101
