// The thread's message queue: one queue for the process, which has one
// thread that owns windows.
//
// Implemented:
//   PostMessageA      to one of our windows or a dialog's, or to the thread
//                     (NULL window); FALSE for a window that is not there and
//                     for other programs' windows (messages do not cross
//                     processes).
//   PostQuitMessage   the quit flag, which gives WM_QUIT once nothing posted
//                     is left.
//   PeekMessageA      PM_NOREMOVE and PM_REMOVE; PM_NOYIELD means nothing here.
//   GetMessageA       waits, bringing what was drawn to the screen first;
//                     0 for WM_QUIT, -1 for a window filter that names no
//                     window.
//   TranslateMessage  posts WM_CHAR (WM_SYSCHAR with Alt) for a key press that
//                     types: the text SDL typed for it, or else what the key
//                     gives on a US keyboard (posted key messages too); TRUE
//                     for every key message.
//   DispatchMessageA  calls the window procedure; a WM_TIMER that carries a
//                     callback in lParam calls the callback instead.
// Both retrieving calls take messages in the order of Windows (and Wine):
// posted messages first, then WM_QUIT, input, WM_PAINT (left in place by
// PM_REMOVE until the window is validated) and last WM_TIMER. A window filter
// selects the window and its children; WM_QUIT, not being a window's, comes
// only without one.
// SDL's events are read at every call and become messages:
//   keys          WM_KEYDOWN and WM_KEYUP to the top-level window with the
//                 keyboard focus; WM_SYSKEYDOWN and WM_SYSKEYUP while Alt is
//                 held without Ctrl, and for F10. wParam is the virtual key
//                 (key_codes.cpp); lParam the repeat count 1, the scan code,
//                 the extended-key, Alt, previous-state and transition bits.
//   mouse         WM_MOUSEMOVE, the button messages (double-clicks only for
//                 classes with CS_DBLCLKS; otherwise a second press is a plain
//                 one) and WM_XBUTTON ones to the innermost child under the
//                 pointer, with client coordinates in lParam and the MK_
//                 flags in wParam; WM_MOUSEWHEEL to the top-level window, with
//                 screen coordinates. Taking a mouse message (other than the
//                 wheel) sends WM_SETCURSOR (the window, HTCLIENT and the
//                 message) to its window first, as Windows does.
//   focus         our windows gaining the keyboard focus from another program
//                 send WM_ACTIVATEAPP (TRUE) to every top-level window;
//                 losing it to another program, WM_ACTIVATEAPP (FALSE).
//   closing       a window closed by the window manager gets WM_CLOSE.
//   exposure      an exposed window (or one of our children in another
//                 program's window, x11_display.cpp) is repainted.
// Disabled windows get no input. SIGTERM and SIGINT post WM_CLOSE to every
// window without a parent among ours (close_signals.cpp).
// Not implemented: mouse capture, the horizontal wheel, WM_CHAR for dead keys,
//   keyboard focus on child windows, PeekMessageA's PM_QS_ flags, filter
//   ranges whose minimum is above their maximum, HWND_BROADCAST, waiting
//   with no window and no message (nothing could end the wait).
#include <poll.h>

#include <algorithm>
#include <deque>
#include <string>

#include "platform/linux/ansi_text.h"
#include "platform/linux/unsupported.h"
#include "platform/linux/window_table.h"
#include "platform/linux/windowing.h"

