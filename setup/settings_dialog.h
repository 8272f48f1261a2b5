// The settings dialog of the running show.
#pragma once

#include "platform/win32.h"

// Runs the dialog modally, owned by owner (may be NULL): 1 after OK, 0 after
// Cancel, -1 when the dialog cannot be created.
INT_PTR OpenSettingsDialog(HWND owner);

// The module that holds template 2003 and the program's icon: the host's
// module instance. The host defines it (host/saver_main.cpp); it is declared
// here so that the dialog does not reach up into the host's record.
HINSTANCE SettingsDialogInstance();

// The dialog procedure of template 2003: loads the show when the dialog opens,
// shows the stored settings and saves them on OK.
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
