// The GDI calls the player makes, through platform/win32.h: memory DCs,
// compatible bitmaps, fills, copies and DIB drawing. Runs natively against the
// Linux layer and under Wine against its GDI (on a 24-bit screen, so that
// compatible bitmaps hold exact colours); the expected pictures are what Wine
// draws.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

// Pixel i of a test picture; distinct, never black or white.
COLORREF Colour(int i) {
  return RGB(3 + 5 * i, 250 - 3 * i, 0x40 + i);
}

// A DIB as the calls take it: header and colour table, and the pixel rows.
class TestDib {
 public:
  // A negative height makes it top-down. Paletted DIBs get the table Colour(i)
  // of colorsUsed entries (all when 0).
  TestDib(int bitCount, int32_t width, int32_t height, uint32_t colorsUsed = 0)
      : bitCount_(bitCount),
        rows_(std::abs(height)),
        topDown_(height < 0),
        stride_((width * bitCount + 31) / 32 * 4) {
    uint32_t entries = bitCount <= 8 ? (colorsUsed ? colorsUsed : 1u << bitCount) : 0;
    info_.assign((sizeof(BITMAPINFOHEADER) + 4 * entries) / 4, 0);
    BITMAPINFOHEADER& header = *reinterpret_cast<BITMAPINFOHEADER*>(info_.data());
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = WORD(bitCount);
    header.biCompression = BI_RGB;
    header.biClrUsed = colorsUsed;
    RGBQUAD* table = reinterpret_cast<RGBQUAD*>(&header + 1);
    for (uint32_t i = 0; i < entries; ++i) {
      table[i] = RGBQUAD{GetBValue(Colour(i)), GetGValue(Colour(i)), GetRValue(Colour(i)), 0x77};
    }
    bits_.assign(size_t(stride_) * rows_, 0);
  }

  // Sets pixel (x, y), y counted from the picture's top, to Colour(index):
  // through the table for paletted DIBs, directly otherwise.
  void Set(int x, int y, int index) {
    uint8_t* row = &bits_[size_t(topDown_ ? y : rows_ - 1 - y) * stride_];
    switch (bitCount_) {
      case 1:
        row[x / 8] |= uint8_t((index & 1) << (7 - x % 8));
        break;
      case 4:
        row[x / 2] |= uint8_t((index & 15) << (x % 2 ? 0 : 4));
        break;
      case 8:
        row[x] = uint8_t(index);
        break;
      default: {
        uint8_t* p = row + x * (bitCount_ / 8);
        p[0] = GetBValue(Colour(index));
        p[1] = GetGValue(Colour(index));
        p[2] = GetRValue(Colour(index));
        if (bitCount_ == 32) p[3] = 0x99;  // unused, must not matter
      }
    }
  }

  // Sets pixel (x, y) of a 16-bit DIB to the 5-bit red, green and blue in
  // word.
  void SetWord(int x, int y, uint16_t word) {
    uint8_t* p = &bits_[size_t(topDown_ ? y : rows_ - 1 - y) * stride_] + 2 * x;
    p[0] = uint8_t(word);
    p[1] = uint8_t(word >> 8);
  }

  BITMAPINFOHEADER& header() { return *reinterpret_cast<BITMAPINFOHEADER*>(info_.data()); }
  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(info_.data()); }
  const uint8_t* bits() const { return bits_.data(); }
  // Stored row n: for a bottom-up DIB, n rows from the bottom.
  const uint8_t* stored(int n) const { return bits_.data() + size_t(n) * stride_; }

 private:
  std::vector<uint32_t> info_;
  std::vector<uint8_t> bits_;
  int bitCount_;
  int rows_;
  bool topDown_;
  int stride_;
};

// An 8x6 picture whose pixel (x, y) is Colour(10 * y + x), so that a pixel
// reads as its own coordinates.
TestDib Grid(int bitCount, bool topDown) {
  TestDib dib(bitCount, 8, topDown ? -6 : 6);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x)
      dib.Set(x, y, 10 * y + x);
  }
  return dib;
}

// A picture of one row (or column) of n pixels, pixel i being Colour(i).
TestDib Line(int n, bool vertical, bool topDown) {
  TestDib dib(24, vertical ? 1 : n, (vertical ? n : 1) * (topDown ? -1 : 1));
  for (int i = 0; i < n; ++i)
    dib.Set(vertical ? 0 : i, vertical ? i : 0, i);
  return dib;
}

