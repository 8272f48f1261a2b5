// The settings dialog of the running show.
#pragma once

#include "platform/win32.h"

// Runs the dialog modally, owned by owner (may be NULL): 1 after OK, 0 after
// Cancel, -1 when the dialog cannot be created.
INT_PTR OpenSettingsDialog(HWND owner);
