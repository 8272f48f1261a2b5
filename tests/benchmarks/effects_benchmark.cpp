// Times each transition effect bringing a 1920x1080 memory frame onto a
// window (SDL's offscreen driver unless SDL_VIDEODRIVER says otherwise) and
// prints per effect the time spent outside Sleep next to the total of its
// pauses (target: under a tenth of it; FineDissolve, which never pauses: under
// 50 ms), and the whole effect's time, which includes putting the window's
// pixels on the screen during the pauses, against those pauses (target: within
// 1.15 times; run it with SDL_VIDEODRIVER=x11 on an X display to see the
// screen's share).
// Then it times one whole picture change of a 4000x3000 and of a 1920x1080
// picture onto that window without a transition (ShowNextPicture, temporary
// files included) against libjpeg's bare decode of the same picture (target:
// within 1.6 times).
// Usage: effects_benchmark [repetitions] [--picture-changes]
//   repetitions        default 3; the best run counts
//   --picture-changes  only the picture changes (for a profiler)
// Both builds; under Wine the window is Wine's on the X display.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "effects/transition.h"
#include "effects/transition_steps.h"
#include "package/show_state.h"
#include "platform/win32.h"
#include "show/show_cycle.h"
#include "show/show_random.h"
#include "tests/benchmarks/best_time.h"
#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/window_class.h"

namespace {

DWORD requestedPauses = 0;
std::chrono::duration<double, std::milli> paused{};

}  // namespace

// The two steps of effects/transition_steps.cpp, which the effects are linked
// with instead of that file (as the recording tests do), so that the time
// spent in pauses can be taken out of each effect's time.
void CopyPiece(HDC window, HDC frame, int32_t x, int32_t y, int32_t width, int32_t height) {
  BitBlt(window, x, y, width, height, frame, x, y, SRCCOPY);
}

void PauseTransition(DWORD milliseconds) {
  const auto start = std::chrono::steady_clock::now();
  Sleep(milliseconds);
  paused += std::chrono::steady_clock::now() - start;
  requestedPauses += milliseconds;
}

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

void TimeEffects(HDC window, int repetitions) {
  HDC frame = CreateCompatibleDC(window);
  HBITMAP bitmap = CreateCompatibleBitmap(window, kWidth, kHeight);
  HGDIOBJ previous = SelectObject(frame, bitmap);
  const RECT client = {0, 0, kWidth, kHeight};
  std::printf("%dx%d window, best of %d   outside Sleep    pauses     whole\n", kWidth, kHeight,
              repetitions);
  for (const TransitionEffect& effect : kTransitionEffects) {
    double outside = 1e30, whole = 1e30;
    for (int k = 0; k < repetitions; ++k) {
      ResetShowRandom(1);
      requestedPauses = 0;
      paused = {};
      const double total = BestMilliseconds(1, {[&] { effect.run(window, frame, client); }})[0];
      outside = std::min(outside, total - paused.count());
      whole = std::min(whole, total);
    }
    const double pauses = requestedPauses;
    std::printf("  %-16s %12.1f ms %8.0f ms %8.0f ms", effect.name, outside, pauses, whole);
    if (pauses > 0)
      std::printf("   %.3f x pauses (target < 0.10)   whole %.2f x pauses (target <= 1.15)",
                  outside / pauses, whole / pauses);
    std::printf(pauses > 0 ? "\n" : "   (target < 50 ms)\n");
  }
  SelectObject(frame, previous);
  DeleteObject(bitmap);
  DeleteDC(frame);
}

// A show of one photograph-like picture, changed to without a transition:
// the picture's file stands in for the program's, with the picture's extent
// in the record table.
void TimePictureChange(HWND window, int repetitions, int width, int height) {
  ScratchDir dir;
  const std::string jpeg = dir / "picture.jpg";
  WritePhotoLikeJpeg(jpeg, width, height);
  showState.records[0] = {
      ShowRecordType::Image, 0, uint32_t(ReadFileBytes(jpeg).size()), 0, 0, nullptr};
  showState.images[0] = &showState.records[0];
  showState.imageCount = 1;
  showState.settings.UseEff = 0;
  packageFile = std::fopen(jpeg.c_str(), "rb");
  const std::vector<double> ms =
      BestMilliseconds(repetitions, {[&] { ShowNextPicture(window); }, [&] { DecodeJpeg(jpeg); }});
  std::fclose(packageFile);
  std::printf("%dx%d picture change without a transition\n", width, height);
  std::printf("  libjpeg decode   %8.1f ms\n", ms[1]);
  std::printf("  picture change   %8.1f ms   %.2f x decode (target <= 1.60)\n", ms[0],
              ms[0] / ms[1]);
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  if (std::getenv("SDL_VIDEODRIVER") == nullptr) SetEnv("SDL_VIDEODRIVER", "offscreen");
  RegisterTestClass("EffectsBenchmark", DefWindowProcA, CS_OWNDC);
  HWND window = CreateWindowExA(0, "EffectsBenchmark", "Effects", WS_POPUP | WS_VISIBLE, 0, 0,
                                kWidth, kHeight, nullptr, nullptr, nullptr, nullptr);
  if (argc < 3 || std::string(argv[2]) != "--picture-changes") {
    HDC windowDc = GetDC(window);
    TimeEffects(windowDc, repetitions);
    ReleaseDC(window, windowDc);
  }
  TimePictureChange(window, repetitions, 4000, 3000);
  TimePictureChange(window, repetitions, 1920, 1080);
  DestroyWindow(window);
  return 0;
}
