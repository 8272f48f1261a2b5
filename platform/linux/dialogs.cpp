// Dialog boxes and their controls.
//
// Implemented: nothing yet; no handle is a dialog's.
#include "platform/linux/windowing.h"

bool DialogWindowExists(HWND) {
  return false;
}

LRESULT DialogSendMessage(HWND, UINT, WPARAM, LPARAM) {
  return 0;
}

HWND DialogWindowParent(HWND) {
  return nullptr;
}

BOOL DialogEnableWindow(HWND, BOOL) {
  return FALSE;
}

BOOL DialogIsWindowEnabled(HWND) {
  return FALSE;
}
