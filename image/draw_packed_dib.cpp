#include "image/draw_packed_dib.h"

#include <cstdint>

int DrawPackedDib(HDC dc, const RECT& destination, PackedDib dib, const RECT& source) {
  if (dib == nullptr) return 0;
  const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
  if (header == nullptr) return 0;
  const unsigned char* pixels = PackedDibPixels(header);
  const auto* info = reinterpret_cast<const BITMAPINFO*>(header);
  int32_t destWidth = destination.right - destination.left;
  int32_t destHeight = destination.bottom - destination.top;
  int32_t sourceWidth = source.right - source.left;
  int32_t sourceHeight = source.bottom - source.top;
  // Shrinking then drops the pixels it leaves out; the default BLACKONWHITE
  // would AND them together and darken the picture. The mode stays set.
  SetStretchBltMode(dc, COLORONCOLOR);
  int result;
  if (destWidth == sourceWidth && destHeight == sourceHeight) {
    // SetDIBitsToDevice counts source rows from the picture's bottom.
    int32_t height = PackedDibHeight(header);
    result = SetDIBitsToDevice(dc, destination.left, destination.top, destWidth, destHeight,
                               source.left, height - source.bottom, 0, uint16_t(height), pixels,
                               info, DIB_RGB_COLORS);
  } else {
    result =
        StretchDIBits(dc, destination.left, destination.top, destWidth, destHeight, source.left,
                      source.top, sourceWidth, sourceHeight, pixels, info, DIB_RGB_COLORS, SRCCOPY);
  }
  GlobalUnlock(dib);
  return result;
}
