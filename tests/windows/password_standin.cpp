// A stand-in for the Windows 95 family's "PASSWORD.CPL": VerifyScreenSavePwd
// logs each call and answers as the test wrote in LUMIVANE_STANDIN_ANSWERS,
// one character per call ('1' approves, anything else refuses), the last
// answer repeating.
#include <windows.h>

#include <cstdio>

#include "tests/windows/standin_log.h"

namespace {
int calls = 0;
}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  char answers[64] = {};
  DWORD length = GetEnvironmentVariableA("LUMIVANE_STANDIN_ANSWERS", answers, sizeof answers);
  char answer = '0';
  if (length > 0 && length < sizeof answers)
    answer = answers[calls < int(length) ? calls : length - 1];
  ++calls;
  char line[128];
  std::snprintf(line, sizeof line, "verify window=%lu saverWindow=%d answer=%c\n",
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)),
                IsWindow(window) ? 1 : 0, answer);
  AppendStandinLine(line);
  return answer == '1';
}
