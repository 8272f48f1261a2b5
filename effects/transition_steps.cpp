#include "effects/transition_steps.h"

void CopyPiece(HDC window, HDC frame, int32_t x, int32_t y, int32_t width, int32_t height) {
  BitBlt(window, x, y, width, height, frame, x, y, SRCCOPY);
}

void PauseTransition(DWORD milliseconds) {
  Sleep(milliseconds);
}
