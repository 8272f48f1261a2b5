// A stand-in for the Windows 95 family's "MPR.DLL": PwdChangePasswordA logs
// its arguments.
#include <windows.h>

#include <cstdio>

#include "tests/windows/standin_log.h"

extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2) {
  char line[160];
  std::snprintf(line, sizeof line, "change provider=%s owner=%lu %lu %lu\n", provider,
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(owner)),
                static_cast<unsigned long>(reserved1), static_cast<unsigned long>(reserved2));
  AppendStandinLine(line);
  return 0;
}
