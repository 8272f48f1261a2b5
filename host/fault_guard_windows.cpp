// The fault guard on Windows. GCC has no __try, so the guard is the
// top-level exception filter while the body runs: it hands the fault to the
// system's UnhandledExceptionFilter (the crash report or debugger) and, when
// that answers that the program should handle the fault, jumps back to the
// guard. msvcrt's longjmp unwinds the structured exception frames in between.
#include <csetjmp>

#include "host/fault_guard.h"
#include "platform/win32.h"

namespace {

jmp_buf faultReturn;
bool guarding = false;
LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;

LONG WINAPI GuardFilter(EXCEPTION_POINTERS* fault) {
  // UnhandledExceptionFilter calls the top-level filter itself: ours must be
  // out of the way first.
  SetUnhandledExceptionFilter(previousFilter);
  LONG answer = UnhandledExceptionFilter(fault);
  if (answer == EXCEPTION_EXECUTE_HANDLER && guarding) {
    guarding = false;
    longjmp(faultReturn, 1);
  }
  return answer;
}

}  // namespace

bool RunInFaultGuard(int32_t (*body)(const char*), const char* argument, int32_t* result) {
  previousFilter = SetUnhandledExceptionFilter(GuardFilter);
  if (setjmp(faultReturn) != 0) return false;
  guarding = true;
  int32_t value = body(argument);
  guarding = false;
  SetUnhandledExceptionFilter(previousFilter);
  *result = value;
  return true;
}
