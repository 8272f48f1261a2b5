// The thread's message queue: one queue for the process, which has one
// thread that owns windows.
//
// Implemented:
//   PostMessageA      to one of our windows, or to the thread (NULL window);
//                     FALSE for a window that is not there.
//   PostQuitMessage   the quit flag, which gives WM_QUIT once nothing posted
//                     is left.
//   PeekMessageA      PM_NOREMOVE and PM_REMOVE.
//   GetMessageA       waits, bringing what was drawn to the screen first;
//                     0 for WM_QUIT, -1 for a window filter that names no
//                     window.
//   TranslateMessage  FALSE: no key messages are made yet.
//   DispatchMessageA  calls the window procedure; a WM_TIMER that carries a
//                     callback in lParam calls the callback instead.
// Both retrieving calls take messages in the order Windows documents: posted
// messages first, then input, then WM_QUIT, WM_PAINT (left in place by
// PM_REMOVE until the window is validated) and last WM_TIMER. A window filter
// selects the window and its children; WM_QUIT, not being a window's, comes
// only without one. SDL's events are read at every call: closing a window
// posts WM_CLOSE to it, and an exposed window is repainted.
// Not implemented: keyboard, mouse and focus messages (SDL's input events are
//   read and dropped), PeekMessageA's PM_NOYIELD and PM_QS_ flags, filter
//   ranges whose minimum is above their maximum, HWND_BROADCAST, waiting
//   with no window and no message (nothing could end the wait).
#include <algorithm>
#include <deque>

#include "platform/linux/unsupported.h"
#include "platform/linux/windowing.h"

namespace {

std::deque<MSG> posted;
bool quitPosted = false;
int quitCode = 0;

void ReadSdlEvents() {
  if (!VideoStarted()) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type != SDL_WINDOWEVENT) continue;  // input arrives as messages later
    HWND window = WindowOfSdlWindow(event.window.windowID);
    if (window == nullptr) continue;
    if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
      PostMessageA(window, WM_CLOSE, 0, 0);
    } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
      WindowExposed(window);
    }
  }
}

bool Selected(HWND window, HWND filter) {
  return filter == nullptr || (window != nullptr && WindowWithin(window, filter));
}

bool FindMessage(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
  if (filterMin > filterMax) {
    PlatformUnsupported("GetMessageA or PeekMessageA", "a filter minimum above its maximum");
  }
  ReadSdlEvents();
  for (auto it = posted.begin(); it != posted.end(); ++it) {
    if (Selected(it->hwnd, filter) && MessageInRange(it->message, filterMin, filterMax)) {
      *msg = *it;
      if (remove) posted.erase(it);
      return true;
    }
  }
  // Keyboard and mouse messages will come here, after posted ones.
  if (quitPosted && filter == nullptr && MessageInRange(WM_QUIT, filterMin, filterMax)) {
    *msg = MSG{nullptr, WM_QUIT, WPARAM(quitCode), 0, GetTickCount(), {0, 0}};
    if (remove) quitPosted = false;
    return true;
  }
  if (MessageInRange(WM_PAINT, filterMin, filterMax)) {
    if (HWND window = WindowNeedingPaint(filter)) {
      *msg = MSG{window, WM_PAINT, 0, 0, GetTickCount(), {0, 0}};
      return true;
    }
  }
  return MessageInRange(WM_TIMER, filterMin, filterMax) && TakeTimerMessage(filter, remove, msg);
}

}  // namespace

void RemovePostedMessages(HWND window) {
  for (auto it = posted.begin(); it != posted.end();) {
    it = it->hwnd == window ? posted.erase(it) : it + 1;
  }
}

bool MessageInRange(UINT message, UINT filterMin, UINT filterMax) {
  return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && !WindowExists(window)) return FALSE;
  posted.push_back(MSG{window, message, wParam, lParam, GetTickCount(), {0, 0}});
  return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
  quitPosted = true;
  quitCode = exitCode;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
  if (remove & ~PM_REMOVE) PlatformUnsupported("PeekMessageA", "flags other than PM_REMOVE");
  if (FindMessage(msg, window, filterMin, filterMax, remove & PM_REMOVE)) return TRUE;
  // The program has nothing to do for now: what it drew is shown.
  PresentWindows();
  return FALSE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (window != nullptr && !WindowExists(window)) return -1;
  while (!FindMessage(msg, window, filterMin, filterMax, true)) {
    PresentWindows();
    if (!VideoStarted()) PlatformUnsupported("GetMessageA", "waiting with no window");
    int64_t wait =
        MessageInRange(WM_TIMER, filterMin, filterMax) ? MillisecondsToNextTimer(window) : -1;
    if (wait < 0) {
      SDL_WaitEvent(nullptr);
    } else if (wait > 0) {
      SDL_WaitEventTimeout(nullptr, int(std::min<int64_t>(wait, INT32_MAX)));
    }
  }
  return msg->message != WM_QUIT;
}

BOOL WINAPI TranslateMessage(const MSG*) {
  return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  if (msg == nullptr) return 0;
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