// Windows documents that DeleteObject refuses a bitmap selected into a DC, and
// the Linux layer does so; Wine says TRUE at once and deletes it when it is
// deselected.
bool DeletesSelectedBitmapsLater() {
#if defined(_WIN32)
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

class GdiTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 12;
  static constexpr int kHeight = 12;

  void SetUp() override {
    screen_ = GetDC(nullptr);
    ASSERT_NE(screen_, nullptr);
    dc_ = CreateCompatibleDC(screen_);
    ASSERT_NE(dc_, nullptr);
    bitmap_ = CreateCompatibleBitmap(screen_, kWidth, kHeight);
    ASSERT_NE(bitmap_, nullptr);
    previous_ = SelectObject(dc_, bitmap_);
    ASSERT_NE(previous_, nullptr);
    Clear();
  }

  void TearDown() override {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    ReleaseDC(nullptr, screen_);
  }

  void Clear() {
    RECT all = {0, 0, kWidth, kHeight};
    ASSERT_NE(FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  }

  // Fills the bitmap with one colour by enlarging a 1x1 DIB.
  static void Paint(HDC dc, int width, int height, COLORREF colour) {
    TestDib dot(24, 1, 1);
    uint8_t pixel[4] = {GetBValue(colour), GetGValue(colour), GetRValue(colour), 0};
    ASSERT_EQ(StretchDIBits(dc, 0, 0, width, height, 0, 0, 1, 1, pixel, dot.info(), DIB_RGB_COLORS,
                            SRCCOPY),
              1);
  }

  // The pixels of a rectangle, a line of text per row: each pixel as the i of
  // its Colour(i), "." for black, "W" for white, "?" for anything else.
  std::string Picture(HDC dc, int left, int top, int width, int height) const {
    std::string text;
    for (int y = top; y < top + height; ++y) {
      for (int x = left; x < left + width; ++x) {
        COLORREF c = GetPixel(dc, x, y);
        std::string token = c == 0 ? "." : c == RGB(255, 255, 255) ? "W" : "?";
        for (int i = 0; i < 64; ++i) {
          if (c == Colour(i)) token = std::to_string(i);
        }
        text += (x > left ? " " : "") + std::string(3 - token.size(), ' ') + token;
      }
      text += "\n";
    }
    return text;
  }
  std::string Picture(int left, int top, int width, int height) const {
    return Picture(dc_, left, top, width, height);
  }
  std::string Picture() const { return Picture(dc_, 0, 0, kWidth, kHeight); }

  // The whole bitmap as Picture gives it when it is black but for the given
  // picture at (left, top).
  static std::string Placed(int left, int top, const std::string& picture) {
    std::vector<std::string> tokens(kWidth * kHeight, ".");
    size_t at = 0;
    for (int y = top; at < picture.size(); ++y) {
      size_t end = picture.find('\n', at);
      for (int x = left; at < end; ++x) {
        at = picture.find_first_not_of(' ', at);
        size_t next = picture.find_first_of(" \n", at);
        tokens[y * kWidth + x] = picture.substr(at, next - at);
        at = next;
      }
      at = end + 1;
    }
    std::string text;
    for (int i = 0; i < kWidth * kHeight; ++i) {
      if (i % kWidth) text += " ";
      text += std::string(3 - tokens[i].size(), ' ') + tokens[i];
      if (i % kWidth == kWidth - 1) text += "\n";
    }
    return text;
  }

  // The source pixels that a row (or column) of the bitmap shows, from its
  // start: for a Line picture, their indices; -1 for any other colour.
  std::vector<int> Taken(int count, bool vertical) const {
    std::vector<int> taken;
    for (int i = 0; i < count; ++i) {
      COLORREF c = GetPixel(dc_, vertical ? 0 : i, vertical ? i : 0);
      int index = -1;
      for (int j = 0; j < 64; ++j) {
        if (c == Colour(j)) index = j;
      }
      taken.push_back(index);
    }
    return taken;
  }

  int SetBits(const TestDib& dib, int x, int y, DWORD w, DWORD h, int sx, int sy,
              UINT startScan = 0, UINT lines = 6) {
    return SetDIBitsToDevice(dc_, x, y, w, h, sx, sy, startScan, lines, dib.bits(), dib.info(),
                             DIB_RGB_COLORS);
  }

  int Stretch(const TestDib& dib, int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
    return StretchDIBits(dc_, x, y, w, h, sx, sy, sw, sh, dib.bits(), dib.info(), DIB_RGB_COLORS,
                         SRCCOPY);
  }

  HDC screen_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

TEST_F(GdiTest, FillRectFillsTheInsideOfTheRectangleClippedToTheBitmap) {
  Paint(dc_, kWidth, kHeight, RGB(255, 255, 255));
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RECT inside = {1, 1, 3, 2};
  EXPECT_NE(FillRect(dc_, &inside, black), 0);
  RECT overhanging = {kWidth - 2, kHeight - 1, kWidth + 5, kHeight + 5};
  EXPECT_NE(FillRect(dc_, &overhanging, black), 0);
  RECT inverted = {3, 3, 1, 5};
  FillRect(dc_, &inverted, black);
  EXPECT_EQ(Picture(0, 0, 4, 3),
            "  W   W   W   W\n"
            "  W   .   .   W\n"
            "  W   W   W   W\n");
  EXPECT_EQ(Picture(kWidth - 3, kHeight - 2, 3, 2),
            "  W   W   W\n"
            "  W   .   .\n");
}

TEST_F(GdiTest, GetPixelGivesClrInvalidOutsideTheBitmap) {
  EXPECT_EQ(GetPixel(dc_, kWidth - 1, kHeight - 1), COLORREF(0));
  EXPECT_EQ(GetPixel(dc_, -1, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc_, 0, -1), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc_, kWidth, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc_, 0, kHeight), CLR_INVALID);
}

TEST_F(GdiTest, StretchModeStartsAsBlackOnWhiteAndSetReturnsThePreviousOne) {
  EXPECT_EQ(GetStretchBltMode(dc_), BLACKONWHITE);
  EXPECT_EQ(SetStretchBltMode(dc_, COLORONCOLOR), BLACKONWHITE);
  EXPECT_EQ(SetStretchBltMode(dc_, HALFTONE), COLORONCOLOR);
  EXPECT_EQ(SetStretchBltMode(dc_, 0), 0);
  EXPECT_EQ(SetStretchBltMode(dc_, 5), 0);
  EXPECT_EQ(GetStretchBltMode(dc_), HALFTONE);
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetStretchBltMode(other), BLACKONWHITE);
  DeleteDC(other);
}

