// Drawing packed bitmaps into a memory DC, unscaled and stretched, as the
// player composes its frames, read back pixel by pixel. The expected pictures
// are what Wine draws on a 24-bit screen.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/draw_packed_dib.h"
#include "tests/support/test_dibs.h"

namespace {

class DrawTest : public ::testing::Test {
 protected:
  ~DrawTest() override {
    for (PackedDib dib : dibs_)
      GlobalFree(dib);
  }

  PackedDib Make(const TestDib& picture) {
    const std::string bytes = picture.Packed();
    dibs_.push_back(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    std::memcpy(GlobalLock(dibs_.back()), bytes.data(), bytes.size());
    GlobalUnlock(dibs_.back());
    return dibs_.back();
  }

  Canvas canvas_{14, 12};
  std::vector<PackedDib> dibs_;
};

// Equal sizes go through SetDIBitsToDevice, which returns the scan lines set,
// counted from the bottom up to the rectangle's top; other sizes stretch and
// return the picture's height. Either way the stretch mode stays COLORONCOLOR.
TEST_F(DrawTest, DrawsTheSourceRectangleIntoTheDestination) {
  const std::vector<int> fiveToEleven = {0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4};
  const std::vector<int> eightToEleven = {0, 1, 1, 2, 3, 3, 4, 5, 6, 6, 7};
  const std::vector<int> sixToTwelve = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5};
  struct Case {
    int bitCount, width, height;
    RECT destination, source;
    int result;
    std::vector<int> columns, rows;
  };
  std::vector<Case> cases = {
      {24, 5, 4, {3, 2, 8, 6}, {0, 0, 5, 4}, 4, Span(0, 5), Span(0, 4)},
      {8, 7, 3, {6, 5, 13, 8}, {0, 0, 7, 3}, 3, Span(0, 7), Span(0, 3)},
      {24, 5, 4, {0, 0, 3, 2}, {1, 1, 4, 3}, 3, Span(1, 3), Span(1, 2)},
      {8, 7, 3, {8, 6, 12, 8}, {2, 0, 6, 2}, 3, Span(2, 4), Span(0, 2)},
      {24, 5, 4, {1, 1, 12, 8}, {0, 0, 5, 4}, 4, fiveToEleven, {0, 0, 1, 1, 2, 3, 3}},
      {24, 5, 4, {0, 7, 11, 9}, {0, 0, 5, 4}, 4, fiveToEleven, {0, 2}},
      {24, 5, 4, {0, 0, 5, 8}, {0, 0, 5, 4}, 4, Span(0, 5), {0, 0, 1, 1, 2, 2, 3, 3}},
      {24, 5, 4, {0, 0, 10, 4}, {0, 0, 5, 4}, 4, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4}, Span(0, 4)},
      {8, 7, 3, {2, 3, 12, 8}, {0, 0, 7, 3}, 3, {0, 1, 1, 2, 3, 3, 4, 5, 5, 6}, {0, 0, 1, 2, 2}},
      // Clipped to the bitmap; an empty destination draws nothing.
      {24, 5, 4, {11, 9, 16, 13}, {0, 0, 5, 4}, 4, Span(0, 5), Span(0, 4)},
      {24, 5, 4, {0, 0, 0, 4}, {0, 0, 5, 4}, 4, {}, {}},
  };
  // Every other pixel format the loader accepts; paletted ones show the index
  // modulo their table size.
  for (int bits : {1, 4, 16, 32}) {
    cases.push_back({bits, 8, 6, {2, 3, 10, 9}, {0, 0, 8, 6}, 6, Span(0, 8), Span(0, 6)});
    cases.push_back({bits, 8, 6, {0, 0, 11, 12}, {0, 0, 8, 6}, 6, eightToEleven, sixToTwelve});
  }
  // The source pixel each destination pixel shows at awkward ratios, ties
  // included (4 to 10, 3 to 2), along either axis.
  const struct {
    int source, dest;
    std::vector<int> horizontal, vertical;
  } ratios[] = {
      {7, 3, {1, 4, 6}, {0, 2, 5}},
      {3, 2, {1, 2}, {0, 2}},
      {6, 4, {1, 2, 4, 5}, {0, 2, 3, 5}},
      {13, 5, {2, 4, 7, 9, 12}, {0, 3, 5, 8, 10}},
      {10, 7, {0, 2, 3, 5, 6, 8, 9}, {0, 1, 3, 4, 6, 7, 9}},
      {4, 10, {0, 0, 0, 1, 1, 2, 2, 2, 3, 3}, {0, 0, 0, 1, 1, 2, 2, 2, 3, 3}},
  };
  for (const auto& r : ratios) {
    cases.push_back(
        {24, r.source, 1, {0, 0, r.dest, 1}, {0, 0, r.source, 1}, 1, r.horizontal, {0}});
    cases.push_back(
        {24, 1, r.source, {0, 0, 1, r.dest}, {0, 0, 1, r.source}, r.source, {0}, r.vertical});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases.data());
    const RECT& d = c.destination;
    canvas_.Clear();
    SetStretchBltMode(canvas_.dc, HALFTONE);
    TestDib picture = Grid(c.bitCount, c.width, c.height);
    picture.header().biPlanes = c.bitCount == 16 ? 2 : 1;  // GDI draws any count as one
    PackedDib dib = Make(picture);
    EXPECT_EQ(DrawPackedDib(canvas_.dc, d, dib, c.source), c.result);
    const int tableSize = c.bitCount == 1 ? 2 : c.bitCount == 4 ? 16 : 1024;
    EXPECT_EQ(Mismatches(canvas_, Placed(d.left, d.top, c.columns, c.rows, tableSize)), "");
    EXPECT_EQ(GetStretchBltMode(canvas_.dc), COLORONCOLOR);
  }
}

