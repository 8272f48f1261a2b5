#include "tests/support/beep_counter.h"

namespace {

BeepCount counted;

BOOL WINAPI CountBeep(UINT type) {
  counted.beeps += 1;
  counted.lastType = type;
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

BeepCount CountedBeeps() {
  return counted;
}
