// The screen-saver password of the Windows 95 family: the verifier that the
// close gate asks, the system's notice that a password-protected saver is
// running, and the mode that changes the password.
#pragma once

#include "platform/win32.h"

// Loads "PASSWORD.CPL" and its VerifyScreenSavePwd entry when the user's
// "ScreenSaveUsePassword" switch is on; then tells the system that the saver
// runs. Before the full-screen window is created.
void LoadPasswordVerifier();
// Frees the verifier, and takes the running notice back if it was given.
void UnloadPasswordVerifier();
// SPI_SETSCREENSAVERRUNNING on the Windows 95 family; nothing elsewhere.
void SetSaverRunning(bool running);

// Whether a close request of the full-screen saver may proceed, asking the
// verifier when one is loaded. Nonzero when the window may close; then
// closeApproved is set.
BOOL CloseGate(HWND window);

// Runs the system's password change for the "SCRSAVE" provider, owned by
// owner; shows nothing when "MPR.DLL" or its entry is missing.
void ChangePasswordMode(HWND owner);
