// Plays the show appended to this program's own file in a show window and
// prints one line for each message the show handled, so that the window
// tests can follow it from a child process:
//   created picture=<timer> sound=<timer> available=<0|1>
//   paint last=<picture index> pixel=<rrggbb at the window's centre>
//   tick last=<picture index> timer=<picture timer value>
//   sound last=<sound index>
//   destroyed records=<count> file=<open|closed>
//   end ticks=<picture ticks> ms=<milliseconds from the start to the last tick>
//
// Arguments: the picture ticks to wait for, the time limit in milliseconds,
// and optionally "stopped", which kills the picture timer after the first
// paint and then posts one tick of the probe's own.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host_state.h"
#include "package/show_state.h"
#include "platform/win32.h"
#include "show/show_cycle.h"
#include "show/show_window.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;

unsigned CentrePixel(HWND window) {
  HDC dc = GetDC(window);
  COLORREF colour = GetPixel(dc, kWidth / 2, kHeight / 2);
  ReleaseDC(window, dc);
  return unsigned(GetRValue(colour)) << 16 | unsigned(GetGValue(colour)) << 8 | GetBValue(colour);
}

}  // namespace

int main(int argc, char** argv) {
  int wantedTicks = argc > 1 ? std::atoi(argv[1]) : 2;
  DWORD limit = argc > 2 ? DWORD(std::atoi(argv[2])) : 8000;
  bool stopped = argc > 3 && std::strcmp(argv[3], "stopped") == 0;

  // The show passes every message on to the host's input rules; as in a
  // preview, they must not close the probe's window when the pointer moves.
  hostState.isPreview = true;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ShowWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "LumivaneShowProbe";
  if (RegisterClassA(&windowClass) == 0) return 2;
  HWND window = CreateWindowExA(0, "LumivaneShowProbe", "", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                                kHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) return 3;
  std::printf("created picture=%u sound=%u available=%d\n", unsigned(pictureTimerValue),
              unsigned(soundTimerValue), int(showState.soundAvailable));
  std::fflush(stdout);

  int paints = 0, ticks = 0;
  DWORD begin = GetTickCount(), lastTick = begin;
  while (ticks < wantedTicks && GetTickCount() - begin < limit) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      Sleep(5);
      continue;
    }
    DispatchMessageA(&msg);
    if (msg.message == WM_PAINT) {
      std::printf("paint last=%d pixel=%06x\n", int(LastPictureIndex), CentrePixel(window));
      // One more paint, which must leave the picture alone.
      if (++paints == 1) InvalidateRect(window, nullptr, FALSE);
      if (paints == 1 && stopped) {
        KillTimer(window, pictureTimerValue);
        PostMessageA(window, WM_TIMER, PictureTimer, 0);
      }
    } else if (msg.message == WM_TIMER && msg.wParam == PictureTimer) {
      ++ticks;
      lastTick = GetTickCount();
      std::printf("tick last=%d timer=%u\n", int(LastPictureIndex), unsigned(pictureTimerValue));
    } else if (msg.message == WM_TIMER && msg.wParam == SoundTimer) {
      std::printf("sound last=%d\n", int(LastSoundIndex));
    }
    std::fflush(stdout);
  }
  DestroyWindow(window);
  std::printf("destroyed records=%d file=%s\n", int(showState.recordCount),
              packageFile != nullptr ? "open" : "closed");
  std::printf("end ticks=%d ms=%lu\n", ticks, static_cast<unsigned long>(lastTick - begin));
  std::fflush(stdout);
  return 0;
}
