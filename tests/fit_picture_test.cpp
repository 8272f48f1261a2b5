// Placing a picture in the client area, with and without the Resize setting.
#include <gtest/gtest.h>

#include <tuple>

#include "image/fit_picture.h"
#include "package/show_state.h"

namespace {

TEST(FitPictureTest, PlacesThePictureByTheResizeSetting) {
  const struct {
    int32_t resize;
    RECT client, picture, expected;
  } cases[] = {
      // Scaled by the smaller ratio and centred.
      {1, {0, 0, 800, 600}, {0, 0, 640, 480}, {0, 0, 800, 600}},
      {1, {0, 0, 800, 600}, {0, 0, 1000, 500}, {0, 100, 800, 500}},
      {1, {0, 0, 800, 600}, {0, 0, 500, 1000}, {250, 0, 550, 600}},
      {1, {0, 0, 1024, 768}, {0, 0, 3, 3}, {128, 0, 896, 768}},
      // Each ratio and product is rounded to double, as on the native build:
      // (600/265)*265 gives 600 and (600/281)*281 just under. The x87 unit's
      // excess precision, the 32-bit Windows build's default, gives 599 and 600.
      {1, {0, 0, 800, 600}, {0, 0, 776, 582}, {0, 0, 799, 599}},
      {1, {0, 0, 800, 600}, {0, 0, 200, 265}, {174, 0, 626, 600}},
      {1, {0, 0, 800, 600}, {0, 0, 200, 281}, {186, 0, 613, 599}},
      // Only the sizes of client and picture count; any nonzero Resize is on.
      {2, {100, 50, 900, 650}, {20, 30, 1020, 530}, {0, 100, 800, 500}},
      // Unscaled: centred along a side where it is smaller, else at 0.
      {0, {0, 0, 800, 600}, {0, 0, 320, 240}, {240, 180, 560, 420}},
      {0, {0, 0, 800, 600}, {0, 0, 1000, 500}, {0, 50, 1000, 550}},
      {0, {0, 0, 800, 600}, {0, 0, 801, 599}, {0, 0, 801, 599}},
      {0, {0, 0, 800, 600}, {0, 0, 799, 600}, {0, 0, 799, 600}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    showState.settings.Resize = c.resize;
    RECT got = {-1, -1, -1, -1};
    FitPictureRect(c.client, c.picture, got);
    EXPECT_EQ(std::tie(got.left, got.top, got.right, got.bottom),
              std::tie(c.expected.left, c.expected.top, c.expected.right, c.expected.bottom));
  }
}

}  // namespace
