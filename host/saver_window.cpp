// Flow of control. One thread runs everything from RunSaverWindow's message
// loop; each message of the saver window passes SaverWindowProc (here), the
// show's ShowWindowProc, SaverInputProc and DefWindowProcA, and each may end
// it early.
//
// One picture change: the system's WM_TIMER with id 257 is fetched by
// GetMessageA and dispatched to SaverWindowProc, which yields the rest of the
// time slice and passes it on while no close is approved. ShowWindowProc
// stops the picture timer and runs ShowNextPicture: the next JPEG is copied
// out of the program's own file, converted to a temporary BMP, loaded, fitted
// and drawn off screen, and brought onto the window by a transition effect
// that draws in steps with pauses; then the timer starts afresh.
// SaverInputProc and DefWindowProcA add nothing for a timer message.
//
// One close: a key press reaches SaverWindowProc as WM_KEYDOWN and goes on
// through ShowWindowProc to SaverInputProc, which posts WM_CLOSE. When that is
// dispatched, SaverInputProc asks CloseGate on the Windows 95 family (which
// may send CheckPasswordMessage through the whole chain to the password
// verifier) and otherwise hands it to DefWindowProcA, which destroys the
// window. WM_DESTROY gives back the input context and posts the quit message
// here; ShowWindowProc stops the timers and sounds and frees the show. The
// loop ends on the quit message, the verifier is unloaded, and the quit
// message's code becomes the process's exit code.
#include "host/saver_window.h"

#include "host/host_state.h"
#include "host/passwords.h"
#include "host/saver_input.h"
#include "show/show_window.h"

namespace {

constexpr int kSaverIcon = 100;
constexpr UINT kSaverClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kPreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
// System commands that would switch to another window or start a screen
// saver anew.
constexpr WPARAM kNextWindowCommand = 0xF040;
constexpr WPARAM kPreviousWindowCommand = 0xF050;
constexpr WPARAM kScreenSaveCommand = 0xF140;

int32_t RunMessageLoop() {
  MSG msg = {};
  BOOL got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return got == 0 ? int32_t(msg.wParam) : kNoSaverWindowExitCode;
}

// Help and context requests in the control panel's preview belong to the
// control panel.
LRESULT ForwardToParent(HWND window, UINT message, LPARAM lParam) {
  HWND parent = GetParent(window);
  if (parent != nullptr && IsWindow(parent))
    PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
  return 1;
}

}  // namespace

ATOM RegisterSaverClass() {
  WNDCLASSA windowClass = {};
  windowClass.style = kSaverClassStyle;
  windowClass.lpfnWndProc = SaverWindowProc;
  windowClass.hInstance = hostState.instance;
  windowClass.hIcon = LoadIconA(hostState.instance, MAKEINTRESOURCEA(kSaverIcon));
  windowClass.hCursor = nullptr;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kSaverClassName;
  return RegisterClassA(&windowClass);
}

HWND CreateSaverWindow(HWND parent) {
  // isPreview is set first: the window's creation already runs in its mode.
  hostState.isPreview = parent != nullptr;
  if (parent != nullptr) {
    RECT client = {0, 0, 0, 0};
    GetClientRect(parent, &client);
    hostState.saverWindow =
        CreateWindowExA(0, kSaverClassName, kPreviewTitle, kPreviewStyle, 0, 0, client.right,
                        client.bottom, parent, nullptr, hostState.instance, nullptr);
  } else {
    hostState.saverWindow =
        CreateWindowExA(WS_EX_TOPMOST, kSaverClassName, kFullScreenTitle, kFullScreenStyle, 0, 0,
                        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                        nullptr, hostState.instance, nullptr);
  }
  return hostState.saverWindow;
}

int32_t RunSaverWindow(HWND parent) {
  if (parent == nullptr) {
    HWND running = FindWindowA(kSaverClassName, kFullScreenTitle);
    if (running != nullptr && IsWindow(running)) {
      SetForegroundWindow(running);
      return 0;
    }
    LoadPasswordVerifier();
  }
  int32_t result = kNoSaverWindowExitCode;
  if (RegisterSaverClass() != 0 && CreateSaverWindow(parent) != nullptr) {
    if (parent == nullptr) SetForegroundWindow(hostState.saverWindow);
    result = RunMessageLoop();
  }
  UnloadPasswordVerifier();
  return result;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      DetachInputMethod(window);
      GetCursorPos(&hostState.savedCursor);
      if (!hostState.isPreview) SetCursor(nullptr);
      break;
    case WM_DESTROY:
      RestoreInputMethod(window);
      PostQuitMessage(0);
      break;
    case WM_SETTEXT:
      return 0;
    case WM_PAINT:
      if (hostState.closeApproved) return DefWindowProcA(window, message, wParam, lParam);
      if (!hostState.isPreview) SetCursor(nullptr);
      break;
    case WM_HELP:
    case WM_CONTEXTMENU:
      if (hostState.isPreview) return ForwardToParent(window, message, lParam);
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (hostState.closeApproved) return DefWindowProcA(window, message, wParam, lParam);
      break;
    case WM_SYSCOMMAND:
      if (!hostState.isPreview &&
          (wParam == kNextWindowCommand || wParam == kPreviousWindowCommand ||
           wParam == kScreenSaveCommand))
        return 0;
      break;
    case WM_TIMER:
      if (hostState.closeApproved) return 0;
      Sleep(0);
      break;
    default:
      break;
  }
  return ShowWindowProc(window, message, wParam, lParam);
}
