// The GDI calls the player makes: memory DCs, compatible bitmaps, fills,
// copies and DIB drawing. The expected pictures are what Wine draws (on a
// 24-bit screen, so that compatible bitmaps hold exact colours).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_dibs.h"

namespace {

constexpr int kSize = 12;
const COLORREF kWhite = RGB(255, 255, 255);

// Fills a DC's bitmap with one colour by enlarging a 1x1 DIB.
void Paint(HDC dc, int width, int height, COLORREF colour) {
  TestDib dot(24, 1, 1);
  uint8_t pixel[4] = {GetBValue(colour), GetGValue(colour), GetRValue(colour), 0};
  ASSERT_EQ(StretchDIBits(dc, 0, 0, width, height, 0, 0, 1, 1, pixel, dot.info(), DIB_RGB_COLORS,
                          SRCCOPY),
            1);
}

class GdiTest : public ::testing::Test {
 protected:
  int SetBits(const TestDib& dib, int x, int y, DWORD w, DWORD h, int sx, int sy, UINT start = 0,
              UINT lines = 6) {
    return SetDIBitsToDevice(canvas_.dc, x, y, w, h, sx, sy, start, lines, dib.stored(int(start)),
                             dib.info(), DIB_RGB_COLORS);
  }
  int Stretch(const TestDib& dib, int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
    return StretchDIBits(canvas_.dc, x, y, w, h, sx, sy, sw, sh, dib.bits(), dib.info(),
                         DIB_RGB_COLORS, SRCCOPY);
  }
  std::string Shows(const PixelRule& want) const { return Mismatches(canvas_, want); }

  Canvas canvas_{kSize, kSize};
  HDC dc_ = canvas_.dc;
};

TEST_F(GdiTest, FillRectFillsTheInsideClippedAndGetPixelRefusesOutside) {
  Paint(dc_, kSize, kSize, kWhite);
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RECT inside = {1, 1, 3, 2};
  EXPECT_NE(FillRect(dc_, &inside, black), 0);
  RECT overhanging = {kSize - 2, kSize - 1, kSize + 5, kSize + 5};
  EXPECT_NE(FillRect(dc_, &overhanging, black), 0);
  EXPECT_EQ(Shows([](int x, int y) {
              bool black = (y == 1 && x >= 1 && x < 3) || (y == kSize - 1 && x >= kSize - 2);
              return black ? 0 : kWhite;
            }),
            "");
  for (POINT outside : {POINT{-1, 0}, POINT{0, -1}, POINT{kSize, 0}, POINT{0, kSize}})
    EXPECT_EQ(GetPixel(dc_, outside.x, outside.y), CLR_INVALID);
}

// A bitmap goes into one DC at a time, and never into the screen's.
TEST_F(GdiTest, SelectAndDeleteObjects) {
  HDC other = CreateCompatibleDC(dc_);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(SelectObject(other, canvas_.bitmap), nullptr);
  EXPECT_EQ(SelectObject(canvas_.screen, canvas_.bitmap), nullptr);
  HBITMAP second = CreateCompatibleBitmap(canvas_.screen, 2, 2);
  HGDIOBJ original = SelectObject(other, second);
  EXPECT_NE(original, nullptr);
  EXPECT_EQ(SelectObject(other, original), second);
  EXPECT_TRUE(DeleteObject(second));
  EXPECT_FALSE(DeleteObject(second));
  // Deleting a DC lets its bitmap go.
  HBITMAP held = CreateCompatibleBitmap(canvas_.screen, 3, 3);
  SelectObject(other, held);
  EXPECT_TRUE(DeleteDC(other));
  EXPECT_FALSE(DeleteDC(other));
  EXPECT_TRUE(DeleteObject(held));

  // Windows refuses to delete a bitmap selected into a DC, Wine defers it
  // until it is deselected: either way it stays usable. Stock objects stay.
  DeleteObject(canvas_.bitmap);
  Paint(dc_, kSize, kSize, TestColour(7));
  EXPECT_EQ(GetPixel(dc_, 3, 3), TestColour(7));
  HGDIOBJ black = GetStockObject(BLACK_BRUSH);
  EXPECT_TRUE(DeleteObject(black));
  EXPECT_TRUE(DeleteObject(black));
  EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
}

// A 4x3 grid in a second memory DC, as the source of copies.
class BitBltTest : public GdiTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(SetDIBitsToDevice(source_.dc, 0, 0, 4, 3, 0, 0, 0, 3, grid_.bits(), grid_.info(),
                                DIB_RGB_COLORS),
              3);
  }
  TestDib grid_ = Grid(24, 4, 3, true);
  Canvas source_{4, 3};
};

