// The GDI calls the player makes to compose a frame: a memory DC and its
// compatible bitmap, a black fill, DIBs drawn whole and stretched. The
// expected pictures are what Wine draws on a 24-bit screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_dibs.h"

namespace {

constexpr int kSize = 12;
const COLORREF kWhite = RGB(255, 255, 255);

class GdiTest : public ::testing::Test {
 protected:
  int Stretch(const TestDib& dib, int w, int h, int sw, int sh) {
    return StretchDIBits(dc_, 0, 0, w, h, 0, 0, sw, sh, dib.bits(), dib.info(), DIB_RGB_COLORS,
                         SRCCOPY);
  }

  Canvas canvas_{kSize, kSize};
  HDC dc_ = canvas_.dc;
};

// The frame's bitmap: selected in and out, filled (clipped to the bitmap),
// deleted once.
TEST_F(GdiTest, FillsSelectsAndDeletesTheFrameBitmap) {
  TestDib dot(24, 1, 1);
  dot.Set(0, 0, 1023);
  HBITMAP frame = CreateCompatibleBitmap(canvas_.screen, kSize, kSize);
  HGDIOBJ previous = SelectObject(dc_, frame);
  EXPECT_EQ(previous, canvas_.bitmap);
  EXPECT_EQ(StretchDIBits(dc_, 0, 0, kSize, kSize, 0, 0, 1, 1, dot.bits(), dot.info(),
                          DIB_RGB_COLORS, SRCCOPY),
            1);
  RECT overhanging = {1, 2, kSize + 5, kSize + 5};
  EXPECT_NE(FillRect(dc_, &overhanging, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  EXPECT_EQ(Mismatches(canvas_, [](int x, int y) { return x < 1 || y < 2 ? TestColour(1023) : 0; }),
            "");
  EXPECT_EQ(GetPixel(dc_, kSize, 0), CLR_INVALID);
  EXPECT_EQ(SelectObject(dc_, previous), frame);
  EXPECT_TRUE(DeleteObject(frame));
  EXPECT_FALSE(DeleteObject(frame));
}

// A window without a client area gets a frame of width or height 0: the 1x1
// default bitmap, which can be filled and copied from without harm.
TEST_F(GdiTest, ZeroSizedFramesCanBeFilledAndCopied) {
  canvas_.Clear();
  HDC frame = CreateCompatibleDC(canvas_.screen);
  HBITMAP noWidth = CreateCompatibleBitmap(canvas_.screen, 0, 5);
  ASSERT_NE(noWidth, nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(frame, 5, 0), noWidth);
  EXPECT_EQ(SelectObject(frame, noWidth), noWidth);
  RECT empty = {0, 0, 0, 5};
  EXPECT_NE(FillRect(frame, &empty, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  EXPECT_TRUE(BitBlt(dc_, 0, 0, 0, 5, frame, 0, 0, SRCCOPY));
  EXPECT_EQ(Mismatches(canvas_, Placed(0, 0, {}, {})), "");
  EXPECT_TRUE(DeleteDC(frame));
}

// Every pixel format the loader accepts, drawn whole and enlarged; paletted
// formats show the index modulo their table size.
TEST_F(GdiTest, EachFormatDrawsUpright) {
  const int tableSizes[][2] = {{1, 2}, {4, 16}, {8, 1024}, {16, 1024}, {24, 1024}, {32, 1024}};
  SetStretchBltMode(dc_, COLORONCOLOR);
  for (const auto& format : tableSizes) {
    SCOPED_TRACE(format[0]);
    TestDib grid = Grid(format[0], 8, 6);
    canvas_.Clear();
    EXPECT_EQ(
        SetDIBitsToDevice(dc_, 2, 3, 8, 6, 0, 0, 0, 6, grid.bits(), grid.info(), DIB_RGB_COLORS),
        6);
    EXPECT_EQ(Mismatches(canvas_, Placed(2, 3, Span(0, 8), Span(0, 6), 0, format[1])), "");
    canvas_.Clear();
    EXPECT_EQ(Stretch(grid, 11, 12, 8, 6), 6);
    EXPECT_EQ(Mismatches(canvas_, Placed(0, 0, {0, 1, 1, 2, 3, 3, 4, 5, 6, 6, 7},
                                         {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5}, 0, format[1])),
              "");
  }
}

// A table shorter than the bit count allows: indices beyond it draw black.
TEST_F(GdiTest, ColourIndicesBeyondTheUsedTableDrawBlack) {
  canvas_.Clear();
  TestDib dib(8, 5, 1, 3);
  for (int x = 0; x < 5; ++x)
    dib.Set(x, 0, x);
  EXPECT_EQ(SetDIBitsToDevice(dc_, 0, 0, 5, 1, 0, 0, 0, 1, dib.bits(), dib.info(), DIB_RGB_COLORS),
            1);
  EXPECT_EQ(Mismatches(canvas_, Placed(0, 0, {0, 1, 2}, {0})), "");
}

// Which source pixel each destination pixel shows, shrinking and enlarging by
// awkward ratios, ties included (4 to 10, 3 to 2), along either axis.
TEST_F(GdiTest, StretchDIBitsPicksTheNearestPixelsAsWineDoes) {
  const struct {
    int source, dest;
    std::vector<int> horizontal, vertical;
  } ratios[] = {
      {7, 3, {1, 4, 6}, {0, 2, 5}},
      {3, 2, {1, 2}, {0, 2}},
      {6, 4, {1, 2, 4, 5}, {0, 2, 3, 5}},
      {13, 5, {2, 4, 7, 9, 12}, {0, 3, 5, 8, 10}},
      {10, 7, {0, 2, 3, 5, 6, 8, 9}, {0, 1, 3, 4, 6, 7, 9}},
      {5, 11, {0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4}, {0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4}},
      {4, 10, {0, 0, 0, 1, 1, 2, 2, 2, 3, 3}, {0, 0, 0, 1, 1, 2, 2, 2, 3, 3}},
  };
  SetStretchBltMode(dc_, COLORONCOLOR);
  for (const auto& r : ratios) {
    SCOPED_TRACE(std::to_string(r.source) + " to " + std::to_string(r.dest));
    canvas_.Clear();
    EXPECT_EQ(Stretch(Grid(24, r.source, 1), r.dest, 1, r.source, 1), 1);
    EXPECT_EQ(Mismatches(canvas_, Placed(0, 0, r.horizontal, {0})), "");
    canvas_.Clear();
    EXPECT_EQ(Stretch(Grid(24, 1, r.source), 1, r.dest, 1, r.source), r.source);
    EXPECT_EQ(Mismatches(canvas_, Placed(0, 0, {0}, r.vertical)), "");
  }
}

}  // namespace
