// Beeps.
//
// Implemented:
//   MessageBeep  rings the terminal bell when standard error is a terminal,
//                else does nothing; never fails. Every kind of beep sounds
//                the same.
// In a file of its own, so that a test program can link its own MessageBeep
// in place of this one and count the beeps.
#include <unistd.h>

#include <cstdio>

#include "platform/linux/win32_api.h"

BOOL WINAPI MessageBeep(UINT) {
  if (isatty(STDERR_FILENO)) {
    std::fputc('\a', stderr);
    std::fflush(stderr);
  }
  return TRUE;
}
