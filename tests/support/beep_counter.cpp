#include "tests/support/beep_counter.h"

#include "platform/win32.h"

namespace {

int counted = 0;

BOOL WINAPI CountBeep(UINT) {
  ++counted;
  return TRUE;
}

}  // namespace

#if defined(_WIN32)
// Calls to an imported function jump through this pointer; with it defined
// here the linker takes user32's MessageBeep from nowhere else.
extern "C" {
extern void* const importedMessageBeep __asm__("__imp__MessageBeep@4");
void* const importedMessageBeep = reinterpret_cast<void*>(&CountBeep);
}
#else
BOOL WINAPI MessageBeep(UINT type) {
  return CountBeep(type);
}
#endif

int CountedBeeps() {
  return counted;
}
