// The mode that changes the screen-saver password on the Windows 95 family.
#pragma once

#include "platform/win32.h"

// Runs the system's password change for the "SCRSAVE" provider, owned by
// owner; shows nothing when "MPR.DLL" or its entry is missing.
void ChangePasswordMode(HWND owner);
