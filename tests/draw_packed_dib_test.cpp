// Drawing packed bitmaps into a memory DC, unscaled and stretched, as the
// player composes its frames, read back pixel by pixel. The expected pictures
// are what Wine draws on a 24-bit screen.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image/draw_packed_dib.h"

namespace {

std::vector<int> Span(int first, int count) {
  std::vector<int> run;
  for (int i = 0; i < count; ++i)
    run.push_back(first + i);
  return run;
}

class DrawTest : public ::testing::Test {
 protected:
  // Colour i of the pictures as 5-bit red, green and blue: distinct for i
  // below 1024, never black, and exact in 16-bit DIBs too (widened as GDI does).
  static int Red(int i) { return i & 31; }
  static int Green(int i) { return 31 - (i >> 5 & 31); }
  static int Widened(int five) { return five << 3 | five >> 2; }
  static COLORREF TestColour(int i) { return RGB(Widened(Red(i)), Widened(Green(i)), Widened(8)); }

  ~DrawTest() override {
    for (PackedDib dib : dibs_)
      GlobalFree(dib);
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    ReleaseDC(nullptr, screen_);
  }

  // A bottom-up DIB whose pixel (x, y), y from the top, shows colour 10 * y + x:
  // through its table up to 8 bits (colorsUsed 0: a full one), as the colour
  // itself above.
  PackedDib Grid(int bitCount, int width, int height, uint32_t colorsUsed) {
    const uint32_t entries = bitCount <= 8 ? (colorsUsed ? colorsUsed : 1u << bitCount) : 0;
    const size_t stride = (size_t(width) * bitCount + 31) / 32 * 4;
    const size_t pixelsAt = sizeof(BITMAPINFOHEADER) + 4 * entries;
    std::vector<uint8_t> bytes(pixelsAt);
    // Junk in the row padding must never show; packed sub-byte pixels are ORed in.
    bytes.resize(pixelsAt + stride * size_t(height), bitCount >= 8 ? 0xEE : 0);
    auto& h = *reinterpret_cast<BITMAPINFOHEADER*>(bytes.data());
    // GDI draws any count of planes as one.
    h = {sizeof h, width,      height, WORD(bitCount == 16 ? 2 : 1), WORD(bitCount), BI_RGB, 0, 0,
         0,        colorsUsed, 0};
    for (uint32_t i = 0; i < entries; ++i) {
      const COLORREF c = TestColour(int(i));
      reinterpret_cast<RGBQUAD*>(&h + 1)[i] = {GetBValue(c), GetGValue(c), GetRValue(c), 0x77};
    }
    for (int y = 0; y < height; ++y) {
      uint8_t* row = &bytes[pixelsAt + size_t(height - 1 - y) * stride];
      for (int x = 0, i = 10 * y; x < width; ++x, ++i) {
        uint8_t* p = row + x * bitCount / 8;
        const COLORREF c = TestColour(i);
        const int word = Red(i) << 10 | Green(i) << 5 | 8;
        if (bitCount < 8)
          *p |= uint8_t(i % (1 << bitCount) << (8 - bitCount - x * bitCount % 8));
        else if (bitCount == 8)
          *p = uint8_t(i);
        else if (bitCount == 16)
          p[0] = uint8_t(word), p[1] = uint8_t(word >> 8);
        else
          p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
      }
    }
    dibs_.push_back(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    std::memcpy(GlobalLock(dibs_.back()), bytes.data(), bytes.size());
    GlobalUnlock(dibs_.back());
    return dibs_.back();
  }

  // Grid pixel (columns[i], rows[j]) at (left + i, top + j) and background
  // elsewhere, with indices taken modulo tableSize; stops at the first pixel
  // that differs.
  void ExpectPixels(int left, int top, const std::vector<int>& columns,
                    const std::vector<int>& rows, int tableSize, COLORREF background = 0) {
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const int i = x - left, j = y - top;
        const bool inside = i >= 0 && i < int(columns.size()) && j >= 0 && j < int(rows.size());
        const COLORREF want =
            inside ? TestColour((10 * rows[j] + columns[i]) % tableSize) : background;
        ASSERT_EQ(GetPixel(dc_, x, y), want) << "pixel " << x << "," << y;
      }
    }
  }

  static constexpr int kWidth = 14, kHeight = 12;
  HDC screen_ = GetDC(nullptr), dc_ = CreateCompatibleDC(screen_);
  HBITMAP bitmap_ = CreateCompatibleBitmap(screen_, kWidth, kHeight);
  HGDIOBJ previous_ = SelectObject(dc_, bitmap_);
  std::vector<PackedDib> dibs_;
};

// Equal sizes go through SetDIBitsToDevice, which returns the scan lines set,
// counted from the bottom up to the rectangle's top; other sizes stretch and
// return the picture's height. Either way the stretch mode becomes
// COLORONCOLOR; with no bitmap nothing changes and 0 is returned.
TEST_F(DrawTest, DrawsTheSourceRectangleIntoTheDestination) {
  const std::vector<int> fiveToEleven = {0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4};
  const std::vector<int> eightToEleven = {0, 1, 1, 2, 3, 3, 4, 5, 6, 6, 7};
  const std::vector<int> sixToTwelve = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5};
  struct Case {
    int bitCount, width, height;  // bit count 0: no bitmap
    RECT destination, source;
    int result;
    std::vector<int> columns, rows;
    uint32_t colorsUsed = 0;
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
      {0, 5, 4, {0, 0, 10, 8}, {0, 0, 5, 4}, 0, {}, {}},
      // A table shorter than the bit count allows: indices beyond it draw black.
      {8, 5, 1, {0, 0, 5, 1}, {0, 0, 5, 1}, 1, Span(0, 3), {0}, 3},
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
    const RECT all = {0, 0, kWidth, kHeight};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetStretchBltMode(dc_, HALFTONE);
    PackedDib dib = c.bitCount ? Grid(c.bitCount, c.width, c.height, c.colorsUsed) : nullptr;
    EXPECT_EQ(DrawPackedDib(dc_, d, dib, c.source), c.result);
    const int tableSize = c.bitCount == 1 ? 2 : c.bitCount == 4 ? 16 : 1024;
    ExpectPixels(d.left, d.top, c.columns, c.rows, tableSize);
    EXPECT_EQ(GetStretchBltMode(dc_), c.bitCount ? COLORONCOLOR : HALFTONE);
  }
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
  const auto white = static_cast<HBRUSH>(SelectObject(dc_, GetStockObject(BLACK_BRUSH)));
  for (const auto& c : cases) {
    HBITMAP frame = CreateCompatibleBitmap(screen_, kWidth, kHeight);
    SelectObject(dc_, frame);
    DeleteObject(bitmap_);
    bitmap_ = frame;
    const RECT all = {0, 0, kWidth, kHeight};
    FillRect(dc_, &all, white);
    DrawPackedDib(dc_, c.destination, Grid(24, 5, 4, 0), RECT{0, 0, 5, 4});
    ExpectPixels(c.destination.left, c.destination.top, c.columns, c.rows, 1024, 0xFFFFFF);
  }
}
