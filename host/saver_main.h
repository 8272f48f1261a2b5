// The program's run from its command-line argument to its exit code.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// SaverMain's result after a processor fault ended the mode: the mode's own
// results are -1, 0 and 1, the dialog's and the loop's.
constexpr int32_t kFaultExitCode = 3;

// Runs the one mode that the argument chooses (see ChooseMode) and returns
// its exit code: -1 for an argument it does not know, a preview window that
// does not exist, or the password change outside the Windows 95 family.
int32_t SaverMain(HINSTANCE instance, const char* argument);
