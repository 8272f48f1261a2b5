// The pointer's position and the screen's size.
//
// Implemented:
//   GetCursorPos      screen coordinates. On the X display, where the pointer
//                     is at the time of the call; with SDL's drivers that know
//                     no pointer of the desktop (dummy, offscreen), where
//                     SetCursorPos put it or mouse input last saw it.
//   SetCursorPos      kept within the screen, as Windows keeps the cursor;
//                     moves the X pointer (or SDL's) where there is one.
//   GetSystemMetrics  SM_CXSCREEN and SM_CYSCREEN: the desktop size of SDL's
//                     display 0; 0 when SDL's video cannot start.
// Not implemented: every other metric, ClipCursor.
#include <algorithm>

#include "platform/linux/unsupported.h"
#include "platform/linux/windowing.h"

namespace {

POINT lastSeen = {0, 0};

}  // namespace

void PointerSeenAt(int x, int y) {
  lastSeen = POINT{x, y};
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
  if (point == nullptr) return FALSE;
  if (X11PointerPosition(point)) {
    lastSeen = *point;
    return TRUE;
  }
  *point = lastSeen;
  return TRUE;
}

BOOL WINAPI SetCursorPos(int x, int y) {
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  if (width > 0 && height > 0) {
    x = std::clamp(x, 0, width - 1);
    y = std::clamp(y, 0, height - 1);
  }
  lastSeen = POINT{x, y};
  if (!X11WarpPointer(x, y) && VideoStarted()) SDL_WarpMouseGlobal(x, y);
  return TRUE;
}

int WINAPI GetSystemMetrics(int index) {
  if (index != SM_CXSCREEN && index != SM_CYSCREEN) {
    PlatformUnsupported("GetSystemMetrics", "metrics other than SM_CXSCREEN and SM_CYSCREEN");
  }
  SDL_DisplayMode mode;
  if (!StartVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return index == SM_CXSCREEN ? mode.w : mode.h;
}
