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
#include <functional>
#include <string>

#include "effects/transition.h"
#include "effects/transition_steps.h"
#include "package/show_state.h"
#include "platform/win32.h"
#include "show/show_cycle.h"
#include "show/show_random.h"
#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tools/showpack/package_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

DWORD requestedPauses = 0;
Clock::duration paused{};

}  // namespace

// The two steps of effects/transition_steps.cpp, which the effects are linked
// with instead of that file (as the recording tests do), so that the time
// spent in pauses can be taken out of each effect's time.
void CopyPiece(HDC window, HDC frame, int32_t x, int32_t y, int32_t width, int32_t height) {
  BitBlt(window, x, y, width, height, frame, x, y, SRCCOPY);
}

void PauseTransition(DWORD milliseconds) {
  auto start = Clock::now();
  Sleep(milliseconds);
  paused += Clock::now() - start;
  requestedPauses += milliseconds;
}

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

struct Canvas {
  explicit Canvas(HDC screen)
      : dc(CreateCompatibleDC(screen)),
        bitmap(CreateCompatibleBitmap(screen, kWidth, kHeight)),
        previous(SelectObject(dc, bitmap)) {}
  ~Canvas() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ previous;
};

HWND MakeWindow() {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "EffectsBenchmark";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, "EffectsBenchmark", "Effects", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                         kHeight, nullptr, nullptr, nullptr, nullptr);
}

double BestMilliseconds(int repetitions, const std::function<void()>& run) {
  double best = 1e30;
  for (int k = 0; k < repetitions; ++k) {
    auto start = Clock::now();
    run();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

// A show of one photograph-like picture, read into showState in place of the
// one before.
void LoadOnePictureShow(const ScratchDir& dir, int width, int height) {
  JpegPicture picture;
  picture.width = width;
  picture.height = height;
  const std::string jpeg = dir / "picture.jpg";
  WriteJpeg(jpeg, picture, PhotoLikeRows(picture.width, picture.height, 3));
  std::string file = ReadFileBytes(jpeg);
  std::string table;
  AppendRecord(table, ShowRecordType::Image, 0, uint32_t(file.size()), "");
  AppendTerminator(table);
  AppendTrailer(table, uint32_t(file.size()));
  WriteFileBytes(dir / "show.scr", file + table);
  ClearRecordTable();
  showState.imageCount = 0;
  const char* message = nullptr;
  packageFile = ReadShowPackage((dir / "show.scr").c_str(), &message);
}

void TimePictureChange(HWND window, int repetitions, int width, int height) {
  ScratchDir dir;
  LoadOnePictureShow(dir, width, height);
  if (packageFile == nullptr) return;
  showState.settings.UseEff = 0;
  // Taken in turns, so that both see the same load on a shared machine.
  double change = 1e30, decode = 1e30;
  for (int k = 0; k < repetitions; ++k) {
    change = std::min(change, BestMilliseconds(1, [&] { ShowNextPicture(window); }));
    decode = std::min(decode, BestMilliseconds(1, [&] { DecodeJpeg(dir / "picture.jpg"); }));
  }
  std::printf("%dx%d picture change without a transition\n", width, height);
  std::printf("  libjpeg decode   %8.1f ms\n", decode);
  std::printf("  picture change   %8.1f ms   %.2f x decode (target <= 1.60)\n", change,
              change / decode);
  std::fclose(packageFile);
  packageFile = nullptr;
  FreeRecordTable();
}

}  // namespace

int main(int argc, char** argv) {
  int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const bool onlyPictureChanges = argc > 2 && std::string(argv[2]) == "--picture-changes";
  if (std::getenv("SDL_VIDEODRIVER") == nullptr) SetEnv("SDL_VIDEODRIVER", "offscreen");
  HWND window = MakeWindow();
  HDC windowDc = GetDC(window);
  if (!onlyPictureChanges) {
    Canvas frame(windowDc);
    const RECT client = {0, 0, kWidth, kHeight};
    std::printf("%dx%d window, best of %d   outside Sleep    pauses     whole\n", kWidth, kHeight,
                repetitions);
    for (const TransitionEffect& effect : kTransitionEffects) {
      double best = 1e30, whole = 0;
      DWORD pauses = 0;
      for (int k = 0; k < repetitions; ++k) {
        ResetShowRandom(1);
        requestedPauses = 0;
        paused = {};
        auto start = Clock::now();
        effect.run(windowDc, frame.dc, client);
        std::chrono::duration<double, std::milli> total = Clock::now() - start;
        std::chrono::duration<double, std::milli> outside = total - paused;
        if (outside.count() < best) {
          best = outside.count();
          whole = total.count();
        }
        pauses = requestedPauses;
      }
      if (pauses == 0) {
        std::printf("  %-16s %12.1f ms %8u ms %8.0f ms   (target < 50 ms)\n", effect.name, best,
                    unsigned(pauses), whole);
      } else {
        std::printf(
            "  %-16s %12.1f ms %8u ms %8.0f ms   %.3f x pauses (target < 0.10)   "
            "whole %.2f x pauses (target <= 1.15)\n",
            effect.name, best, unsigned(pauses), whole, best / pauses, whole / pauses);
      }
    }
  }
  ReleaseDC(window, windowDc);
  TimePictureChange(window, repetitions, 4000, 3000);
  TimePictureChange(window, repetitions, 1920, 1080);
  DestroyWindow(window);
  return 0;
}