TEST_F(GdiTest, SelectObjectReturnsWhatWasSelected) {
  HDC other = CreateCompatibleDC(dc_);
  ASSERT_NE(other, nullptr);
  // A bitmap goes into one DC at a time, and never into the screen's.
  EXPECT_EQ(SelectObject(other, bitmap_), nullptr);
  EXPECT_EQ(SelectObject(screen_, bitmap_), nullptr);
  HBITMAP second = CreateCompatibleBitmap(screen_, 2, 2);
  HGDIOBJ original = SelectObject(other, second);
  EXPECT_NE(original, nullptr);
  EXPECT_EQ(SelectObject(other, original), second);
  HGDIOBJ black = GetStockObject(BLACK_BRUSH);
  HGDIOBJ brush = SelectObject(other, black);
  EXPECT_NE(brush, nullptr);
  EXPECT_EQ(SelectObject(other, brush), black);
  EXPECT_TRUE(DeleteObject(second));
  EXPECT_TRUE(DeleteDC(other));
  EXPECT_FALSE(DeleteDC(other));
}

TEST_F(GdiTest, DeleteObjectSparesSelectedBitmapsAndStockObjects) {
  EXPECT_EQ(DeleteObject(bitmap_), DeletesSelectedBitmapsLater() ? TRUE : FALSE);
  Paint(dc_, kWidth, kHeight, Colour(7));
  EXPECT_EQ(GetPixel(dc_, 3, 3), Colour(7));

  HGDIOBJ black = GetStockObject(BLACK_BRUSH);
  EXPECT_TRUE(DeleteObject(black));
  EXPECT_TRUE(DeleteObject(black));
  EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);

  HBITMAP spare = CreateCompatibleBitmap(screen_, 3, 3);
  EXPECT_TRUE(DeleteObject(spare));
  EXPECT_FALSE(DeleteObject(spare));

  // Deleting the DC lets its bitmap go.
  HDC other = CreateCompatibleDC(screen_);
  HBITMAP held = CreateCompatibleBitmap(screen_, 3, 3);
  SelectObject(other, held);
  EXPECT_TRUE(DeleteDC(other));
  EXPECT_TRUE(DeleteObject(held));
}

class BitBltTest : public GdiTest {
 protected:
  void SetUp() override {
    GdiTest::SetUp();
    source_ = CreateCompatibleDC(screen_);
    sourceBitmap_ = CreateCompatibleBitmap(screen_, 4, 3);
    sourcePrevious_ = SelectObject(source_, sourceBitmap_);
    TestDib dib(24, 4, -3);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x)
        dib.Set(x, y, 10 * y + x);
    }
    ASSERT_EQ(
        SetDIBitsToDevice(source_, 0, 0, 4, 3, 0, 0, 0, 3, dib.bits(), dib.info(), DIB_RGB_COLORS),
        3);
  }
  void TearDown() override {
    SelectObject(source_, sourcePrevious_);
    DeleteObject(sourceBitmap_);
    DeleteDC(source_);
    GdiTest::TearDown();
  }

  HDC source_ = nullptr;
  HBITMAP sourceBitmap_ = nullptr;
  HGDIOBJ sourcePrevious_ = nullptr;
};

