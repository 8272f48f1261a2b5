#include "host/close_gate.h"

#include "host/host_state.h"

namespace {

// After a refused password, close requests are turned away for this long
// without asking again: the keys that ended the dialog must not reopen it.
constexpr DWORD kHoldOffMilliseconds = 200;
constexpr int kTimerMessagesDropped = 2;

}  // namespace

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