TEST_F(DrawTest, NoBitmapDrawsNothing) {
  SetStretchBltMode(canvas_.dc, HALFTONE);
  EXPECT_EQ(DrawPackedDib(canvas_.dc, RECT{0, 0, 10, 8}, nullptr, RECT{0, 0, 5, 4}), 0);
  EXPECT_EQ(GetStretchBltMode(canvas_.dc), HALFTONE);
  EXPECT_EQ(Mismatches(canvas_, Placed(0, 0, {}, {})), "");
}

// A table shorter than the bit count allows: indices beyond it draw black.
TEST_F(DrawTest, ColourIndicesBeyondTheUsedTableDrawBlack) {
  TestDib dib(8, 5, 1, 3);
  for (int x = 0; x < 5; ++x)
    dib.Set(x, 0, x);
  EXPECT_EQ(DrawPackedDib(canvas_.dc, RECT{0, 0, 5, 1}, Make(dib), RECT{0, 0, 5, 1}), 1);
  EXPECT_EQ(Mismatches(canvas_, Placed(0, 0, {0, 1, 2}, {0})), "");
}

}  // namespace

// A frame is filled whole before its picture is drawn: around the picture the
// fill shows, in a new frame too, unscaled and stretched.
TEST_F(DrawTest, TheFillShowsAroundThePictureOfANewFrame) {
  const struct {
    RECT destination;
    std::vector<int> columns, rows;
  } cases[] = {{{3, 2, 8, 6}, Span(0, 5), Span(0, 4)},
               {{1, 1, 12, 8}, {0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4}, {0, 0, 1, 1, 2, 3, 3}}};
  for (const auto& c : cases) {
    Canvas frame(14, 12);
    HGDIOBJ white = SelectObject(frame.dc, GetStockObject(BLACK_BRUSH));
    const RECT all = {0, 0, 14, 12};
    FillRect(frame.dc, &all, static_cast<HBRUSH>(white));
    DrawPackedDib(frame.dc, c.destination, Make(Grid(24, 5, 4)), RECT{0, 0, 5, 4});
    const RECT& d = c.destination;
    const PixelRule picture = Placed(d.left, d.top, c.columns, c.rows);
    EXPECT_EQ(Mismatches(frame,
                         [&](int x, int y) {
                           const bool inside =
                               x >= d.left && x < d.right && y >= d.top && y < d.bottom;
                           return inside ? picture(x, y) : COLORREF(0xFFFFFF);
                         }),
              "");
  }
}
