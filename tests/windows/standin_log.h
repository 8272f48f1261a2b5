// What the stand-ins for the system's password components share: a line
// appended to the log file that the test names in LUMIVANE_STANDIN_LOG.
#pragma once

#include <windows.h>

#include <cstdio>

inline void AppendStandinLine(const char* line) {
  char path[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("LUMIVANE_STANDIN_LOG", path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(log, line, DWORD(lstrlenA(line)), &written, nullptr);
  CloseHandle(log);
}