TEST_F(BitBltTest, CopiesOnlyWhatLiesInsideBothBitmaps) {
  Paint(dc_, kWidth, kHeight, RGB(255, 255, 255));
  // Source from (-2, -1): the part left of and above the source bitmap is
  // left as it was.
  EXPECT_TRUE(BitBlt(dc_, 1, 1, 5, 4, source_, -2, -1, SRCCOPY));
  // Overhanging the destination's bottom right corner.
  EXPECT_TRUE(BitBlt(dc_, kWidth - 2, kHeight - 1, 4, 3, source_, 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dc_, kWidth + 3, 0, 4, 3, source_, 0, 0, SRCCOPY));
  EXPECT_EQ(Picture(0, 0, 7, 6),
            "  W   W   W   W   W   W   W\n"
            "  W   W   W   W   W   W   W\n"
            "  W   W   W   0   1   2   W\n"
            "  W   W   W  10  11  12   W\n"
            "  W   W   W  20  21  22   W\n"
            "  W   W   W   W   W   W   W\n");
  EXPECT_EQ(Picture(kWidth - 3, kHeight - 2, 3, 2),
            "  W   W   W\n"
            "  W   0   1\n");
}

TEST_F(BitBltTest, OverlappingCopiesWithinOneBitmapReadBeforeTheyWrite) {
  EXPECT_TRUE(BitBlt(dc_, 0, 0, 4, 3, source_, 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dc_, 1, 1, 4, 3, dc_, 0, 0, SRCCOPY));
  EXPECT_EQ(Picture(0, 0, 5, 4),
            "  0   1   2   3   .\n"
            " 10   0   1   2   3\n"
            " 20  10  11  12  13\n"
            "  .  20  21  22  23\n");
  EXPECT_TRUE(BitBlt(dc_, 0, 0, 4, 3, dc_, 1, 1, SRCCOPY));
  EXPECT_EQ(Picture(0, 0, 5, 4),
            "  0   1   2   3   .\n"
            " 10  11  12  13   3\n"
            " 20  21  22  23  13\n"
            "  .  20  21  22  23\n");
}

TEST_F(BitBltTest, NeedsASourceForSrcCopy) {
  EXPECT_FALSE(BitBlt(dc_, 0, 0, 2, 2, nullptr, 0, 0, SRCCOPY));
}