namespace {

struct InputMessage {
  MSG msg;
  std::string text;    // what a key press typed, in the ANSI code page
  bool typed = false;  // text came from SDL's text input
};

std::deque<MSG> posted;
std::deque<InputMessage> input;
bool quitPosted = false;
int quitCode = 0;
bool appActive = false;
Uint32 mouseButtons = 0;  // SDL_BUTTON masks, as the events left them
// The key press last taken, whose text TranslateMessage uses.
InputMessage lastKey;

// While children of other programs' windows exist, SDL's wait is cut into
// pieces of this length to look at their X events.
constexpr int kXEventPollMs = 20;

bool IsKeyDown(UINT message) {
  return message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
}

bool IsMouseMessage(UINT message) {
  return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
}

void Queue(HWND window, UINT message, WPARAM wParam, LPARAM lParam, POINT screen,
           std::string text = "") {
  InputMessage entry;
  entry.msg = MSG{window, message, wParam, lParam, GetTickCount(), screen};
  entry.text = std::move(text);
  input.push_back(std::move(entry));
}

POINT CursorOnScreen() {
  POINT point;
  GetCursorPos(&point);
  return point;
}

HWND KeyboardTarget(Uint32 windowId) {
  if (HWND window = WindowOfSdlWindow(windowId)) return window;
  HWND foreground = GetForegroundWindow();
  return WindowExists(foreground) ? foreground : nullptr;
}

void KeyEvent(const SDL_KeyboardEvent& key) {
  HWND window = KeyboardTarget(key.windowID);
  if (window == nullptr || !WindowEnabled(window)) return;
  Uint16 mod = key.keysym.mod;
  UINT vk = VirtualKeyOf(key.keysym.sym, key.keysym.scancode, mod);
  bool down = key.type == SDL_KEYDOWN;
  bool alt = mod & KMOD_ALT;
  bool control = mod & KMOD_CTRL;
  bool system = ((alt || vk == VK_MENU) && !control) || vk == VK_F10;
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  UINT scan = ScanCodeOf(key.keysym.scancode);
  DWORD lParam = 1 | (scan & 0xFF) << 16;
  if (scan & 0x100) lParam |= 1u << 24;
  if (alt) lParam |= 1u << 29;
  if (!down || key.repeat) lParam |= 1u << 30;
  if (!down) lParam |= 1u << 31;
  std::string text;
  if (down) {
    char c = CharacterOfVirtualKey(vk, mod & KMOD_SHIFT, control, mod & KMOD_CAPS);
    if (c != 0) text = std::string(1, c);
  }
  Queue(window, message, vk, LPARAM(lParam), CursorOnScreen(), text);
}

// SDL reports what a key typed right after the key.
void TextEvent(const SDL_TextInputEvent& typed) {
  if (input.empty() || !IsKeyDown(input.back().msg.message)) return;
  InputMessage& key = input.back();
  std::string text = Utf8ToAnsi(typed.text);
  if (key.typed) {
    key.text += text;
  } else {
    key.text = text;
    key.typed = true;
  }
}

WPARAM MouseKeys(Uint32 buttons) {
  WPARAM keys = 0;
  if (buttons & SDL_BUTTON_LMASK) keys |= MK_LBUTTON;
  if (buttons & SDL_BUTTON_RMASK) keys |= MK_RBUTTON;
  if (buttons & SDL_BUTTON_MMASK) keys |= MK_MBUTTON;
  if (buttons & SDL_BUTTON_X1MASK) keys |= MK_XBUTTON1;
  if (buttons & SDL_BUTTON_X2MASK) keys |= MK_XBUTTON2;
  SDL_Keymod mod = SDL_GetModState();
  if (mod & KMOD_SHIFT) keys |= MK_SHIFT;
  if (mod & KMOD_CTRL) keys |= MK_CONTROL;
  return keys;
}

// A mouse message at (x, y) of an SDL window, for the window under it.
void MouseMessage(Uint32 windowId, int x, int y, UINT message, WPARAM wParam) {
  HWND top = WindowOfSdlWindow(windowId);
  SDL_Window* sdl = SDL_GetWindowFromID(windowId);
  if (top == nullptr || sdl == nullptr) return;
  int left;
  int topEdge;
  SDL_GetWindowPosition(sdl, &left, &topEdge);
  POINT screen = {left + x, topEdge + y};
  PointerSeenAt(screen.x, screen.y);
  POINT origin = WindowScreenOrigin(top);
  POINT client;
  HWND target = MouseTarget(top, screen.x - origin.x, screen.y - origin.y, &client);
  if (target == nullptr) return;
  if (message == WM_MOUSEWHEEL) {
    Queue(top, message, wParam, MAKELPARAM(screen.x, screen.y), screen);
    return;
  }
  bool doubleClick = message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK ||
                     message == WM_MBUTTONDBLCLK || message == WM_XBUTTONDBLCLK;
  if (doubleClick && !WindowHasDoubleClicks(target)) message -= 2;  // the plain press
  Queue(target, message, wParam, MAKELPARAM(client.x, client.y), screen);
}

void ButtonEvent(const SDL_MouseButtonEvent& button) {
  UINT down;
  WPARAM high = 0;
  switch (button.button) {
    case SDL_BUTTON_LEFT:
      down = WM_LBUTTONDOWN;
      break;
    case SDL_BUTTON_RIGHT:
      down = WM_RBUTTONDOWN;
      break;
    case SDL_BUTTON_MIDDLE:
      down = WM_MBUTTONDOWN;
      break;
    case SDL_BUTTON_X1:
    case SDL_BUTTON_X2:
      down = WM_XBUTTONDOWN;
      high = button.button == SDL_BUTTON_X1 ? XBUTTON1 : XBUTTON2;
      break;
    default:
      return;
  }
  bool pressed = button.type == SDL_MOUSEBUTTONDOWN;
  if (pressed) {
    mouseButtons |= SDL_BUTTON(button.button);
  } else {
    mouseButtons &= ~SDL_BUTTON(button.button);
  }
  // Windows pairs clicks: the second of two quick ones is the double-click.
  UINT message = !pressed ? down + 1 : button.clicks % 2 == 0 ? down + 2 : down;
  MouseMessage(button.windowID, button.x, button.y, message,
               MAKEWPARAM(MouseKeys(mouseButtons), high));
}

void WheelEvent(const SDL_MouseWheelEvent& wheel) {
  int steps = wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -wheel.y : wheel.y;
  if (steps == 0) return;
  MouseMessage(wheel.windowID, wheel.mouseX, wheel.mouseY, WM_MOUSEWHEEL,
               MAKEWPARAM(MouseKeys(mouseButtons), WORD(int16_t(steps * WHEEL_DELTA))));
}

void WindowEvent(const SDL_WindowEvent& event) {
  HWND window = WindowOfSdlWindow(event.windowID);
  if (window == nullptr) return;
  if (event.event == SDL_WINDOWEVENT_CLOSE) {
    PostMessageA(window, WM_CLOSE, 0, 0);
  } else if (event.event == SDL_WINDOWEVENT_EXPOSED ||
             event.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
    // A new size gives the window a new surface, which holds nothing yet:
    // what was brought to the old one must be brought again.
    WindowExposed(window);
  }
}

// WM_ACTIVATEAPP goes out when the keyboard focus moves between our windows
// and another program's, not between two of ours.
void FollowActivation() {
  SDL_Window* focus = SDL_GetKeyboardFocus();
  bool active = focus != nullptr && WindowOfSdlWindow(SDL_GetWindowID(focus)) != nullptr;
  if (active == appActive) return;
  appActive = active;
  for (HWND window : TopLevelWindows()) {
    if (WindowExists(window)) SendMessageA(window, WM_ACTIVATEAPP, active, 0);
  }
}

void ReadSdlEvents() {
  if (!VideoStarted()) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_WINDOWEVENT:
        WindowEvent(event.window);
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        KeyEvent(event.key);
        break;
      case SDL_TEXTINPUT:
        TextEvent(event.text);
        break;
      case SDL_MOUSEMOTION:
        mouseButtons = event.motion.state;
        MouseMessage(event.motion.windowID, event.motion.x, event.motion.y, WM_MOUSEMOVE,
                     MouseKeys(mouseButtons));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        ButtonEvent(event.button);
        break;
      case SDL_MOUSEWHEEL:
        WheelEvent(event.wheel);
        break;
      default:
        break;  // SDL_USEREVENT only wakes the loop for a signal
    }
  }
  FollowActivation();
}

