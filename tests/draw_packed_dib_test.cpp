// Drawing packed bitmaps into a memory DC, unscaled and stretched, read back
// pixel by pixel; and bitmap files of kinds the converter never writes, from
// loading through fitting to drawing. Runs natively and under Wine (on a
// 24-bit screen, so that the compatible bitmap holds exact colours).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image/draw_packed_dib.h"
#include "image/fit_picture.h"
#include "image/packed_dib.h"
#include "package/show_state.h"
#include "platform/win32.h"
#include "tests/support/child_process.h"

namespace {

constexpr int kCanvasWidth = 14;
constexpr int kCanvasHeight = 9;

// A 5-bit colour widened to 8 bits as GDI does it.
int Widened(int five) {
  return five << 3 | five >> 2;
}

// Pixel (x, y) of a 16-bit test picture as red, green and blue of 5 bits.
uint16_t PictureWord(int x, int y) {
  return uint16_t((1 + 4 * x) << 10 | (2 + 5 * y) << 5 | 12);
}

// Pixel (x, y) of a test picture, y counted from its top; never black.
COLORREF PictureColour(int bitCount, int x, int y) {
  if (bitCount == 16) return RGB(Widened(1 + 4 * x), Widened(2 + 5 * y), Widened(12));
  if (bitCount == 8) {
    int level = 1 + 16 * y + x;
    return RGB(level, level, level);
  }
  return RGB(1 + 40 * x, 2 + 50 * y, 0x66);
}

// A packed bitmap in a movable block: 24 bits per pixel, or 8 with a table of
// 256 greys. Row padding holds junk that must never show.
PackedDib MakePackedDib(int bitCount, int width, int height) {
  uint32_t colours = bitCount == 8 ? 256 : 0;
  size_t stride = (size_t(width) * bitCount / 8 + 3) / 4 * 4;
  size_t headerBytes = sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, headerBytes + stride * height);
  auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
  std::memset(bytes, 0xEE, headerBytes + stride * height);
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = WORD(bitCount);
  header.biCompression = BI_RGB;
  header.biClrUsed = colours;
  std::memcpy(bytes, &header, sizeof header);
  auto* table = reinterpret_cast<RGBQUAD*>(bytes + sizeof header);
  for (uint32_t i = 0; i < colours; ++i)
    table[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bytes + headerBytes + size_t(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      COLORREF c = PictureColour(bitCount, x, y);
      if (bitCount == 8) {
        row[x] = GetRValue(c);
      } else {
        row[3 * x] = GetBValue(c);
        row[3 * x + 1] = GetGValue(c);
        row[3 * x + 2] = GetRValue(c);
      }
    }
  }
  GlobalUnlock(block);
  return block;
}

void Put(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out += char(value >> (8 * i) & 0xFF);
}

// A BMP file of a test picture of 16 or 24 bits per pixel, rows stored
// bottom first unless the height is negative.
std::string BmpFile(int bitCount, int width, int height, uint16_t planes) {
  int rows = height < 0 ? -height : height;
  size_t stride = (size_t(width) * bitCount / 8 + 3) / 4 * 4;
  std::string pixels;
  for (int stored = 0; stored < rows; ++stored) {
    int y = height < 0 ? stored : rows - 1 - stored;
    std::string row;
    for (int x = 0; x < width; ++x) {
      COLORREF c = PictureColour(bitCount, x, y);
      if (bitCount == 16) {
        Put(row, PictureWord(x, y), 2);
      } else {
        row += {char(GetBValue(c)), char(GetGValue(c)), char(GetRValue(c))};
      }
    }
    row.resize(stride, '\0');
    pixels += row;
  }
  std::string file = "BM";
  Put(file, uint32_t(54 + pixels.size()), 4);
  Put(file, 0, 4);
  Put(file, 54, 4);
  Put(file, 40, 4);
  Put(file, uint32_t(width), 4);
  Put(file, uint32_t(height), 4);
  Put(file, planes, 2);
  Put(file, uint32_t(bitCount), 2);
  file += std::string(24, '\0');  // compression, sizes, densities, colours
  return file + pixels;
}

class DrawPackedDibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    screen_ = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen_);
    bitmap_ = CreateCompatibleBitmap(screen_, kCanvasWidth, kCanvasHeight);
    ASSERT_NE(bitmap_, nullptr);
    previous_ = SelectObject(dc_, bitmap_);
    Clear();
  }

  void TearDown() override {
    for (PackedDib dib : dibs_)
      GlobalFree(dib);
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    ReleaseDC(nullptr, screen_);
  }

  void Clear() {
    RECT all = {0, 0, kCanvasWidth, kCanvasHeight};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }

  PackedDib Make(int bitCount, int width, int height) {
    dibs_.push_back(MakePackedDib(bitCount, width, height));
    return dibs_.back();
  }

  // Compares every pixel of the canvas with the picture drawn at (left, top),
  // destination column i showing picture column columns[i] and row j picture
  // row rows[j], and black elsewhere. Returns the first differences.
  std::string Differences(int bitCount, int left, int top, const std::vector<int>& columns,
                          const std::vector<int>& rows) const {
    std::string found;
    int count = 0;
    for (int y = 0; y < kCanvasHeight; ++y) {
      for (int x = 0; x < kCanvasWidth; ++x) {
        int i = x - left;
        int j = y - top;
        bool inside = i >= 0 && i < int(columns.size()) && j >= 0 && j < int(rows.size());
        COLORREF want = inside ? PictureColour(bitCount, columns[i], rows[j]) : 0;
        COLORREF got = GetPixel(dc_, x, y);
        if (got != want && count++ < 8) {
          char line[80];
          std::snprintf(line, sizeof line, "(%d,%d): 0x%06lx, not 0x%06lx\n", x, y,
                        static_cast<unsigned long>(got), static_cast<unsigned long>(want));
          found += line;
        }
      }
    }
    return found;
  }

  HDC screen_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  std::vector<PackedDib> dibs_;
};

// The count indices from first on.
std::vector<int> Span(int first, int count) {
  std::vector<int> run;
  for (int i = 0; i < count; ++i)
    run.push_back(first + i);
  return run;
}

TEST_F(DrawPackedDibTest, EqualSizesCopyTheSourceUnscaled) {
  PackedDib colour = Make(24, 5, 4);
  // Returns the scan lines set: all of them.
  EXPECT_EQ(DrawPackedDib(dc_, RECT{3, 2, 8, 6}, colour, RECT{0, 0, 5, 4}), 4);
  EXPECT_EQ(Differences(24, 3, 2, Span(0, 5), Span(0, 4)), "");
  EXPECT_EQ(GetStretchBltMode(dc_), COLORONCOLOR);

  Clear();
  PackedDib grey = Make(8, 7, 3);
  EXPECT_EQ(DrawPackedDib(dc_, RECT{6, 5, 13, 8}, grey, RECT{0, 0, 7, 3}), 3);
  EXPECT_EQ(Differences(8, 6, 5, Span(0, 7), Span(0, 3)), "");
}

TEST_F(DrawPackedDibTest, EqualSizesCopyPartOfTheSource) {
  PackedDib colour = Make(24, 5, 4);
  // The scan lines set are counted from the bottom up to the rectangle's top.
  EXPECT_EQ(DrawPackedDib(dc_, RECT{0, 0, 3, 2}, colour, RECT{1, 1, 4, 3}), 3);
  EXPECT_EQ(Differences(24, 0, 0, Span(1, 3), Span(1, 2)), "");

  Clear();
  PackedDib grey = Make(8, 7, 3);
  EXPECT_EQ(DrawPackedDib(dc_, RECT{8, 6, 12, 8}, grey, RECT{2, 0, 6, 2}), 3);
  EXPECT_EQ(Differences(8, 8, 6, Span(2, 4), Span(0, 2)), "");
}

