// A stand-in for the Windows 95 family's "PASSWORD.CPL": VerifyScreenSavePwd
// logs each call and answers as the test wrote in LUMIVANE_STANDIN_ANSWERS,
// one character per call ('1' approves, anything else refuses), the last
// answer repeating.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/windows/standin_log.h"

namespace {
size_t calls = 0;
}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  const char* answers = std::getenv("LUMIVANE_STANDIN_ANSWERS");
  size_t length = answers != nullptr ? std::strlen(answers) : 0;
  char answer = length == 0 ? '0' : answers[calls < length ? calls : length - 1];
  ++calls;
  char line[128];
  std::snprintf(line, sizeof line, "verify window=%lu saverWindow=%d answer=%c\n",
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)),
                IsWindow(window) ? 1 : 0, answer);
  AppendStandinLine(line);
  return answer == '1';
}