void ReadCloseSignals() {
  if (!TakeCloseSignal()) return;
  std::vector<HWND> roots = RootWindows();
  if (roots.empty()) EndAsSignalled();
  for (HWND window : roots)
    PostMessageA(window, WM_CLOSE, 0, 0);
}

bool Selected(HWND window, HWND filter) {
  return filter == nullptr || (window != nullptr && WindowWithin(window, filter));
}

bool TakeInput(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
  for (auto it = input.begin(); it != input.end(); ++it) {
    if (!Selected(it->msg.hwnd, filter) || !MessageInRange(it->msg.message, filterMin, filterMax)) {
      continue;
    }
    *msg = it->msg;
    if (!remove) return true;
    if (IsKeyDown(msg->message)) lastKey = *it;
    input.erase(it);
    if (IsMouseMessage(msg->message) && msg->message != WM_MOUSEWHEEL) {
      SendMessageA(msg->hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(msg->hwnd),
                   MAKELONG(HTCLIENT, msg->message));
    }
    return true;
  }
  return false;
}

bool FindMessage(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
  if (filterMin > filterMax) {
    PlatformUnsupported("GetMessageA or PeekMessageA", "a filter minimum above its maximum");
  }
  ReadSdlEvents();
  X11ReadEvents();
  ReadCloseSignals();
  for (auto it = posted.begin(); it != posted.end(); ++it) {
    if (Selected(it->hwnd, filter) && MessageInRange(it->message, filterMin, filterMax)) {
      *msg = *it;
      if (remove) posted.erase(it);
      return true;
    }
  }
  if (quitPosted && filter == nullptr && MessageInRange(WM_QUIT, filterMin, filterMax)) {
    *msg = MSG{nullptr, WM_QUIT, WPARAM(quitCode), 0, GetTickCount(), {0, 0}};
    if (remove) quitPosted = false;
    return true;
  }
  if (TakeInput(msg, filter, filterMin, filterMax, remove)) return true;
  if (MessageInRange(WM_PAINT, filterMin, filterMax)) {
    if (HWND window = WindowNeedingPaint(filter)) {
      *msg = MSG{window, WM_PAINT, 0, 0, GetTickCount(), {0, 0}};
      return true;
    }
  }
  return MessageInRange(WM_TIMER, filterMin, filterMax) && TakeTimerMessage(filter, remove, msg);
}

