// The fault guard on POSIX systems: handlers for SIGSEGV, SIGBUS, SIGILL and
// SIGFPE while the body runs, on a stack of their own so that a stack
// overflow is caught too, which jump back to the guard. There is no system
// crash report to ask, so every fault inside the guard is handled; the
// guard names the signal on the standard error stream.
#include <setjmp.h>
#include <signal.h>
#include <string.h>

#include <cstdio>

#include "host/fault_guard.h"

namespace {

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE};
constexpr int kSignalCount = sizeof kFaultSignals / sizeof kFaultSignals[0];

sigjmp_buf faultReturn;
volatile sig_atomic_t guarding = 0;
struct sigaction previousActions[kSignalCount];
alignas(16) char faultStack[64 * 1024];

void OnFault(int signal) {
  if (guarding) {
    guarding = 0;
    siglongjmp(faultReturn, signal);
  }
  // A fault after the guard ended: the default action, when the fault recurs
  // on return.
  ::signal(signal, SIG_DFL);
}

void RestoreHandlers(const stack_t& previousStack) {
  for (int i = 0; i < kSignalCount; ++i)
    sigaction(kFaultSignals[i], &previousActions[i], nullptr);
  sigaltstack(&previousStack, nullptr);
}

}  // namespace

bool RunInFaultGuard(int32_t (*body)(const char*), const char* argument, int32_t* result) {
  stack_t stack = {};
  stack.ss_sp = faultStack;
  stack.ss_size = sizeof faultStack;
  stack_t previousStack = {};
  sigaltstack(&stack, &previousStack);
  struct sigaction action = {};
  action.sa_handler = OnFault;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_ONSTACK;
  for (int i = 0; i < kSignalCount; ++i)
    sigaction(kFaultSignals[i], &action, &previousActions[i]);

  int signal = sigsetjmp(faultReturn, 1);
  if (signal != 0) {
    RestoreHandlers(previousStack);
    std::fprintf(stderr, "Fault in the running mode: %s\n", strsignal(signal));
    return false;
  }
  guarding = 1;
  int32_t value = body(argument);
  guarding = 0;
  RestoreHandlers(previousStack);
  *result = value;
  return true;
}
