// System parameters.
//
// Implemented:
//   SystemParametersInfoA  SPI_SETSCREENSAVERRUNNING: there is no system
//                          screen saver to tell, so it only keeps the state
//                          and succeeds, giving the previous state through
//                          data (a UINT) when that is set.
// Not implemented: every other action.
#include "platform/linux/unsupported.h"
#include "platform/linux/win32_api.h"

namespace {
UINT saverRunning = 0;
}  // namespace

BOOL WINAPI SystemParametersInfoA(UINT action, UINT param, PVOID data, UINT) {
  if (action != SPI_SETSCREENSAVERRUNNING)
    PlatformUnsupported("SystemParametersInfoA", "an action other than SPI_SETSCREENSAVERRUNNING");
  if (data != nullptr) *static_cast<UINT*>(data) = saverRunning;
  saverRunning = param != 0 ? 1 : 0;
  return TRUE;
}