// What a window without a client area gets for its frame: a compatible bitmap
// of width or height 0 is the 1x1 monochrome default bitmap, which can be
// drawn on and copied from like any other.
TEST_F(BitBltTest, ZeroSizedBitmapsAreTheMonochromeDefaultBitmap) {
  HDC frame = CreateCompatibleDC(screen_);
  HBITMAP noWidth = CreateCompatibleBitmap(screen_, 0, 5);
  HBITMAP noHeight = CreateCompatibleBitmap(frame, 5, 0);
  ASSERT_NE(noWidth, nullptr);
  EXPECT_EQ(noHeight, noWidth);
  EXPECT_EQ(SelectObject(frame, noWidth), noWidth);

  Paint(dc_, kWidth, kHeight, RGB(255, 255, 255));
  RECT empty = {0, 0, 0, 5};
  EXPECT_NE(FillRect(frame, &empty, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  EXPECT_TRUE(BitBlt(dc_, 0, 0, 0, 5, frame, 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(frame, 0, 0, 5, 0, source_, 0, 0, SRCCOPY));
  EXPECT_EQ(Picture(0, 0, 2, 2),
            "  W   W\n"
            "  W   W\n");

  // Its one pixel keeps white, and any other colour as black.
  Paint(frame, 2, 2, RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(frame, 0, 0), RGB(255, 255, 255));
  EXPECT_TRUE(BitBlt(dc_, 1, 0, 1, 1, frame, 0, 0, SRCCOPY));
  Paint(frame, 2, 2, Colour(5));
  EXPECT_EQ(GetPixel(frame, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(frame, 1, 0), CLR_INVALID);
  EXPECT_TRUE(BitBlt(dc_, 0, 1, 3, 3, frame, 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(frame, 0, 0, 4, 3, source_, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(frame, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(Picture(0, 0, 3, 3),
            "  W   W   W\n"
            "  .   W   W\n"
            "  W   W   W\n");
  DeleteDC(frame);
}

// Every pixel format, both orientations, drawn whole at (2, 3).
TEST_F(GdiTest, SetDIBitsToDeviceDrawsEachFormatUpright) {
  struct Case {
    int bitCount;
    const char* picture;
  };
  // Paletted formats show the index modulo their table size.
  const Case cases[] = {
      {1,
       "  0   1   0   1   0   1   0   1\n"
       "  0   1   0   1   0   1   0   1\n"
       "  0   1   0   1   0   1   0   1\n"
       "  0   1   0   1   0   1   0   1\n"
       "  0   1   0   1   0   1   0   1\n"
       "  0   1   0   1   0   1   0   1\n"},
      {4,
       "  0   1   2   3   4   5   6   7\n"
       " 10  11  12  13  14  15   0   1\n"
       "  4   5   6   7   8   9  10  11\n"
       " 14  15   0   1   2   3   4   5\n"
       "  8   9  10  11  12  13  14  15\n"
       "  2   3   4   5   6   7   8   9\n"},
  };
  for (const Case& c : cases) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(std::to_string(c.bitCount) + (topDown ? " top-down" : " bottom-up"));
      Clear();
      EXPECT_EQ(SetBits(Grid(c.bitCount, topDown), 2, 3, 8, 6, 0, 0), 6);
      EXPECT_EQ(Picture(), Placed(2, 3, c.picture));
    }
  }
  const std::string grid =
      "  0   1   2   3   4   5   6   7\n"
      " 10  11  12  13  14  15  16  17\n"
      " 20  21  22  23  24  25  26  27\n"
      " 30  31  32  33  34  35  36  37\n"
      " 40  41  42  43  44  45  46  47\n"
      " 50  51  52  53  54  55  56  57\n";
  for (int bitCount : {8, 24, 32}) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(std::to_string(bitCount) + (topDown ? " top-down" : " bottom-up"));
      Clear();
      EXPECT_EQ(SetBits(Grid(bitCount, topDown), 2, 3, 8, 6, 0, 0), 6);
      EXPECT_EQ(Picture(), Placed(2, 3, grid));
    }
  }
}

// Five bits of each colour, red highest, widened to eight by repeating their
// top bits.
TEST_F(GdiTest, SixteenBitDibsWidenFiveBitColours) {
  TestDib dib(16, 3, 2);
  const uint16_t words[2][3] = {{0x7C00, 0x03E0, 0x001F}, {0x4210, 0x0421, 0x7FFF}};
  const COLORREF colours[2][3] = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                                  {RGB(132, 132, 132), RGB(8, 8, 8), RGB(255, 255, 255)}};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x)
      dib.SetWord(x, y, words[y][x]);
  }
  EXPECT_EQ(SetBits(dib, 1, 1, 3, 2, 0, 0, 0, 2), 2);
  SetStretchBltMode(dc_, COLORONCOLOR);
  EXPECT_EQ(Stretch(dib, 5, 5, 6, 4, 0, 0, 3, 2), 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
      EXPECT_EQ(GetPixel(dc_, 1 + x, 1 + y), colours[y][x]);
      EXPECT_EQ(GetPixel(dc_, 5 + 2 * x + 1, 5 + 2 * y + 1), colours[y][x]);
    }
  }
}

