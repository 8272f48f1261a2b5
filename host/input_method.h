// Keeping the input method away from the saver window: key presses must reach
// the window as keys, not as composition.
#pragma once

#include "platform/win32.h"

// When "IMM32.DLL" is already loaded: detaches the window's input context
// and keeps it in hostState. Never loads the library.
void DetachInputMethod(HWND window);
// Gives the window the context that DetachInputMethod took.
void RestoreInputMethod(HWND window);
