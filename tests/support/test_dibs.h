// DIBs for the drawing test, a memory DC to draw into, and a pixel comparison.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"

// Colour i of the test pictures: distinct for i below 1024, never black or
// white, and exact in 16-bit DIBs too (5 bits a channel, widened as GDI does).
COLORREF TestColour(int i);

// A DIB whose pixels are indices of TestColour: through its table up to 8
// bits, as the colour itself above.
class TestDib {
 public:
  // Bottom-up; colorsUsed 0 means a full table.
  TestDib(int bitCount, int32_t width, int32_t height, uint32_t colorsUsed = 0);
  // Sets pixel (x, y), y counted from the picture's top.
  void Set(int x, int y, int index);
  BITMAPINFOHEADER& header() { return *reinterpret_cast<BITMAPINFOHEADER*>(info_.data()); }
  // Header, table and rows in one piece, as a packed bitmap holds them.
  std::string Packed() const;

 private:
  std::vector<uint32_t> info_;
  std::vector<uint8_t> bits_;
  int bitCount_;
  int rows_;
  size_t stride_;
};

// A picture whose pixel (x, y) is index 10 * y + x.
TestDib Grid(int bitCount, int width, int height);

// A compatible bitmap of the screen selected into a memory DC, black at first.
struct Canvas {
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  void Clear();

  int width, height;
  HDC screen, dc;
  HBITMAP bitmap;
  HGDIOBJ previous;
};

using PixelRule = std::function<COLORREF(int x, int y)>;

// The first pixels of the canvas that differ from want, a line each.
std::string Mismatches(const Canvas& canvas, const PixelRule& want);

// Grid pixel (columns[i], rows[j]) at (left + i, top + j), black elsewhere;
// indices are taken modulo tableSize.
PixelRule Placed(int left, int top, std::vector<int> columns, std::vector<int> rows,
                 int tableSize = 1024);

// count indices from first on.
std::vector<int> Span(int first, int count);