// Headers that Windows refuses fail both calls with 0 and draw nothing;
// planes other than 0 do not matter.
TEST_F(GdiTest, DibsWithImpossibleHeadersDrawNothing) {
  SetStretchBltMode(dc_, COLORONCOLOR);
  struct Case {
    const char* what;
    void (*change)(BITMAPINFOHEADER&);
  };
  const Case refused[] = {
      {"no planes", [](BITMAPINFOHEADER& h) { h.biPlanes = 0; }},
      {"0 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 0; }},
      {"2 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 2; }},
      {"7 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 7; }},
      {"48 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 48; }},
      {"compression 9", [](BITMAPINFOHEADER& h) { h.biCompression = 9; }},
      {"compression 100", [](BITMAPINFOHEADER& h) { h.biCompression = 100; }},
      {"header of 30 bytes", [](BITMAPINFOHEADER& h) { h.biSize = 30; }},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.what);
    TestDib grid = Grid(24, false);
    c.change(grid.header());
    EXPECT_EQ(SetBits(grid, 0, 0, 8, 6, 0, 0), 0);
    EXPECT_EQ(Stretch(grid, 0, 0, 11, 9, 0, 0, 8, 6), 0);
    EXPECT_EQ(Picture(), Placed(0, 0, ""));
  }
  for (WORD planes : {2, 3, 0xFFFF}) {
    SCOPED_TRACE(planes);
    Clear();
    TestDib grid = Grid(24, false);
    grid.header().biPlanes = planes;
    EXPECT_EQ(SetBits(grid, 1, 1, 8, 6, 0, 0), 6);
    EXPECT_EQ(GetPixel(dc_, 1, 1), Colour(0));
    EXPECT_EQ(GetPixel(dc_, 8, 6), Colour(57));
  }
}

TEST_F(GdiTest, ColourIndicesBeyondTheUsedTableDrawBlack) {
  Paint(dc_, kWidth, kHeight, RGB(255, 255, 255));
  TestDib dib(8, 5, 1, 3);
  for (int x = 0; x < 5; ++x)
    dib.Set(x, 0, x);
  EXPECT_EQ(SetDIBitsToDevice(dc_, 0, 0, 5, 1, 0, 0, 0, 1, dib.bits(), dib.info(), DIB_RGB_COLORS),
            1);
  EXPECT_EQ(Picture(0, 0, 6, 1), "  0   1   2   .   .   W\n");
}

// The source rectangle's y counts from the DIB's bottom row, whatever its
// orientation.
TEST_F(GdiTest, SetDIBitsToDeviceCopiesPartsOfTheSourceClippedToTheBitmap) {
  for (bool topDown : {false, true}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    TestDib grid = Grid(24, topDown);
    Clear();
    // Rows 3 and 4 from the top are 1 and 2 from the bottom.
    EXPECT_EQ(SetBits(grid, 1, 1, 3, 2, 2, 1), topDown ? 6 : 3);
    EXPECT_EQ(Picture(0, 0, 5, 4),
              "  .   .   .   .   .\n"
              "  .  32  33  34   .\n"
              "  .  42  43  44   .\n"
              "  .   .   .   .   .\n");
    Clear();
    EXPECT_EQ(SetBits(grid, -2, -1, 8, 6, 0, 0), 6);
    EXPECT_EQ(Picture(0, 0, 7, 6),
              " 12  13  14  15  16  17   .\n"
              " 22  23  24  25  26  27   .\n"
              " 32  33  34  35  36  37   .\n"
              " 42  43  44  45  46  47   .\n"
              " 52  53  54  55  56  57   .\n"
              "  .   .   .   .   .   .   .\n");
    Clear();
    EXPECT_EQ(SetBits(grid, kWidth - 3, kHeight - 2, 8, 6, 0, 0), 6);
    EXPECT_EQ(Picture(kWidth - 4, kHeight - 3, 4, 3),
              "  .   .   .   .\n"
              "  .   0   1   2\n"
              "  .  10  11  12\n");
    // A rectangle reaching beyond the DIB draws only the DIB's part.
    Clear();
    EXPECT_EQ(SetBits(grid, 0, 0, 10, 8, 4, 3), 6);
    EXPECT_EQ(Picture(), Placed(0, 5,
                                "  4   5   6   7\n"
                                " 14  15  16  17\n"
                                " 24  25  26  27\n"));
    // Nothing inside the bitmap still counts its lines.
    EXPECT_EQ(SetBits(grid, -50, -50, 8, 6, 0, 0), 6);
    EXPECT_EQ(SetBits(grid, 0, kHeight + 5, 8, 6, 0, 0), 6);
    // A rectangle missing the DIB copies nothing.
    EXPECT_EQ(SetBits(grid, 0, 0, 8, 6, 8, 0), 0);
    EXPECT_EQ(SetBits(grid, 0, 0, 8, 6, -10, 0), 0);
    EXPECT_EQ(SetBits(grid, 0, 0, 8, 6, 0, 6), 0);
    EXPECT_EQ(SetBits(grid, 0, 0, 0, 6, 0, 0), 0);
  }
}

TEST_F(GdiTest, SetDIBitsToDeviceCountsBottomUpLinesUpToTheRectanglesTop) {
  TestDib grid = Grid(24, false);
  EXPECT_EQ(SetBits(grid, 0, 0, 8, 0, 0, 3), 0);
  EXPECT_EQ(SetBits(grid, 0, 0, 8, 4, 0, -2), 2);
  EXPECT_EQ(SetBits(grid, 0, 0, 8, 6, 0, -5), 1);
  EXPECT_EQ(SetBits(grid, 0, 0, 8, 6, 0, -6), 0);
  EXPECT_EQ(SetBits(grid, 0, 0, 8, 6, 0, 3), 6);
  EXPECT_EQ(SetBits(grid, 0, 0, 8, 2, 0, 3), 5);
  EXPECT_EQ(SetBits(grid, 0, 0, 3, 6, -3, 0), 0);
  EXPECT_EQ(SetBits(grid, 0, 0, 4, 6, -3, 0), 6);
  EXPECT_EQ(SetBits(grid, 0, 0, 8, 6, 0, 0, 0, 10), 6);
}

TEST_F(GdiTest, SetDIBitsToDeviceCountsAllLinesOfTopDownDibs) {
  TestDib grid = Grid(24, true);
  EXPECT_EQ(SetBits(grid, 0, 0, 8, 6, 0, -5), 6);
  EXPECT_EQ(SetBits(grid, 0, 0, 8, 0, 0, 0), 6);
  EXPECT_EQ(SetBits(grid, 0, 0, 8, 0, 0, 2), 0);
  EXPECT_EQ(SetBits(grid, 0, 0, 3, 6, -3, 0), 0);
  // Wine's quirk: a rectangle wholly below the DIB counts them all, even one
  // that misses it sideways.
  EXPECT_EQ(SetBits(grid, 0, 0, 3, 4, -3, -4), 6);
  EXPECT_EQ(SetBits(grid, 0, 0, 3, 4, -3, -3), 0);
}

// Bottom-up DIBs can come in bands: lines scan lines from startScan (counted
// from the bottom), the bits pointing at the band's first one.
TEST_F(GdiTest, SetDIBitsToDeviceDrawsBandsOfBottomUpDibs) {
  TestDib grid = Grid(24, false);
  auto band = [&](int x, int y, DWORD w, DWORD h, int sx, int sy, UINT start, UINT lines) {
    return SetDIBitsToDevice(dc_, x, y, w, h, sx, sy, start, lines, grid.stored(start), grid.info(),
                             DIB_RGB_COLORS);
  };
  EXPECT_EQ(band(0, 0, 8, 6, 0, 0, 2, 3), 3);
  EXPECT_EQ(Picture(0, 0, 9, 7),
            "  .   .   .   .   .   .   .   .   .\n"
            " 10  11  12  13  14  15  16  17   .\n"
            " 20  21  22  23  24  25  26  27   .\n"
            " 30  31  32  33  34  35  36  37   .\n"
            "  .   .   .   .   .   .   .   .   .\n"
            "  .   .   .   .   .   .   .   .   .\n"
            "  .   .   .   .   .   .   .   .   .\n");
  Clear();
  EXPECT_EQ(band(0, 0, 3, 6, 0, 0, 4, 5), 2);
  EXPECT_EQ(Picture(0, 0, 4, 3),
            "  0   1   2   .\n"
            " 10  11  12   .\n"
            "  .   .   .   .\n");
  Clear();
  EXPECT_EQ(band(0, 0, 8, 2, 0, 4, 2, 3), 3);
  EXPECT_EQ(Picture(0, 0, 3, 3),
            "  .   .   .\n"
            " 10  11  12\n"
            "  .   .   .\n");
  EXPECT_EQ(band(0, 0, 8, 3, 0, 1, 2, 3), 2);
  EXPECT_EQ(band(0, 0, 8, 1, 0, 1, 2, 3), 0);
  EXPECT_EQ(band(0, 0, 8, 2, 0, 5, 2, 3), 0);
  EXPECT_EQ(band(0, 0, 8, 6, 0, 0, 6, 2), 0);
}

struct Ratio {
  int source;
  int dest;
  std::vector<int> horizontal;
  std::vector<int> vertical;
};

// Which source pixel each destination pixel shows, enlarging and shrinking by
// awkward ratios, ties included (4 to 10, 3 to 2).
const Ratio kRatios[] = {
    {7, 3, {1, 4, 6}, {0, 2, 5}},
    {3, 2, {1, 2}, {0, 2}},
    {6, 4, {1, 2, 4, 5}, {0, 2, 3, 5}},
    {13, 5, {2, 4, 7, 9, 12}, {0, 3, 5, 8, 10}},
    {10, 7, {0, 2, 3, 5, 6, 8, 9}, {0, 1, 3, 4, 6, 7, 9}},
    {5, 11, {0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4}, {0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4}},
    {3, 8, {0, 0, 0, 1, 1, 2, 2, 2}, {0, 0, 0, 1, 1, 2, 2, 2}},
    {4, 10, {0, 0, 0, 1, 1, 2, 2, 2, 3, 3}, {0, 0, 0, 1, 1, 2, 2, 2, 3, 3}},
};

TEST_F(GdiTest, StretchDIBitsPicksTheNearestPixelsAsWineDoes) {
  SetStretchBltMode(dc_, COLORONCOLOR);
  for (const Ratio& ratio : kRatios) {
    SCOPED_TRACE(std::to_string(ratio.source) + " to " + std::to_string(ratio.dest));
    Clear();
    EXPECT_EQ(Stretch(Line(ratio.source, false, false), 0, 0, ratio.dest, 1, 0, 0, ratio.source, 1),
              1);
    EXPECT_EQ(Taken(ratio.dest, false), ratio.horizontal);
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
      Clear();
      EXPECT_EQ(
          Stretch(Line(ratio.source, true, topDown), 0, 0, 1, ratio.dest, 0, 0, 1, ratio.source),
          ratio.source);
      EXPECT_EQ(Taken(ratio.dest, true), ratio.vertical);
    }
  }
}

TEST_F(GdiTest, StretchDIBitsScalesPartsOfTheSourceClippedToTheBitmap) {
  SetStretchBltMode(dc_, COLORONCOLOR);
  for (bool topDown : {false, true}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    TestDib grid = Grid(24, topDown);
    // Columns 2-4 of rows 3-4 (1-2 from the bottom), enlarged to 7x5.
    Clear();
    EXPECT_EQ(Stretch(grid, 0, 0, 7, 5, 2, 1, 3, 2), 6);
    EXPECT_EQ(Picture(0, 0, 8, 6),
              " 32  32  33  33  33  34  34   .\n"
              " 32  32  33  33  33  34  34   .\n"
              " 32  32  33  33  33  34  34   .\n"
              " 42  42  43  43  43  44  44   .\n"
              " 42  42  43  43  43  44  44   .\n"
              "  .   .   .   .   .   .   .   .\n");
    // Columns 1-5 of rows 1-4 shrunk to 2x2.
    Clear();
    EXPECT_EQ(Stretch(grid, 0, 0, 2, 2, 1, 1, 5, 4), 6);
    EXPECT_EQ(Picture(0, 0, 3, 3),
              " 13  15   .\n"
              " 33  35   .\n"
              "  .   .   .\n");
    // Clipping keeps each pixel where the whole picture would put it.
    Clear();
    EXPECT_EQ(Stretch(grid, -3, -2, 11, 9, 0, 0, 8, 6), 6);
    EXPECT_EQ(Picture(0, 0, 9, 8),
              " 12  13  13  14  15  16  16  17   .\n"
              " 22  23  23  24  25  26  26  27   .\n"
              " 22  23  23  24  25  26  26  27   .\n"
              " 32  33  33  34  35  36  36  37   .\n"
              " 42  43  43  44  45  46  46  47   .\n"
              " 42  43  43  44  45  46  46  47   .\n"
              " 52  53  53  54  55  56  56  57   .\n"
              "  .   .   .   .   .   .   .   .   .\n");
    Clear();
    EXPECT_EQ(Stretch(grid, kWidth - 4, kHeight - 3, 11, 9, 0, 0, 8, 6), 6);
    EXPECT_EQ(Picture(kWidth - 5, kHeight - 4, 5, 4),
              "  .   .   .   .   .\n"
              "  .   0   1   1   2\n"
              "  .   0   1   1   2\n"
              "  .  10  11  11  12\n");
    // Unscaled, it is a plain copy.
    Clear();
    EXPECT_EQ(Stretch(grid, 1, 1, 3, 2, 2, 1, 3, 2), 6);
    EXPECT_EQ(Picture(0, 0, 5, 4),
              "  .   .   .   .   .\n"
              "  .  32  33  34   .\n"
              "  .  42  43  44   .\n"
              "  .   .   .   .   .\n");
  }
}

TEST_F(GdiTest, StretchDIBitsReturnsTheDibsHeightUnlessTheSourceIsEmpty) {
  SetStretchBltMode(dc_, COLORONCOLOR);
  TestDib grid = Grid(8, false);
  EXPECT_EQ(Stretch(grid, -50, -50, 11, 9, 0, 0, 8, 6), 6);
  EXPECT_EQ(Stretch(grid, 0, 0, 0, 4, 0, 0, 8, 6), 6);
  EXPECT_EQ(Stretch(grid, 0, 0, 4, 4, 0, 0, 0, 4), 0);
  EXPECT_EQ(Stretch(grid, 0, 0, 4, 4, 0, 0, 4, 0), 0);
  EXPECT_EQ(Stretch(grid, 0, 0, 4, 4, 8, 0, 4, 4), 0);
  EXPECT_EQ(Stretch(grid, 0, 0, 4, 4, 0, 6, 4, 4), 0);
  EXPECT_EQ(Picture(), Placed(0, 0, ""));
}

TEST_F(GdiTest, EnlargingWorksInEveryStretchModeButHalftone) {
  TestDib grid = Grid(24, true);
  for (int mode : {BLACKONWHITE, WHITEONBLACK, COLORONCOLOR}) {
    SCOPED_TRACE(mode);
    SetStretchBltMode(dc_, mode);
    Clear();
    EXPECT_EQ(Stretch(grid, 0, 0, 11, 3, 0, 0, 8, 2), 6);
    EXPECT_EQ(Picture(0, 0, 11, 3),
              " 40  41  41  42  43  43  44  45  46  46  47\n"
              " 40  41  41  42  43  43  44  45  46  46  47\n"
              " 50  51  51  52  53  53  54  55  56  56  57\n");
  }
}

}  // namespace
