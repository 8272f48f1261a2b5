// Drawing device-independent bitmaps into a device context.
//
// Implemented, for BI_RGB DIBs of 1, 4, 8 (colour table, DIB_RGB_COLORS), 16
// (5 bits each of red, green and blue, widened to 8 by repeating their top
// bits), 24 and 32 bits per pixel, bottom-up or top-down, with SRCCOPY:
//   SetDIBitsToDevice  the source rectangle (its y counted from the DIB's
//                      bottom row) copied unscaled; bottom-up DIBs may come in
//                      bands of scan lines. Returns what Wine returns: 0 when
//                      the rectangle is empty, misses the DIB's columns or
//                      lies above the band, else the band's lines up to the
//                      rectangle's top; for top-down DIBs all the lines, and
//                      those also for a rectangle wholly below the DIB.
//   StretchDIBits      the source rectangle (y counted from the bottom row for
//                      both orientations, as Wine does) scaled to the
//                      destination by nearest neighbour; returns the DIB's
//                      height, or 0 when the source rectangle is empty or
//                      misses the DIB.
// Both clip to the destination bitmap without moving the picture. Colour
// indices beyond the table's used entries draw black, as in Wine. DIBs that
// Windows refuses (no pixels, no rows, a bit count or compression that does
// not exist, 0 planes) make both return 0 and draw nothing.
//
// Nearest neighbour, measured under Wine with distinct-coloured pixels and
// matched exactly (the axes are independent; d counts destination pixels from
// the destination rectangle's left or top, S source and D destination sizes):
//   enlarging (D >= S), both axes:  the pixel under d's centre, the lower one
//                                   on a tie: ceil((2d+1)S / 2D) - 1
//   shrinking horizontally:         round((d+1)S / D) - 1, halves up
//   shrinking vertically (rows from the top): round(dS / D), halves up
// Shrinking in BLACKONWHITE or WHITEONBLACK mode combines the dropped pixels
// instead, and HALFTONE averages; neither is done here.
// Not implemented: the compressions BI_RLE4, BI_RLE8, BI_BITFIELDS, BI_JPEG and
//   BI_PNG, DIB_PAL_COLORS, BITMAPCOREHEADER DIBs, top-down DIBs in bands,
//   mirroring (negative extents), StretchDIBits source rectangles that cross
//   the DIB's edge, the modes above. The bitmap loader passes none of these
//   on, so no picture from a show reaches them.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/linux/changed_area.h"
#include "platform/linux/gdi_target.h"
#include "platform/linux/unsupported.h"
#include "platform/linux/win32_api.h"

namespace {

// The OS/2 form of the header, with 16-bit sizes.
constexpr DWORD kCoreHeaderSize = 12;

struct Dib {
  int64_t width;
  int64_t height;  // rows, whatever the orientation
  bool topDown;
  int bitCount;
  size_t stride;
  const uint8_t* bits;
  uint32_t colors[256];  // 0x00RRGGBB
};

// Reads the header and colour table; false when Windows would refuse the DIB.
bool ReadDib(const char* call, const BITMAPINFO* info, const void* bits, UINT usage, Dib* dib) {
  if (usage != DIB_RGB_COLORS) PlatformUnsupported(call, "colour usage other than DIB_RGB_COLORS");
  if (info == nullptr || bits == nullptr) return false;
  const BITMAPINFOHEADER& header = info->bmiHeader;
  if (header.biSize == kCoreHeaderSize) PlatformUnsupported(call, "BITMAPCOREHEADER DIBs");
  if (header.biSize < sizeof(BITMAPINFOHEADER)) return false;
  switch (header.biCompression) {
    case BI_RGB:
      break;
    case BI_RLE8:
    case BI_RLE4:
    case BI_BITFIELDS:
    case BI_JPEG:
    case BI_PNG:
      PlatformUnsupported(call, "compressed DIBs");
    default:
      return false;
  }
  // Wine draws any non-zero number of planes as one.
  if (header.biPlanes == 0) return false;
  int bitCount = header.biBitCount;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
      bitCount != 32) {
    return false;
  }
  if (header.biWidth <= 0 || header.biHeight == 0) return false;
  dib->width = header.biWidth;
  dib->height = header.biHeight < 0 ? -int64_t(header.biHeight) : header.biHeight;
  dib->topDown = header.biHeight < 0;
  dib->bitCount = bitCount;
  dib->stride = size_t((dib->width * bitCount + 31) / 32 * 4);
  dib->bits = static_cast<const uint8_t*>(bits);
  std::fill(std::begin(dib->colors), std::end(dib->colors), 0u);
  if (bitCount <= 8) {
    uint32_t count = 1u << bitCount;
    if (header.biClrUsed != 0 && header.biClrUsed < count) count = header.biClrUsed;
    const auto* table =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(info) + header.biSize);
    for (uint32_t i = 0; i < count; ++i) {
      dib->colors[i] = uint32_t(table[i].rgbRed) << 16 | table[i].rgbGreen << 8 | table[i].rgbBlue;
    }
  }
  return true;
}

