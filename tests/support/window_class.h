// Registering the window classes that tests and probes make their windows of.
#pragma once

#include "platform/win32.h"

// Registers class name of this program with the given procedure and class
// styles; 0 when it cannot be registered (for instance twice).
inline ATOM RegisterTestClass(const char* name, WNDPROC procedure = DefWindowProcA,
                              UINT style = 0) {
  WNDCLASSA windowClass = {};
  windowClass.style = style;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = name;
  return RegisterClassA(&windowClass);
}
