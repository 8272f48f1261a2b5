// The guard around the running mode: a processor fault inside it ends the mode
// and SaverMain returns its fault exit code. The program runs in a copy of
// itself with a show appended (saver_test_main.cpp), for the preview.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "host/fault_guard.h"
#include "host/host_state.h"
#include "host/saver_main.h"
#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/window_class.h"

namespace {

// An address the compiler cannot see through: the fault is a real access.
volatile uintptr_t badAddress = 16;

int32_t WriteToBadAddress(const char*) {
  *reinterpret_cast<volatile int*>(badAddress) = 1;
  return 7;
}

int32_t IllegalInstruction(const char*) {
  __builtin_trap();
}

#if defined(_WIN32)
// UnhandledExceptionFilter starts the AeDebug key's debugger, and Wine's
// winedbg would hold the faulting program: one that does not exist makes the
// filter answer at once. The test runs alone; the setting is put back after.
class NoDebugger : public ::testing::Environment {
  static constexpr const char* kKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";
  char previous_[512] = {};
  DWORD size_ = sizeof previous_ - 1;
  bool had_ = false;

  void Set(const char* value) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKey, "Debugger", REG_SZ, value, DWORD(strlen(value) + 1));
  }
  void SetUp() override {
    had_ = RegGetValueA(HKEY_LOCAL_MACHINE, kKey, "Debugger", RRF_RT_REG_SZ, nullptr, previous_,
                        &size_) == ERROR_SUCCESS;
    Set("lumivane-test-no-debugger.exe %ld %ld");
  }
  void TearDown() override {
    if (had_)
      Set(previous_);
    else
      RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kKey, "Debugger");
  }
};
::testing::Environment* const noDebugger = ::testing::AddGlobalTestEnvironment(new NoDebugger);
#endif

// A body that returns is run by every test of SaverMain.
TEST(FaultGuardTest, CatchesFaultsAgainAndAgain) {
  int32_t result = -5;
  for (auto body : {WriteToBadAddress, IllegalInstruction, WriteToBadAddress})
    EXPECT_FALSE(RunInFaultGuard(body, "", &result));
  EXPECT_EQ(result, -5);
}

// The preview's parent faults in its own window procedure, which the saver's
// message loop calls inside the guard.
LRESULT CALLBACK FaultingParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) WriteToBadAddress("");
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(FaultGuardTest, AFaultInTheRunningModeEndsSaverMain) {
  SetEnv("SDL_VIDEODRIVER", "dummy");
  SetEnv("SDL_AUDIODRIVER", "dummy");
  ASSERT_NE(RegisterTestClass("LumivaneFaultingParent", FaultingParentProc), 0);
  HWND parent = CreateWindowExA(0, "LumivaneFaultingParent", "parent", WS_POPUP | WS_VISIBLE, 0, 0,
                                160, 120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  SetTimer(parent, 1, 300, nullptr);
  std::string argument = "/p " + std::to_string(uintptr_t(parent));
  EXPECT_EQ(SaverMain(GetModuleHandleA(nullptr), argument.c_str()), kFaultExitCode);
  EXPECT_TRUE(IsWindow(hostState.saverWindow)) << "the loop ended before the window";
  DestroyWindow(parent);
}

}  // namespace
