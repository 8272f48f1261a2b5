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
  // A memory DC's default 1x1 monochrome bitmap: any colour may be drawn into
  // its pixel, but it reads back as white only where white was drawn, black
  // elsewhere (see MonochromePixel).
  bool monochrome;
  // For a memory DC: its bitmap (the GDI object), NULL for a window DC.
  void* bitmap;
  // For a window DC: the window whose pixels these are (the root, which has
  // pixels of its own), where the DC's origin lies in them, and their height.
  // NULL for a memory DC.
  HWND window;
  POINT origin;
  int32_t height;
};

// What a monochrome pixel holds: white (the background colour) stays white,
// every other colour is black.
inline uint32_t MonochromePixel(uint32_t pixel) {
  return pixel == 0xFFFFFF ? 0xFFFFFF : 0x000000;
}

// What a call does with a DC's pixels: reads them (as BitBlt's source), or
// writes a rectangle of them without reading it.
enum class GdiUse { kRead, kWrite };

// Fills target for a drawing call; false when dc is no device context, in
// which case the call fails as on Windows. The screen's DC cannot be drawn on
// here and is reported as unsupported for call. A window DC's window counts as
// drawn on, so that its pixels reach the screen; each call that writes into it
// reports the rectangle it wrote (TargetDrawn, changed_area.h).
bool GdiDrawingTarget(HDC dc, const char* call, GdiTarget* target, GdiUse use);
// A call that asked for kWrite is about to write every pixel of area (within
// the clip) and nothing else: a new bitmap's pixels around it are filled first.
void WillDraw(const GdiTarget& target, const RECT& area);