TEST_F(DrawPackedDibTest, OtherSizesStretchTheSource) {
  PackedDib colour = Make(24, 5, 4);
  // Returns the picture's height.
  EXPECT_EQ(DrawPackedDib(dc_, RECT{1, 1, 12, 8}, colour, RECT{0, 0, 5, 4}), 4);
  EXPECT_EQ(Differences(24, 1, 1, {0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4}, {0, 0, 1, 1, 2, 3, 3}), "");
  EXPECT_EQ(GetStretchBltMode(dc_), COLORONCOLOR);

  Clear();
  EXPECT_EQ(DrawPackedDib(dc_, RECT{2, 3, 5, 5}, colour, RECT{0, 0, 5, 4}), 4);
  EXPECT_EQ(Differences(24, 2, 3, {1, 2, 4}, {0, 2}), "");

  Clear();
  EXPECT_EQ(DrawPackedDib(dc_, RECT{0, 7, 11, 9}, colour, RECT{0, 0, 5, 4}), 4);
  EXPECT_EQ(Differences(24, 0, 7, {0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4}, {0, 2}), "");

  Clear();
  PackedDib grey = Make(8, 7, 3);
  EXPECT_EQ(DrawPackedDib(dc_, RECT{2, 3, 12, 8}, grey, RECT{0, 0, 7, 3}), 3);
  EXPECT_EQ(Differences(8, 2, 3, {0, 1, 1, 2, 3, 3, 4, 5, 5, 6}, {0, 0, 1, 2, 2}), "");

  Clear();
  EXPECT_EQ(DrawPackedDib(dc_, RECT{9, 0, 13, 2}, grey, RECT{0, 0, 7, 3}), 3);
  EXPECT_EQ(Differences(8, 9, 0, {1, 3, 4, 6}, {0, 2}), "");
}

// The presentation cycle's steps on a BMP file: load, fit into the canvas,
// draw. What loads must draw; what does not load draws nothing.
TEST_F(DrawPackedDibTest, UnusualBitmapFilesDrawOrAreRefused) {
  ScratchDir dir;
  const std::string path = dir / "picture.bmp";
  auto draw = [&](const std::string& file) {
    Clear();
    WriteFileBytes(path, file);
    PackedDib dib = LoadPackedDib(path.c_str());
    if (dib != nullptr) dibs_.push_back(dib);
    RECT source = {0, 0, 4, 3};
    RECT destination = {};
    FitPictureRect(RECT{0, 0, kCanvasWidth, kCanvasHeight}, source, destination);
    return DrawPackedDib(dc_, destination, dib, source);
  };
  // Three times larger when fitted, at its own size centred when not.
  const std::vector<int> fittedColumns = {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3};
  const std::vector<int> fittedRows = {0, 0, 0, 1, 1, 1, 2, 2, 2};
  for (int32_t resize : {1, 0}) {
    SCOPED_TRACE(resize ? "Resize on" : "Resize off");
    showState.settings.Resize = resize;
    for (int bitCount : {16, 24}) {
      for (uint16_t planes : {1, 2}) {
        SCOPED_TRACE(std::to_string(bitCount) + " bits, planes " + std::to_string(planes));
        EXPECT_EQ(draw(BmpFile(bitCount, 4, 3, planes)), 3);
        if (resize) {
          EXPECT_EQ(Differences(bitCount, 1, 0, fittedColumns, fittedRows), "");
        } else {
          EXPECT_EQ(Differences(bitCount, 5, 3, Span(0, 4), Span(0, 3)), "");
        }
      }
    }
    SCOPED_TRACE("top-down, and no planes");
    EXPECT_EQ(draw(BmpFile(24, 4, -3, 1)), 0);
    EXPECT_EQ(draw(BmpFile(16, 4, -3, 1)), 0);
    EXPECT_EQ(draw(BmpFile(24, 4, 3, 0)), 0);
    EXPECT_EQ(Differences(24, 0, 0, {}, {}), "");
  }
  showState.settings = UserSettings();
}

TEST_F(DrawPackedDibTest, NoBitmapDrawsNothing) {
  SetStretchBltMode(dc_, HALFTONE);
  EXPECT_EQ(DrawPackedDib(dc_, RECT{0, 0, 5, 4}, nullptr, RECT{0, 0, 5, 4}), 0);
  EXPECT_EQ(DrawPackedDib(dc_, RECT{0, 0, 10, 8}, nullptr, RECT{0, 0, 5, 4}), 0);
  EXPECT_EQ(GetStretchBltMode(dc_), HALFTONE);
  EXPECT_EQ(Differences(24, 0, 0, {}, {}), "");
}

}  // namespace
