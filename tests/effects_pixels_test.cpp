// The effects with the real steps between memory DCs show every pixel of the
// new frame (24-bit screen: exact colours; a small size: short real pauses).
#include <gtest/gtest.h>

#include <vector>

#include "effects/transition.h"
#include "platform/win32.h"
#include "show/show_random.h"

namespace {

TEST(EffectsPixelsTest, EveryEffectShowsTheWholeFrame) {
  const int32_t width = 37, height = 23;
  HDC screen = GetDC(nullptr);
  HDC window = CreateCompatibleDC(screen), frame = CreateCompatibleDC(screen);
  HBITMAP bitmaps[] = {CreateCompatibleBitmap(screen, width, height),
                       CreateCompatibleBitmap(screen, width, height)};
  SelectObject(window, bitmaps[0]);
  SelectObject(frame, bitmaps[1]);
  // Pixel (x, y) of the new frame: a different colour for each, never black.
  std::vector<uint32_t> pixels;  // top row first, 0xRRGGBB
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      pixels.push_back(uint32_t(1 + 6 * x) << 16 | uint32_t(1 + 10 * y) << 8 | 0x80);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  SetDIBitsToDevice(frame, 0, 0, width, height, 0, 0, 0, height, pixels.data(), &info,
                    DIB_RGB_COLORS);
  RECT all = {0, 0, width, height};
  for (const TransitionEffect& effect : kTransitionEffects) {
    FillRect(window, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ResetShowRandom(1);
    effect.run(window, frame, all);
    int32_t wrong = 0;
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x)
        wrong += GetPixel(window, x, y) != RGB(1 + 6 * x, 1 + 10 * y, 0x80);
    EXPECT_EQ(wrong, 0) << effect.name;
  }
  DeleteDC(window);
  DeleteDC(frame);
  DeleteObject(bitmaps[0]);
  DeleteObject(bitmaps[1]);
  ReleaseDC(nullptr, screen);
}

}  // namespace
