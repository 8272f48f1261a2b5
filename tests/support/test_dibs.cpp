#include "tests/support/test_dibs.h"

#include <cstdio>

namespace {

int Widened(int five) {
  return five << 3 | five >> 2;
}

int Red(int i) {
  return i & 31;
}
int Green(int i) {
  return 31 - (i >> 5 & 31);
}
const int kBlue = 8;

}  // namespace

COLORREF TestColour(int i) {
  return RGB(Widened(Red(i)), Widened(Green(i)), Widened(kBlue));
}

TestDib::TestDib(int bitCount, int32_t width, int32_t height, uint32_t colorsUsed)
    : bitCount_(bitCount), rows_(height), stride_((size_t(width) * bitCount + 31) / 32 * 4) {
  uint32_t entries = bitCount <= 8 ? (colorsUsed ? colorsUsed : 1u << bitCount) : 0;
  info_.assign(sizeof(BITMAPINFOHEADER) / 4 + entries, 0);
  BITMAPINFOHEADER& h = header();
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = WORD(bitCount);
  h.biCompression = BI_RGB;
  h.biClrUsed = colorsUsed;
  auto* table = reinterpret_cast<RGBQUAD*>(&h + 1);
  for (uint32_t i = 0; i < entries; ++i) {
    COLORREF c = TestColour(int(i));
    table[i] = RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0x77};
  }
  // Junk in the row padding must never show; packed sub-byte pixels are ORed in.
  bits_.assign(stride_ * size_t(rows_), bitCount >= 8 ? 0xEE : 0);
}

void TestDib::Set(int x, int y, int index) {
  uint8_t* row = &bits_[size_t(rows_ - 1 - y) * stride_];
  const COLORREF c = TestColour(index);
  const int word = Red(index) << 10 | Green(index) << 5 | kBlue;
  if (bitCount_ < 8) {
    const int perByte = 8 / bitCount_, shift = (perByte - 1 - x % perByte) * bitCount_;
    row[x / perByte] |= uint8_t((index & ((1 << bitCount_) - 1)) << shift);
  } else if (bitCount_ == 8) {
    row[x] = uint8_t(index);
  } else if (bitCount_ == 16) {
    row[2 * x] = uint8_t(word), row[2 * x + 1] = uint8_t(word >> 8);
  } else {
    uint8_t* p = row + x * (bitCount_ / 8);
    p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
  }
}

std::string TestDib::Packed() const {
  return std::string(reinterpret_cast<const char*>(info_.data()), info_.size() * 4) +
         std::string(bits_.begin(), bits_.end());
}

TestDib Grid(int bitCount, int width, int height) {
  TestDib dib(bitCount, width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      dib.Set(x, y, 10 * y + x);
  }
  return dib;
}

Canvas::Canvas(int w, int h)
    : width(w),
      height(h),
      screen(GetDC(nullptr)),
      dc(CreateCompatibleDC(screen)),
      bitmap(CreateCompatibleBitmap(screen, w, h)),
      previous(SelectObject(dc, bitmap)) {
  Clear();
}

Canvas::~Canvas() {
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

void Canvas::Clear() {
  RECT all = {0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

std::string Mismatches(const Canvas& canvas, const PixelRule& want) {
  std::string found;
  int count = 0;
  for (int y = 0; y < canvas.height; ++y) {
    for (int x = 0; x < canvas.width; ++x) {
      const COLORREF got = GetPixel(canvas.dc, x, y), wanted = want(x, y);
      if (got != wanted && count++ < 8) {
        char line[64];
        std::snprintf(line, sizeof line, "(%d,%d): 0x%06lx, not 0x%06lx\n", x, y,
                      static_cast<unsigned long>(got), static_cast<unsigned long>(wanted));
        found += line;
      }
    }
  }
  return found;
}

PixelRule Placed(int left, int top, std::vector<int> columns, std::vector<int> rows,
                 int tableSize) {
  return [=](int x, int y) {
    const int i = x - left, j = y - top;
    const bool inside = i >= 0 && i < int(columns.size()) && j >= 0 && j < int(rows.size());
    return inside ? TestColour((10 * rows[j] + columns[i]) % tableSize) : 0;
  };
}

std::vector<int> Span(int first, int count) {
  std::vector<int> run;
  for (int i = 0; i < count; ++i)
    run.push_back(first + i);
  return run;
}