TEST_F(BitBltTest, CopiesOnlyWhatLiesInsideBothBitmaps) {
  Paint(dc_, kSize, kSize, kWhite);
  // From (-2, -1): what lies left of and above the source stays as it was.
  EXPECT_TRUE(BitBlt(dc_, 1, 1, 5, 4, source_.dc, -2, -1, SRCCOPY));
  EXPECT_TRUE(BitBlt(dc_, kSize + 3, 0, 4, 3, source_.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(Shows(Placed(3, 2, Span(0, 3), Span(0, 3), kWhite)), "");

  Paint(dc_, kSize, kSize, kWhite);
  EXPECT_TRUE(BitBlt(dc_, kSize - 2, kSize - 1, 4, 3, source_.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(Shows(Placed(kSize - 2, kSize - 1, Span(0, 4), Span(0, 3), kWhite)), "");
  EXPECT_FALSE(BitBlt(dc_, 0, 0, 2, 2, nullptr, 0, 0, SRCCOPY));
}

TEST_F(BitBltTest, OverlappingCopiesWithinOneBitmapReadBeforeTheyWrite) {
  // The grid at (ax, ay) over the grid at (bx, by).
  auto over = [](int ax, int ay, int bx, int by) {
    return [=](int x, int y) {
      for (POINT at : {POINT{ax, ay}, POINT{bx, by}}) {
        if (x >= at.x && x < at.x + 4 && y >= at.y && y < at.y + 3)
          return TestColour(10 * (y - at.y) + x - at.x);
      }
      return COLORREF(0);
    };
  };
  EXPECT_TRUE(BitBlt(dc_, 0, 0, 4, 3, source_.dc, 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dc_, 1, 1, 4, 3, dc_, 0, 0, SRCCOPY));
  EXPECT_EQ(Shows(over(1, 1, 0, 0)), "");
  EXPECT_TRUE(BitBlt(dc_, 0, 0, 4, 3, dc_, 1, 1, SRCCOPY));
  EXPECT_EQ(Shows(over(0, 0, 1, 1)), "");
}

// What a window without a client area gets for its frame: a compatible bitmap
// of width or height 0 is the 1x1 monochrome default bitmap, which can be
// drawn on and copied from like any other.
TEST_F(BitBltTest, ZeroSizedBitmapsAreTheMonochromeDefaultBitmap) {
  HDC frame = CreateCompatibleDC(canvas_.screen);
  HBITMAP noWidth = CreateCompatibleBitmap(canvas_.screen, 0, 5);
  ASSERT_NE(noWidth, nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(frame, 5, 0), noWidth);
  EXPECT_EQ(SelectObject(frame, noWidth), noWidth);

  Paint(dc_, kSize, kSize, kWhite);
  RECT empty = {0, 0, 0, 5};
  EXPECT_NE(FillRect(frame, &empty, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  EXPECT_TRUE(BitBlt(dc_, 0, 0, 0, 5, frame, 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(frame, 0, 0, 5, 0, source_.dc, 0, 0, SRCCOPY));

  // Its one pixel keeps white, and any other colour as black.
  Paint(frame, 2, 2, kWhite);
  EXPECT_EQ(GetPixel(frame, 0, 0), kWhite);
  EXPECT_TRUE(BitBlt(dc_, 1, 0, 1, 1, frame, 0, 0, SRCCOPY));
  Paint(frame, 2, 2, TestColour(5));
  EXPECT_EQ(GetPixel(frame, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(frame, 1, 0), CLR_INVALID);
  EXPECT_TRUE(BitBlt(dc_, 0, 1, 3, 3, frame, 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(frame, 0, 0, 4, 3, source_.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(frame, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(Shows([](int x, int y) { return x == 0 && y == 1 ? 0 : kWhite; }), "");
  DeleteDC(frame);
}

// Every pixel format, both orientations, drawn whole and enlarged; paletted
// formats show the index modulo their table size. Planes other than 0 do not
// matter, nor does any stretch mode but HALFTONE when enlarging.
TEST_F(GdiTest, EachFormatDrawsUpright) {
  const int tableSizes[][2] = {{1, 2}, {4, 16}, {8, 1024}, {16, 1024}, {24, 1024}, {32, 1024}};
  const int modes[] = {BLACKONWHITE, WHITEONBLACK, COLORONCOLOR};
  for (const auto& format : tableSizes) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(std::to_string(format[0]) + (topDown ? " top-down" : " bottom-up"));
      SetStretchBltMode(dc_, modes[(format[0] + topDown) % 3]);
      TestDib grid = Grid(format[0], 8, 6, topDown);
      grid.header().biPlanes = topDown ? 3 : 0xFFFF;
      canvas_.Clear();
      EXPECT_EQ(SetBits(grid, 2, 3, 8, 6, 0, 0), 6);
      EXPECT_EQ(Shows(Placed(2, 3, Span(0, 8), Span(0, 6), 0, format[1])), "");
      canvas_.Clear();
      EXPECT_EQ(Stretch(grid, 0, 0, 11, 12, 0, 0, 8, 6), 6);
      EXPECT_EQ(Shows(Placed(0, 0, {0, 1, 1, 2, 3, 3, 4, 5, 6, 6, 7},
                             {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5}, 0, format[1])),
                "");
    }
  }
}

// Headers that Windows refuses (no planes, bit counts, compressions, a short
// header) fail both calls with 0 and draw nothing.
TEST_F(GdiTest, DibsWithImpossibleHeadersDrawNothing) {
  SetStretchBltMode(dc_, COLORONCOLOR);
  const struct {
    WORD planes, bitCount;
    DWORD compression, size;
  } refused[] = {{0, 24, BI_RGB, 40}, {1, 0, BI_RGB, 40}, {1, 2, BI_RGB, 40}, {1, 7, BI_RGB, 40},
                 {1, 48, BI_RGB, 40}, {1, 24, 9, 40},     {1, 24, 100, 40},   {1, 24, BI_RGB, 30}};
  for (const auto& c : refused) {
    SCOPED_TRACE(&c - refused);
    TestDib grid = Grid(24, 8, 6);
    grid.header().biPlanes = c.planes;
    grid.header().biBitCount = c.bitCount;
    grid.header().biCompression = c.compression;
    grid.header().biSize = c.size;
    EXPECT_EQ(SetBits(grid, 0, 0, 8, 6, 0, 0), 0);
    EXPECT_EQ(Stretch(grid, 0, 0, 11, 9, 0, 0, 8, 6), 0);
    EXPECT_EQ(Shows(Placed(0, 0, {}, {})), "");
  }
}

TEST_F(GdiTest, ColourIndicesBeyondTheUsedTableDrawBlack) {
  Paint(dc_, kSize, kSize, kWhite);
  TestDib dib(8, 5, 1, 3);
  for (int x = 0; x < 5; ++x)
    dib.Set(x, 0, x);
  EXPECT_EQ(SetBits(dib, 0, 0, 5, 1, 0, 0, 0, 1), 1);
  EXPECT_EQ(Shows([](int x, int y) { return y > 0 || x > 4 ? kWhite
                                            : x < 3        ? TestColour(x)
                                                           : 0; }),
            "");
}

// The source rectangle's y counts from the DIB's bottom row, whatever its
// orientation; the result is clipped to the bitmap. Bottom-up DIBs can come
// in bands: lines scan lines from start (counted from the bottom), the bits
// pointing at the band's first one.
TEST_F(GdiTest, SetDIBitsToDeviceCopiesPartsOfTheSource) {
  const struct {
    bool topDown;
    int x, y, w, h, sx, sy;
    UINT start, lines;
    int set;
    PixelRule shows;
  } cases[] = {
      // Rows 3 and 4 from the top are 1 and 2 from the bottom.
      {false, 1, 1, 3, 2, 2, 1, 0, 6, 3, Placed(1, 1, {2, 3, 4}, {3, 4})},
      {true, 1, 1, 3, 2, 2, 1, 0, 6, 6, Placed(1, 1, {2, 3, 4}, {3, 4})},
      {false, -2, -1, 8, 6, 0, 0, 0, 6, 6, Placed(-2, -1, Span(0, 8), Span(0, 6))},
      {true, -2, -1, 8, 6, 0, 0, 0, 6, 6, Placed(-2, -1, Span(0, 8), Span(0, 6))},
      {false, 9, 10, 8, 6, 0, 0, 0, 6, 6, Placed(9, 10, Span(0, 8), Span(0, 6))},
      {true, 9, 10, 8, 6, 0, 0, 0, 6, 6, Placed(9, 10, Span(0, 8), Span(0, 6))},
      // A rectangle reaching beyond the DIB draws only the DIB's part.
      {false, 0, 0, 10, 8, 4, 3, 0, 6, 6, Placed(0, 5, Span(4, 4), Span(0, 3))},
      {true, 0, 0, 10, 8, 4, 3, 0, 6, 6, Placed(0, 5, Span(4, 4), Span(0, 3))},
      {false, 0, 0, 8, 6, 0, 0, 2, 3, 3, Placed(0, 1, Span(0, 8), Span(1, 3))},
      {false, 0, 0, 8, 2, 0, 4, 2, 3, 3, Placed(0, 1, Span(0, 8), {1})},
      {false, 0, 0, 8, 3, 0, 1, 2, 3, 2, Placed(0, 0, Span(0, 8), Span(2, 2))},
      {false, 0, 0, 8, 6, 0, 0, 6, 2, 0, Placed(0, 0, {}, {})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    canvas_.Clear();
    EXPECT_EQ(SetBits(Grid(24, 8, 6, c.topDown), c.x, c.y, c.w, c.h, c.sx, c.sy, c.start, c.lines),
              c.set);
    EXPECT_EQ(Shows(c.shows), "");
  }
}

// Which source pixel each destination pixel shows, enlarging and shrinking by
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
      {3, 8, {0, 0, 0, 1, 1, 2, 2, 2}, {0, 0, 0, 1, 1, 2, 2, 2}},
      {4, 10, {0, 0, 0, 1, 1, 2, 2, 2, 3, 3}, {0, 0, 0, 1, 1, 2, 2, 2, 3, 3}},
  };
  SetStretchBltMode(dc_, COLORONCOLOR);
  for (const auto& ratio : ratios) {
    SCOPED_TRACE(std::to_string(ratio.source) + " to " + std::to_string(ratio.dest));
    canvas_.Clear();
    EXPECT_EQ(Stretch(Grid(24, ratio.source, 1), 0, 0, ratio.dest, 1, 0, 0, ratio.source, 1), 1);
    EXPECT_EQ(Shows(Placed(0, 0, ratio.horizontal, {0})), "");
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
      canvas_.Clear();
      EXPECT_EQ(
          Stretch(Grid(24, 1, ratio.source, topDown), 0, 0, 1, ratio.dest, 0, 0, 1, ratio.source),
          ratio.source);
      EXPECT_EQ(Shows(Placed(0, 0, {0}, ratio.vertical)), "");
    }
  }
}

// StretchDIBits returns the DIB's height unless the source rectangle is empty
// or misses the DIB.
TEST_F(GdiTest, StretchDIBitsScalesPartsOfTheSourceClippedToTheBitmap) {
  const std::vector<int> eightToEleven = {0, 1, 1, 2, 3, 3, 4, 5, 6, 6, 7};
  const std::vector<int> sixToNine = {0, 0, 1, 2, 2, 3, 4, 4, 5};
  SetStretchBltMode(dc_, COLORONCOLOR);
  for (bool topDown : {false, true}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    TestDib grid = Grid(24, 8, 6, topDown);
    const struct {
      int x, y, w, h, sx, sy, sw, sh, result;
      PixelRule shows;
    } cases[] = {
        // Columns 2-4 of rows 3-4 (1-2 from the bottom), enlarged to 7x5.
        {0, 0, 7, 5, 2, 1, 3, 2, 6, Placed(0, 0, {2, 2, 3, 3, 3, 4, 4}, {3, 3, 3, 4, 4})},
        {0, 0, 2, 2, 1, 1, 5, 4, 6, Placed(0, 0, {3, 5}, {1, 3})},
        // Clipping keeps each pixel where the whole picture would put it.
        {-3, -2, 11, 9, 0, 0, 8, 6, 6, Placed(-3, -2, eightToEleven, sixToNine)},
        {kSize - 4, kSize - 3, 11, 9, 0, 0, 8, 6, 6,
         Placed(kSize - 4, kSize - 3, eightToEleven, sixToNine)},
        // Unscaled, it is a plain copy.
        {1, 1, 3, 2, 2, 1, 3, 2, 6, Placed(1, 1, {2, 3, 4}, {3, 4})},
        {-50, -50, 11, 9, 0, 0, 8, 6, 6, Placed(0, 0, {}, {})},
        {0, 0, 0, 4, 0, 0, 8, 6, 6, Placed(0, 0, {}, {})},
        {0, 0, 4, 4, 0, 0, 0, 4, 0, Placed(0, 0, {}, {})},
        {0, 0, 4, 4, 0, 0, 4, 0, 0, Placed(0, 0, {}, {})},
        {0, 0, 4, 4, 8, 0, 4, 4, 0, Placed(0, 0, {}, {})},
        {0, 0, 4, 4, 0, 6, 4, 4, 0, Placed(0, 0, {}, {})},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(&c - cases);
      canvas_.Clear();
      EXPECT_EQ(Stretch(grid, c.x, c.y, c.w, c.h, c.sx, c.sy, c.sw, c.sh), c.result);
      EXPECT_EQ(Shows(c.shows), "");
    }
  }
}

}  // namespace
