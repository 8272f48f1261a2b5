// What the drawing calls of the GDI layer share: the pixels a device context
// draws on. Every DC draws into a bitmap (a memory DC into the one selected in
// it, a window DC into its window's pixels), within a clip rectangle in the
// DC's coordinates, which are the bitmap's.
#pragma once

#include <cstdint>

#include "platform/linux/win32_api.h"

// Pixels are 0x00RRGGBB, rows top first, width pixels to a row.
struct GdiTarget {
  uint32_t* pixels;
  int32_t width;
  RECT clip;
  int stretchMode;
};

// Fills target for a drawing call; false when dc is no device context, in
// which case the call fails as on Windows. DCs that cannot be drawn on here
// (the screen's, one holding its default monochrome bitmap) are reported as
// unsupported for call. A window DC's window counts as drawn on, so that its
// pixels reach the screen.
bool GdiDrawingTarget(HDC dc, const char* call, GdiTarget* target);
