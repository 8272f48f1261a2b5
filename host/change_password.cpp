#include "host/change_password.h"

#include "host/host_state.h"

void ChangePasswordMode(HWND owner) {
  HMODULE library = LoadLibraryA("MPR.DLL");
  if (library == nullptr) return;
  auto change = reinterpret_cast<PwdChangePasswordEntry>(
      reinterpret_cast<void*>(GetProcAddress(library, "PwdChangePasswordA")));
  if (change != nullptr) change("SCRSAVE", owner, 0, 0);
  FreeLibrary(library);
}
