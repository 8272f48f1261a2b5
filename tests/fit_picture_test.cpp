// Placing a picture in the client area, with and without the Resize setting.
#include <gtest/gtest.h>

#include "image/fit_picture.h"
#include "package/show_state.h"

namespace {

RECT Fit(bool resize, LONG clientWidth, LONG clientHeight, LONG pictureWidth, LONG pictureHeight) {
  showState.settings.Resize = resize ? 1 : 0;
  RECT destination = {-1, -1, -1, -1};
  FitPictureRect(RECT{0, 0, clientWidth, clientHeight}, RECT{0, 0, pictureWidth, pictureHeight},
                 destination);
  showState.settings = UserSettings();
  return destination;
}

void ExpectRect(const RECT& actual, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ(actual.left, left);
  EXPECT_EQ(actual.top, top);
  EXPECT_EQ(actual.right, right);
  EXPECT_EQ(actual.bottom, bottom);
}

TEST(FitPictureTest, ResizeScalesByTheSmallerRatioAndCentres) {
  ExpectRect(Fit(true, 800, 600, 640, 480), 0, 0, 800, 600);
  ExpectRect(Fit(true, 800, 600, 800, 600), 0, 0, 800, 600);
  ExpectRect(Fit(true, 800, 600, 1000, 500), 0, 100, 800, 500);
  ExpectRect(Fit(true, 800, 600, 500, 1000), 250, 0, 550, 600);
  ExpectRect(Fit(true, 800, 600, 1536, 1024), 0, 33, 800, 566);
  ExpectRect(Fit(true, 1024, 768, 3, 3), 128, 0, 896, 768);
}

// Each ratio and product is rounded to double, as on the native build:
// (600/265)*265 rounds to 600 and (600/281)*281 to just under 600, hence 600
// and 599 rows. Kept in the x87 unit's excess precision, as the 32-bit Windows
// build would by default, they come out 599 and 600.
TEST(FitPictureTest, ResizeTruncatesProductsRoundedToDouble) {
  ExpectRect(Fit(true, 800, 600, 776, 582), 0, 0, 799, 599);
  ExpectRect(Fit(true, 800, 600, 200, 265), 174, 0, 626, 600);
  ExpectRect(Fit(true, 800, 600, 200, 281), 186, 0, 613, 599);
}

TEST(FitPictureTest, WithoutResizeCentresSmallerPicturesAndPinsLargerOnesToTheCorner) {
  ExpectRect(Fit(false, 800, 600, 320, 240), 240, 180, 560, 420);
  ExpectRect(Fit(false, 800, 600, 1000, 500), 0, 50, 1000, 550);
  ExpectRect(Fit(false, 800, 600, 801, 599), 0, 0, 801, 599);
  ExpectRect(Fit(false, 800, 600, 799, 600), 0, 0, 799, 600);
}

TEST(FitPictureTest, OnlyTheSizesOfClientAndPictureCount) {
  showState.settings.Resize = 1;
  RECT destination;
  FitPictureRect(RECT{100, 50, 900, 650}, RECT{20, 30, 1020, 530}, destination);
  ExpectRect(destination, 0, 100, 800, 500);
  showState.settings = UserSettings();
}

}  // namespace
