#include "host/password_verifier.h"

#include "host/host_state.h"
#include "platform/win32.h"

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
