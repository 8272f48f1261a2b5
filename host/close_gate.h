// Whether a close request of the full-screen saver may proceed, asking the
// password verifier when one is loaded.
#pragma once

#include "platform/win32.h"

// Nonzero when the window may close; then closeApproved is set.
BOOL CloseGate(HWND window);
