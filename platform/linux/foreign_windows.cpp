// Windows of other programs on the X display, named by their X ids: what the
// calls that take any window handle do with them.
//
// Implemented: GetClientRect (the X window's size), SetForegroundWindow
//   (raises the window and gives it the keyboard focus), IsWindowEnabled
//   (TRUE), GetParent (NULL).
// Not implemented: messages (SendMessageA answers 0: they do not cross
//   processes), EnableWindow (FALSE, the window is not changed).
#include "platform/linux/window_table.h"
#include "platform/linux/windowing.h"

namespace {

LRESULT Send(HWND, UINT, WPARAM, LPARAM) {
  return 0;
}

HWND Parent(HWND) {
  return nullptr;
}

BOOL Enable(HWND, BOOL) {
  return FALSE;
}

BOOL IsEnabled(HWND) {
  return TRUE;
}

BOOL ClientRect(HWND window, RECT* rect) {
  LONG width;
  LONG height;
  if (!X11ClientSize(window, &width, &height)) return FALSE;
  *rect = RECT{0, 0, width, height};
  return TRUE;
}

BOOL SetForeground(HWND window) {
  return X11Activate(window);
}

}  // namespace

const WindowOps kForeignWindowOps = {Send, Parent, Enable, IsEnabled, ClientRect, SetForeground};
