#include "host/input_method.h"

#include "host/host_state.h"

void DetachInputMethod(HWND window) {
  hostState.imeLibrary = GetModuleHandleA("IMM32.DLL");
  if (hostState.imeLibrary == nullptr) return;
  hostState.imeAssociate = reinterpret_cast<ImmAssociateContextEntry>(
      reinterpret_cast<void*>(GetProcAddress(hostState.imeLibrary, "ImmAssociateContext")));
  if (hostState.imeAssociate == nullptr) return;
  hostState.savedImeContext = hostState.imeAssociate(window, nullptr);
}

void RestoreInputMethod(HWND window) {
  if (hostState.imeLibrary != nullptr && hostState.imeAssociate != nullptr &&
      hostState.savedImeContext != nullptr)
    hostState.imeAssociate(window, hostState.savedImeContext);
}