// The pixel at column x of a stored row, as 0x00RRGGBB, for one bit depth.
template <int kBits>
uint32_t PixelAt(const Dib& dib, const uint8_t* row, int64_t x) {
  if constexpr (kBits == 1) {
    return dib.colors[row[x / 8] >> (7 - x % 8) & 1];
  } else if constexpr (kBits == 4) {
    return dib.colors[row[x / 2] >> (x % 2 ? 0 : 4) & 15];
  } else if constexpr (kBits == 8) {
    return dib.colors[row[x]];
  } else if constexpr (kBits == 16) {
    uint32_t p = uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
    auto widen = [](uint32_t five) { return five << 3 | five >> 2; };
    return widen(p >> 10 & 31) << 16 | widen(p >> 5 & 31) << 8 | widen(p & 31);
  } else {
    const uint8_t* p = row + x * (kBits / 8);
    return uint32_t(p[2]) << 16 | p[1] << 8 | p[0];
  }
}

// Calls body with PixelAt for the DIB's bit depth, so that the depth is
// settled once per row rather than once per pixel.
template <typename Body>
void WithPixelReader(const Dib& dib, Body body) {
  switch (dib.bitCount) {
    case 1:
      return body(PixelAt<1>);
    case 4:
      return body(PixelAt<4>);
    case 8:
      return body(PixelAt<8>);
    case 16:
      return body(PixelAt<16>);
    case 24:
      return body(PixelAt<24>);
    default:
      return body(PixelAt<32>);
  }
}

// Converts columns [first, first + count) of a stored row to 0x00RRGGBB.
void DecodeRow(const Dib& dib, const uint8_t* row, int64_t first, int64_t count, uint32_t* out) {
  if (dib.bitCount == 24 && count > 0) {
    // Every picture is drawn from 24-bit rows: each pixel but the last is one
    // four-byte load (blue, green, red and the next byte, little-endian).
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
    const uint8_t* p = row + first * 3;
    for (int64_t x = 0; x < count - 1; ++x, p += 3) {
      uint32_t pixel;
      std::memcpy(&pixel, p, sizeof pixel);
      out[x] = pixel & 0xFFFFFF;
    }
    out[count - 1] = uint32_t(p[2]) << 16 | p[1] << 8 | p[0];
    return;
  }
  WithPixelReader(dib, [&](auto pixelAt) {
    for (int64_t x = first; x < first + count; ++x)
      *out++ = pixelAt(dib, row, x);
  });
}

// Samples the given columns of a stored row, one pixel for each.
void SampleRow(const Dib& dib, const uint8_t* row, const std::vector<int64_t>& columns,
               uint32_t* out) {
  WithPixelReader(dib, [&](auto pixelAt) {
    for (int64_t x : columns)
      *out++ = pixelAt(dib, row, x);
  });
}

// The source pixel that destination pixel d takes when size S is drawn at size
// D; see the top of the file.
int64_t NearestColumn(int64_t d, int64_t S, int64_t D) {
  if (D >= S) return ((2 * d + 1) * S + 2 * D - 1) / (2 * D) - 1;
  return (2 * (d + 1) * S + D) / (2 * D) - 1;
}

int64_t NearestRow(int64_t d, int64_t S, int64_t D) {
  if (D >= S) return ((2 * d + 1) * S + 2 * D - 1) / (2 * D) - 1;
  return (2 * d * S + D) / (2 * D);
}

uint32_t* TargetRow(const GdiTarget& target, int64_t y) {
  return target.pixels + size_t(y) * size_t(target.width);
}

}  // namespace

