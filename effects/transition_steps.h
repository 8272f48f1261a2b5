// The two things every effect does: copy one piece of the frame to the same
// place on the window, and pause. Kept apart so that tests can link a
// recording version in their place.
#pragma once

#include <cstdint>

#include "platform/win32.h"

void CopyPiece(HDC window, HDC frame, int32_t x, int32_t y, int32_t width, int32_t height);
void PauseTransition(DWORD milliseconds);
