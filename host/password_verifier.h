// The screen-saver password verifier of the Windows 95 family, and the
// system's notice that a password-protected saver is running.
#pragma once

// Loads "PASSWORD.CPL" and its VerifyScreenSavePwd entry when the user's
// "ScreenSaveUsePassword" switch is on; then tells the system that the saver
// runs. Before the full-screen window is created.
void LoadPasswordVerifier();
// Frees the verifier, and takes the running notice back if it was given.
void UnloadPasswordVerifier();
// SPI_SETSCREENSAVERRUNNING on the Windows 95 family; nothing elsewhere.
void SetSaverRunning(bool running);
