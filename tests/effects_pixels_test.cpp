// The effects with the real steps between memory DCs show every pixel of the
// new frame (24-bit screen: exact colours; small sizes: short real pauses).
#include <gtest/gtest.h>

#include <vector>

#include "effects/transition.h"
#include "platform/win32.h"
#include "show/show_random.h"

namespace {

// Pixel (x, y) of the new frame: a different colour for each, never black.
COLORREF FrameColour(int32_t x, int32_t y) {
  return RGB(1 + 6 * x, 1 + 10 * y, 0x80);
}

TEST(EffectsPixelsTest, EveryEffectShowsTheWholeFrame) {
  HDC screen = GetDC(nullptr);
  for (auto [width, height] : {std::pair{7, 5}, {37, 23}}) {
    HDC dcs[2];
    HBITMAP bitmaps[2];
    for (int i = 0; i < 2; ++i) {
      dcs[i] = CreateCompatibleDC(screen);
      bitmaps[i] = CreateCompatibleBitmap(screen, width, height);
      SelectObject(dcs[i], bitmaps[i]);
    }
    const HDC window = dcs[0], frame = dcs[1];
    std::vector<uint32_t> pixels;  // top row first, 0xRRGGBB
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x)
        pixels.push_back(uint32_t(1 + 6 * x) << 16 | uint32_t(1 + 10 * y) << 8 | 0x80);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetDIBitsToDevice(frame, 0, 0, width, height, 0, 0, 0, height, pixels.data(), &info,
                      DIB_RGB_COLORS);
    for (const TransitionEffect& effect : kTransitionEffects) {
      RECT all = {0, 0, width, height};
      FillRect(window, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      ResetShowRandom(1);
      effect.run(window, frame, all);
      int32_t wrong = 0;
      for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
          wrong += GetPixel(window, x, y) != FrameColour(x, y);
      EXPECT_EQ(wrong, 0) << effect.name << " on " << width << "x" << height;
    }
    for (int i = 0; i < 2; ++i) {
      DeleteDC(dcs[i]);
      DeleteObject(bitmaps[i]);
    }
  }
  ReleaseDC(nullptr, screen);
}

}  // namespace
