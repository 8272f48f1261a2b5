#include "host/passwords.h"

#include "host/host_state.h"

namespace {

// After a refused password, close requests are turned away for this long
// without asking again: the keys that ended the dialog must not reopen it.
constexpr DWORD kHoldOffMilliseconds = 200;
constexpr int kTimerMessagesDropped = 2;

}  // namespace

void LoadPasswordVerifier() {
  if (!hostState.isWin9x) return;
  if (hostState.verifierLibrary != nullptr) UnloadPasswordVerifier();
  HKEY desktop = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS) return;
  // Whatever its type, the value's first bytes are the switch; a shorter value
  // fills the low bytes of a zeroed number.
  DWORD usePassword = 0;
  DWORD size = sizeof usePassword;
  if (RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(&usePassword), &size) == ERROR_SUCCESS &&
      usePassword != 0) {
    hostState.verifierLibrary = LoadLibraryA("PASSWORD.CPL");
    if (hostState.verifierLibrary != nullptr) {
      hostState.verifyEntry = reinterpret_cast<VerifyScreenSavePwdEntry>(reinterpret_cast<void*>(
          GetProcAddress(hostState.verifierLibrary, "VerifyScreenSavePwd")));
      if (hostState.verifyEntry != nullptr)
        SetSaverRunning(true);
      else
        UnloadPasswordVerifier();
    }
  }
  RegCloseKey(desktop);
}

void UnloadPasswordVerifier() {
  if (!hostState.isWin9x || hostState.verifierLibrary == nullptr) return;
  FreeLibrary(hostState.verifierLibrary);
  hostState.verifierLibrary = nullptr;
  if (hostState.verifyEntry != nullptr) {
    hostState.verifyEntry = nullptr;
    SetSaverRunning(false);
  }
}

void SetSaverRunning(bool running) {
  if (!hostState.isWin9x) return;
  UINT previous = 0;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? 1 : 0, &previous, 0);
}

BOOL CloseGate(HWND window) {
  if (hostState.verifying || hostState.closeApproved) return FALSE;
  if (hostState.verifyEntry == nullptr) {
    hostState.closeApproved = true;
    return TRUE;
  }
  // Unsigned difference: the hold-off holds across the wrap of the tick count.
  DWORD now = GetTickCount();
  if (hostState.lastCheckTick != kNoCheckYet &&
      now - hostState.lastCheckTick < kHoldOffMilliseconds)
    return FALSE;
  hostState.verifying = true;
  // Ticks that piled up before the dialog would each start a picture change
  // behind it.
  MSG dropped;
  for (int i = 0; i < kTimerMessagesDropped; ++i)
    PeekMessageA(&dropped, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  LRESULT answer = SendMessageA(window, CheckPasswordMessage, 0, 0);
  hostState.closeApproved = answer != 0;
  hostState.verifying = false;
  if (answer == 0) SetCursor(nullptr);
  hostState.lastCheckTick = GetTickCount();
  return answer != 0 ? TRUE : FALSE;
}

void ChangePasswordMode(HWND owner) {
  HMODULE library = LoadLibraryA("MPR.DLL");
  if (library == nullptr) return;
  auto change = reinterpret_cast<PwdChangePasswordEntry>(
      reinterpret_cast<void*>(GetProcAddress(library, "PwdChangePasswordA")));
  if (change != nullptr) change("SCRSAVE", owner, 0, 0);
  FreeLibrary(library);
}
