// Window timers, pauses and the tick count.
//
// Implemented:
//   SetTimer      a timer of one of our windows, by id, with or without a
//                 callback; returns the id, or 1 for id 0 (the result must
//                 not be 0, and Wine gives 1). Setting an id again gives it the
//                 new period and callback and starts it afresh. As on
//                 Windows, periods below USER_TIMER_MINIMUM (10 ms) count
//                 10 ms and periods beyond USER_TIMER_MAXIMUM (0x7FFFFFFF ms)
//                 count 0x7FFFFFFF ms: a show's stored interval can be any
//                 32-bit value.
//   KillTimer     TRUE when it stopped a timer, which also takes back the
//                 timer's WM_TIMER if it waits; FALSE otherwise.
//   Sleep         brings what was drawn to the screen first, within the pause:
//                 it ends the given time after it was called, as on Windows,
//                 where the screen is updated while the program sleeps.
//                 Sleep(0) yields.
//   GetTickCount  milliseconds of the monotonic clock, wrapping at 2^32.
// A timer is not a posted message: once due, it stands ready for one WM_TIMER
// until that is taken, and its next period starts then. So however long the
// program was busy, a timer gives one WM_TIMER, as on Windows.
// Not implemented: timers without a window (thread timers) and
//   SetCoalescableTimer.
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/linux/unsupported.h"
#include "platform/linux/windowing.h"

namespace {

struct Timer {
  HWND window;
  UINT_PTR id;
  UINT period;
  TIMERPROC callback;
  int64_t due;  // on MonotonicMilliseconds
};

std::vector<Timer> timers;

constexpr UINT kMinimumPeriod = 0x0000000A;   // USER_TIMER_MINIMUM
constexpr UINT kMaximumPeriod = 0x7FFFFFFFu;  // USER_TIMER_MAXIMUM

}  // namespace

int64_t MonotonicMilliseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool TakeTimerMessage(HWND filter, bool remove, MSG* msg) {
  int64_t now = MonotonicMilliseconds();
  Timer* first = nullptr;
  for (Timer& timer : timers) {
    if (timer.due > now || (filter != nullptr && !WindowWithin(timer.window, filter))) continue;
    if (first == nullptr || timer.due < first->due) first = &timer;
  }
  if (first == nullptr) return false;
  *msg = MSG{first->window, WM_TIMER, first->id, reinterpret_cast<LPARAM>(first->callback),
             DWORD(now),    {0, 0}};
  if (remove) first->due = now + first->period;
  return true;
}

int64_t MillisecondsToNextTimer(HWND filter) {
  int64_t next = -1;
  for (const Timer& timer : timers) {
    if (filter != nullptr && !WindowWithin(timer.window, filter)) continue;
    if (next < 0 || timer.due < next) next = timer.due;
  }
  return next < 0 ? -1 : std::max<int64_t>(next - MonotonicMilliseconds(), 0);
}

void KillWindowTimers(HWND window) {
  std::vector<Timer> kept;
  for (const Timer& timer : timers) {
    if (timer.window != window) kept.push_back(timer);
  }
  timers.swap(kept);
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC callback) {
  if (window == nullptr) PlatformUnsupported("SetTimer", "timers without a window");
  if (!WindowExists(window)) return 0;
  UINT period = std::clamp(elapse, kMinimumPeriod, kMaximumPeriod);
  int64_t due = MonotonicMilliseconds() + period;
  for (Timer& timer : timers) {
    if (timer.window == window && timer.id == id) {
      timer = Timer{window, id, period, callback, due};
      return id != 0 ? id : 1;
    }
  }
  timers.push_back(Timer{window, id, period, callback, due});
  return id != 0 ? id : 1;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
  for (auto it = timers.begin(); it != timers.end(); ++it) {
    if (it->window == window && it->id == id) {
      timers.erase(it);
      return TRUE;
    }
  }
  return FALSE;
}

void WINAPI Sleep(DWORD milliseconds) {
  timespec end;
  clock_gettime(CLOCK_MONOTONIC, &end);
  PresentWindows();
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  end.tv_sec += time_t(milliseconds / 1000);
  end.tv_nsec += long(milliseconds % 1000) * 1000000;
  if (end.tv_nsec >= 1000000000) {
    end.tv_sec += 1;
    end.tv_nsec -= 1000000000;
  }
  // clock_nanosleep reports its error by its result, not errno.
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &end, nullptr) == EINTR) {
  }
}

DWORD WINAPI GetTickCount(void) {
  return DWORD(MonotonicMilliseconds());
}
