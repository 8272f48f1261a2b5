// The host's last say on each message of the saver window: user input
// becomes a close request, the cursor stays hidden, and the password-check
// message is answered.
#pragma once

#include "platform/win32.h"

// Receives every message once the show's procedure is done with it; what it
// does not handle goes to DefWindowProcA.
LRESULT CALLBACK SaverInputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
