// The settings dialog of the running show.
#pragma once

#include "platform/win32.h"

// Runs the dialog modally, owned by owner (may be NULL): 1 after OK, 0 after
// Cancel, -1 when the dialog cannot be created.
INT_PTR OpenSettingsDialog(HWND owner);

// The dialog procedure of template 2003: loads the show when the dialog opens,
// shows the stored settings and saves them on OK.
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
