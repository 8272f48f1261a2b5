// The calls that take any window handle: each resolves the handle once
// (window_table.h) and hands the call to the operations of its kind, our
// windows (windows.cpp), dialogs and their controls (dialog_box.cpp,
// dialog_controls.cpp) or other programs' X windows (foreign_windows.cpp).
//
// Implemented:
//   SendMessageA     the window's procedure at once; 0 for no window and for
//                    other programs' windows (messages do not cross
//                    processes).
//   GetClientRect    the client area's size; other programs' windows: their
//                    X window's size; FALSE for dialogs.
//   IsWindow         ours, a dialog's, or an X window of the display.
//   GetParent        a child's parent (ours or another program's), a
//                    control's dialog, a dialog's owner; NULL for pop-ups and
//                    other programs' windows.
//   SetForegroundWindow  raises the top-level window and gives it the
//                    keyboard focus; other programs' windows too; FALSE for
//                    dialogs.
//   SetWindowTextA, GetWindowTextA  WM_SETTEXT and WM_GETTEXT sent.
//   EnableWindow, IsWindowEnabled  as the kind keeps it; other programs'
//                    windows count as enabled and are not changed.
// Not implemented: the calls on other programs' windows that would change
//   them, other than SetForegroundWindow.
#include "platform/linux/window_table.h"

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowEntry* entry = FindWindowEntry(window);
  return entry != nullptr ? entry->ops->send(window, message, wParam, lParam) : 0;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  if (rect == nullptr) return FALSE;
  const WindowOps* ops = ResolveWindow(window);
  return ops != nullptr && ops->clientRect(window, rect);
}

BOOL WINAPI IsWindow(HWND window) {
  return ResolveWindow(window) != nullptr;
}

HWND WINAPI GetParent(HWND window) {
  WindowEntry* entry = FindWindowEntry(window);
  return entry != nullptr ? entry->ops->parent(window) : nullptr;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
  const WindowOps* ops = ResolveWindow(window);
  return ops != nullptr && ops->setForeground(window);
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
  return BOOL(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

int WINAPI GetWindowTextA(HWND window, LPSTR text, int size) {
  if (text == nullptr || size <= 0) return 0;
  text[0] = '\0';
  return int(SendMessageA(window, WM_GETTEXT, WPARAM(size), reinterpret_cast<LPARAM>(text)));
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable) {
  WindowEntry* entry = FindWindowEntry(window);
  return entry != nullptr && entry->ops->enable(window, enable);
}

BOOL WINAPI IsWindowEnabled(HWND window) {
  const WindowOps* ops = ResolveWindow(window);
  return ops != nullptr && ops->isEnabled(window);
}
