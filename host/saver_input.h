// The saver window's user input: the host's last say on each message, where
// input becomes a close request, the cursor stays hidden and the
// password-check message is answered (SaverInputProc, declared with the show
// window that passes messages on to it), and the input method kept away from
// the window, so that key presses reach it as keys, not as composition.
#pragma once

#include "platform/win32.h"

// When "IMM32.DLL" is already loaded: detaches the window's input context
// and keeps it in hostState. Never loads the library.
void DetachInputMethod(HWND window);
// Gives the window the context that DetachInputMethod took.
void RestoreInputMethod(HWND window);