int WINAPI SetDIBitsToDevice(HDC dc, int destX, int destY, DWORD width, DWORD height, int sourceX,
                             int sourceY, UINT startScan, UINT scanLines, const void* bits,
                             const BITMAPINFO* info, UINT usage) {
  const char* call = "SetDIBitsToDevice";
  GdiTarget target;
  Dib dib;
  if (!GdiDrawingTarget(dc, call, &target, GdiUse::kWrite) ||
      !ReadDib(call, info, bits, usage, &dib))
    return 0;
  if (dib.topDown && (startScan != 0 || scanLines != dib.height)) {
    PlatformUnsupported(call, "top-down DIBs in bands");
  }
  int64_t w = width;
  int64_t h = height;
  // Rows are numbered from the DIB's bottom; the band holds rows
  // [startScan, bandEnd), the source rectangle [sourceY, sourceY + h).
  int64_t bandEnd = std::min<int64_t>(int64_t(startScan) + scanLines, dib.height);
  // Wine counts all the lines of a top-down DIB for a rectangle wholly below it.
  if (dib.topDown && sourceY + h <= 0) return int(scanLines);
  if (w == 0 || h == 0 || scanLines == 0 || sourceX >= dib.width || sourceX + w <= 0 ||
      startScan >= dib.height || sourceY >= bandEnd) {
    return 0;
  }
  int result = dib.topDown ? int(scanLines)
                           : int(std::max<int64_t>(0, std::min(sourceY + h, bandEnd) - startScan));

  int64_t firstX = std::max<int64_t>(sourceX, 0);
  int64_t endX = std::min(sourceX + w, dib.width);
  // Destination column of source column x is x + shiftX; of row r, shiftY - r.
  int64_t shiftX = int64_t(destX) - sourceX;
  int64_t shiftY = int64_t(destY) + sourceY + h - 1;
  firstX = std::max(firstX, target.clip.left - shiftX);
  endX = std::min(endX, target.clip.right - shiftX);
  int64_t firstRow = std::max<int64_t>({sourceY, startScan, shiftY - (target.clip.bottom - 1)});
  int64_t endRow = std::min({sourceY + h, bandEnd, shiftY - target.clip.top + 1});
  if (firstRow >= endRow || firstX >= endX) return result;
  const RECT area = {LONG(firstX + shiftX), LONG(shiftY - (endRow - 1)), LONG(endX + shiftX),
                     LONG(shiftY - firstRow + 1)};
  WillDraw(target, area);
  for (int64_t r = firstRow; r < endRow; ++r) {
    int64_t stored = dib.topDown ? dib.height - 1 - r : r - startScan;
    DecodeRow(dib, dib.bits + size_t(stored) * dib.stride, firstX, endX - firstX,
              TargetRow(target, shiftY - r) + firstX + shiftX);
  }
  TargetDrawn(target, area);
  return result;
}

int WINAPI StretchDIBits(HDC dc, int destX, int destY, int destWidth, int destHeight, int sourceX,
                         int sourceY, int sourceWidth, int sourceHeight, const void* bits,
                         const BITMAPINFO* info, UINT usage, DWORD rop) {
  const char* call = "StretchDIBits";
  if (rop != SRCCOPY) PlatformUnsupported(call, "raster operations other than SRCCOPY");
  if (destWidth < 0 || destHeight < 0 || sourceWidth < 0 || sourceHeight < 0) {
    PlatformUnsupported(call, "mirroring (negative extents)");
  }
  GdiTarget target;
  Dib dib;
  if (!GdiDrawingTarget(dc, call, &target, GdiUse::kWrite) ||
      !ReadDib(call, info, bits, usage, &dib))
    return 0;
  int64_t sx = sourceX;
  int64_t sy = sourceY;
  int64_t sw = sourceWidth;
  int64_t sh = sourceHeight;
  if (sw == 0 || sh == 0 || sx >= dib.width || sx + sw <= 0 || sy >= dib.height || sy + sh <= 0) {
    return 0;
  }
  if (sx < 0 || sy < 0 || sx + sw > dib.width || sy + sh > dib.height) {
    PlatformUnsupported(call, "source rectangles crossing the DIB's edge");
  }
  int result = int(dib.height);
  if (destWidth == 0 || destHeight == 0) return result;
  if (target.stretchMode == HALFTONE) PlatformUnsupported(call, "HALFTONE stretching");
  if ((destWidth < sw || destHeight < sh) && target.stretchMode != COLORONCOLOR) {
    PlatformUnsupported(call, "shrinking in modes other than COLORONCOLOR");
  }

  int64_t firstX = std::max<int64_t>(target.clip.left, destX);
  int64_t endX = std::min<int64_t>(target.clip.right, int64_t(destX) + destWidth);
  int64_t firstY = std::max<int64_t>(target.clip.top, destY);
  int64_t endY = std::min<int64_t>(target.clip.bottom, int64_t(destY) + destHeight);
  if (firstX >= endX || firstY >= endY) return result;
  const RECT area = {LONG(firstX), LONG(firstY), LONG(endX), LONG(endY)};
  WillDraw(target, area);

  std::vector<int64_t> columns(size_t(endX - firstX));
  for (int64_t x = firstX; x < endX; ++x) {
    columns[size_t(x - firstX)] = sx + NearestColumn(x - destX, sw, destWidth);
  }
  // The source rectangle's top row, counted from the DIB's top.
  int64_t top = dib.height - sy - sh;
  const uint32_t* previous = nullptr;
  int64_t sampled = -1;
  for (int64_t y = firstY; y < endY; ++y) {
    int64_t fromTop = top + NearestRow(y - destY, sh, destHeight);
    uint32_t* out = TargetRow(target, y) + firstX;
    if (fromTop == sampled) {
      // An enlarged picture repeats rows: copy the one just drawn.
      std::memcpy(out, previous, columns.size() * sizeof *out);
      continue;
    }
    int64_t stored = dib.topDown ? fromTop : dib.height - 1 - fromTop;
    SampleRow(dib, dib.bits + size_t(stored) * dib.stride, columns, out);
    previous = out;
    sampled = fromTop;
  }
  TargetDrawn(target, area);
  return result;
}
