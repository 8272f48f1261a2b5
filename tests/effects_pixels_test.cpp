// The transition effects with the real steps, between memory device contexts:
// after any effect the window shows every pixel of the new frame. Runs
// natively and under Wine (on a 24-bit screen, so that the compatible bitmaps
// hold exact colours). The sizes are small to keep the real pauses short.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "effects/transition.h"
#include "platform/win32.h"
#include "show/show_random.h"

namespace {

// Pixel (x, y) of the new frame: a different colour for each, never black.
COLORREF FrameColour(int32_t x, int32_t y) {
  return RGB(1 + 6 * x, 1 + 10 * y, 0x80);
}

// A memory device context with a screen-compatible bitmap of its own.
class Canvas {
 public:
  Canvas(HDC screen, int32_t width, int32_t height)
      : dc_(CreateCompatibleDC(screen)),
        bitmap_(CreateCompatibleBitmap(screen, width, height)),
        previous_(SelectObject(dc_, bitmap_)),
        width_(width),
        height_(height) {}
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }

  void FillBlack() {
    RECT all = {0, 0, width_, height_};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }

  void DrawFrame() {
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < height_; ++y) {
      for (int32_t x = 0; x < width_; ++x) {
        COLORREF c = FrameColour(x, y);
        pixels.push_back(uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c));
      }
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc_, 0, 0, width_, height_, 0, 0, 0, height_, pixels.data(), &info,
                      DIB_RGB_COLORS);
  }

  // The first pixels that do not show the frame, one a line.
  std::string Differences() const {
    std::string found;
    int count = 0;
    for (int32_t y = 0; y < height_; ++y) {
      for (int32_t x = 0; x < width_; ++x) {
        COLORREF got = GetPixel(dc_, x, y);
        if (got != FrameColour(x, y) && count++ < 8) {
          char line[80];
          std::snprintf(line, sizeof line, "(%d,%d): 0x%06lx, not 0x%06lx\n", int(x), int(y),
                        static_cast<unsigned long>(got),
                        static_cast<unsigned long>(FrameColour(x, y)));
          found += line;
        }
      }
    }
    return found;
  }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
  int32_t width_;
  int32_t height_;
};

class EffectsPixelsTest : public ::testing::TestWithParam<std::pair<int32_t, int32_t>> {
 protected:
  void SetUp() override { screen_ = GetDC(nullptr); }
  void TearDown() override { ReleaseDC(nullptr, screen_); }

  HDC screen_ = nullptr;
};

TEST_P(EffectsPixelsTest, EveryEffectShowsTheWholeFrame) {
  auto [width, height] = GetParam();
  Canvas frame(screen_, width, height);
  Canvas window(screen_, width, height);
  frame.DrawFrame();
  ASSERT_EQ(frame.Differences(), "");
  for (const TransitionEffect& effect : kTransitionEffects) {
    window.FillBlack();
    ResetShowRandom(1);
    effect.run(window.dc(), frame.dc(), RECT{0, 0, width, height});
    EXPECT_EQ(window.Differences(), "") << effect.name;
  }
}

TEST_P(EffectsPixelsTest, RunTransitionShowsTheWholeFrame) {
  auto [width, height] = GetParam();
  Canvas frame(screen_, width, height);
  Canvas window(screen_, width, height);
  frame.DrawFrame();
  ResetShowRandom(1);
  LastEffectIndex = -1;
  for (int k = 0; k < 3; ++k) {
    window.FillBlack();
    RunTransition(window.dc(), frame.dc(), RECT{0, 0, width, height});
    EXPECT_EQ(window.Differences(), "") << LastEffectIndex;
  }
}

INSTANTIATE_TEST_SUITE_P(SmallSizes, EffectsPixelsTest,
                         ::testing::Values(std::make_pair(7, 5), std::make_pair(37, 23)));

}  // namespace
