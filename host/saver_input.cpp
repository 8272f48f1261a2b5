#include "host/saver_input.h"

#include "host/host_state.h"
#include "host/passwords.h"
#include "show/show_window.h"

namespace {

// A mouse move closes only beyond this many pixels, horizontal plus vertical,
// from the recorded position: a table's tremor must not end the saver.
constexpr DWORD kMoveThreshold = 4;

LRESULT Close(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hostState.isWin9x && !CloseGate(window)) {
    GetCursorPos(&hostState.savedCursor);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT AnswerPasswordCheck(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!hostState.isWin9x) return DefWindowProcA(window, message, wParam, lParam);
  if (hostState.verifyEntry == nullptr) return 1;
  return hostState.verifyEntry(window);
}

// The message's own coordinates are client coordinates and cannot be
// compared across windows: the cursor's screen position is read instead.
void MouseMoved(HWND window) {
  POINT now = {0, 0};
  GetCursorPos(&now);
  DWORD dx = DWORD(now.x) - DWORD(hostState.savedCursor.x);
  DWORD dy = DWORD(now.y) - DWORD(hostState.savedCursor.y);
  if (LONG(dx) < 0) dx = 0u - dx;
  if (LONG(dy) < 0) dy = 0u - dy;
  if (dx + dy > kMoveThreshold) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    hostState.savedCursor = now;
  }
}

}  // namespace

LRESULT CALLBACK SaverInputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hostState.isPreview || hostState.closeApproved)
    return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_CLOSE) return Close(window, message, wParam, lParam);
  if (message == CheckPasswordMessage) return AnswerPasswordCheck(window, message, wParam, lParam);
  // No input closes the saver while the password is being asked for.
  if (hostState.verifying) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_SHOWWINDOW:
      if (wParam != 0) SetCursor(nullptr);
      break;
    case WM_ACTIVATEAPP:
      if (wParam == 0) PostMessageA(window, WM_CLOSE, 0, 0);
      break;
    case WM_SETCURSOR:
      SetCursor(nullptr);
      return 1;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      PostMessageA(window, WM_CLOSE, 0, 0);
      break;
    case WM_MOUSEMOVE:
      MouseMoved(window);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

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