// Waits for an event that may make a message, at most wait ms (-1: no limit).
void Wait(int64_t wait) {
  if (VideoStarted()) {
    if (X11HasChildren()) wait = wait < 0 ? kXEventPollMs : std::min<int64_t>(wait, kXEventPollMs);
    if (wait < 0) {
      SDL_WaitEvent(nullptr);
    } else if (wait > 0) {
      SDL_WaitEventTimeout(nullptr, int(std::min<int64_t>(wait, INT32_MAX)));
    }
    return;
  }
  pollfd fds[2];
  nfds_t count = 0;
  if (X11HasChildren()) fds[count++] = pollfd{X11ConnectionFd(), POLLIN, 0};
  if (CloseSignalFd() >= 0) fds[count++] = pollfd{CloseSignalFd(), POLLIN, 0};
  if (count == 0 && wait < 0) PlatformUnsupported("GetMessageA", "waiting with no window");
  if (wait != 0) poll(fds, count, int(std::min<int64_t>(wait, INT32_MAX)));
}

}  // namespace

void RemovePostedMessages(HWND window) {
  for (auto it = posted.begin(); it != posted.end();) {
    it = it->hwnd == window ? posted.erase(it) : it + 1;
  }
  for (auto it = input.begin(); it != input.end();) {
    it = it->msg.hwnd == window ? input.erase(it) : it + 1;
  }
}

bool MessageInRange(UINT message, UINT filterMin, UINT filterMax) {
  return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Other programs' windows are not in the table: messages do not cross processes.
  if (window != nullptr && FindWindowEntry(window) == nullptr) return FALSE;
  posted.push_back(MSG{window, message, wParam, lParam, GetTickCount(), {0, 0}});
  return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
  quitPosted = true;
  quitCode = exitCode;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
  if (remove & ~(PM_REMOVE | PM_NOYIELD)) {
    PlatformUnsupported("PeekMessageA", "flags other than PM_REMOVE and PM_NOYIELD");
  }
  if (FindMessage(msg, window, filterMin, filterMax, remove & PM_REMOVE)) return TRUE;
  // The program has nothing to do for now: what it drew is shown.
  PresentWindows();
  return FALSE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (window != nullptr && !WindowExists(window)) return -1;
  while (!FindMessage(msg, window, filterMin, filterMax, true)) {
    PresentWindows();
    int64_t wait =
        MessageInRange(WM_TIMER, filterMin, filterMax) ? MillisecondsToNextTimer(window) : -1;
    Wait(wait);
  }
  return msg->message != WM_QUIT;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
  if (msg == nullptr) return FALSE;
  UINT message = msg->message;
  if (message != WM_KEYDOWN && message != WM_KEYUP && message != WM_SYSKEYDOWN &&
      message != WM_SYSKEYUP) {
    return FALSE;
  }
  if (!IsKeyDown(message)) return TRUE;
  const MSG& last = lastKey.msg;
  std::string text;
  if (last.hwnd == msg->hwnd && last.message == message && last.wParam == msg->wParam &&
      last.lParam == msg->lParam && last.time == msg->time) {
    text = lastKey.text;
  } else {
    // A key message that did not come from the keyboard: what the key gives
    // with the modifiers held now.
    Uint16 mod = VideoStarted() ? SDL_GetModState() : 0;
    char c = CharacterOfVirtualKey(UINT(msg->wParam), mod & KMOD_SHIFT, mod & KMOD_CTRL,
                                   mod & KMOD_CAPS);
    if (c != 0) text = std::string(1, c);
  }
  UINT charMessage = message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  for (char c : text)
    PostMessageA(msg->hwnd, charMessage, static_cast<unsigned char>(c), msg->lParam);
  return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  if (msg == nullptr) return 0;
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
