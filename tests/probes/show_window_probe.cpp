// Plays the show appended to this program's own file in a show window and
// prints a line for each message it handled:
//   created picture=<timer> sound=<timer>
//   paint last=<picture index> pixel=<rrggbb at the window's centre>
//   tick last=<picture index> timer=<picture timer value>
//   sound last=<sound index>
//   destroyed records=<count> file=<open|closed>
//   end ms=<milliseconds from the start to the last tick>
// Arguments: the picture ticks to wait for and the time limit in ms.
#include <cstdio>
#include <cstdlib>

#include "host/host_state.h"
#include "package/show_state.h"
#include "platform/win32.h"
#include "show/show_cycle.h"
#include "show/show_window.h"
#include "tests/support/window_class.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const int wantedTicks = std::atoi(argv[1]);
  const DWORD limit = DWORD(std::atoi(argv[2]));

  // As in a preview, pointer moves must not close the window.
  hostState.isPreview = true;
  if (RegisterTestClass("LumivaneShowProbe", ShowWindowProc) == 0) return 2;
  HWND window = CreateWindowExA(0, "LumivaneShowProbe", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 150,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) return 3;
  std::printf("created picture=%u sound=%u\n", unsigned(pictureTimerValue),
              unsigned(soundTimerValue));

  int paints = 0, ticks = 0;
  DWORD begin = GetTickCount(), lastTick = begin;
  for (MSG msg; ticks < wantedTicks && GetTickCount() - begin < limit; std::fflush(stdout)) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      Sleep(5);
      continue;
    }
    DispatchMessageA(&msg);
    if (msg.message == WM_PAINT) {
      HDC dc = GetDC(window);
      COLORREF c = GetPixel(dc, 100, 75);
      ReleaseDC(window, dc);
      std::printf("paint last=%d pixel=%02x%02x%02x\n", int(LastPictureIndex), GetRValue(c),
                  GetGValue(c), GetBValue(c));
      // One more paint, which must leave the picture alone.
      if (++paints == 1) InvalidateRect(window, nullptr, FALSE);
    } else if (msg.message == WM_TIMER && msg.wParam == PictureTimer) {
      ++ticks;
      lastTick = GetTickCount();
      std::printf("tick last=%d timer=%u\n", int(LastPictureIndex), unsigned(pictureTimerValue));
    } else if (msg.message == WM_TIMER && msg.wParam == SoundTimer) {
      std::printf("sound last=%d\n", int(LastSoundIndex));
    }
  }
  DestroyWindow(window);
  std::printf("destroyed records=%d file=%s\n", int(showState.recordCount),
              packageFile != nullptr ? "open" : "closed");
  std::printf("end ms=%lu\n", static_cast<unsigned long>(lastTick - begin));
  return 0;
}
