#include "host/saver_main.h"

#include "host/command_line.h"
#include "host/fault_guard.h"
#include "host/host_state.h"
#include "host/passwords.h"
#include "host/saver_window.h"
#include "setup/settings_dialog.h"

HostState hostState = {nullptr, false,       nullptr, false,   false,   false, nullptr,
                       nullptr, kNoCheckYet, nullptr, nullptr, nullptr, {0, 0}};

namespace {

constexpr int32_t kRefusedExitCode = -1;

// The window that a decimal handle names, or NULL.
HWND ExistingWindow(uint32_t handle) {
  HWND window = reinterpret_cast<HWND>(uintptr_t(handle));
  return handle != 0 && IsWindow(window) ? window : nullptr;
}

int32_t RunMode(const char* argument) {
  ModeChoice choice = ChooseMode(argument);
  switch (choice.mode) {
    case ModeConfigure:
      return int32_t(OpenSettingsDialog(choice.foregroundOwner ? GetForegroundWindow() : nullptr));
    case ModeRun:
      return RunSaverWindow(nullptr);
    case ModePreview: {
      HWND parent = ExistingWindow(choice.window);
      return parent != nullptr ? RunSaverWindow(parent) : kRefusedExitCode;
    }
    case ModeChangePassword: {
      if (!hostState.isWin9x) return kRefusedExitCode;
      HWND owner = ExistingWindow(choice.window);
      ChangePasswordMode(owner != nullptr ? owner : GetForegroundWindow());
      return 0;
    }
    case ModeInvalid:
      break;
  }
  return kRefusedExitCode;
}

}  // namespace

int32_t SaverMain(HINSTANCE instance, const char* argument) {
  hostState.instance = instance;
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  hostState.isWin9x =
      GetVersionExA(&version) != 0 && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
  int32_t result = kRefusedExitCode;
  if (!RunInFaultGuard(RunMode, argument, &result)) {
    SetSaverRunning(false);
    return kFaultExitCode;
  }
  return result;
}

HINSTANCE SettingsDialogInstance() {
  return hostState.instance;
}
