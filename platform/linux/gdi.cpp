// Device contexts, bitmaps and brushes, and the drawing calls other than DIBs
// (those are in gdi_dib.cpp).
//
// Implemented:
//   GetDC(NULL)            a screen DC, good only as the reference for the two
//                          calls below; ReleaseDC frees it (1; 0 for any other
//                          DC).
//   GetDC(window)          the window's DC, the same one every time, drawing
//                          into the window's pixels (windows.cpp). Unless the
//                          window's class has CS_OWNDC its settings (brush,
//                          stretch mode) start afresh at every GetDC, as with
//                          Windows' common DCs. ReleaseDC gives 1 for it and
//                          keeps it; it goes with the window.
//   CreateCompatibleDC     a memory DC (from NULL, the screen DC or another
//                          memory DC) holding the default 1x1 bitmap, the
//                          white brush and the BLACKONWHITE stretch mode.
//   CreateCompatibleBitmap a colour bitmap of 32-bit pixels, black at first
//                          (Windows leaves it undefined). A width or height
//                          of 0 gives the default bitmap, from any DC; a
//                          negative one, or one too large to allocate, NULL.
//                          Its memory is written late: a fill of the whole
//                          bitmap only records the colour, which the next
//                          drawing call writes around what it draws itself,
//                          and a read everywhere.
//   SelectObject           bitmaps into memory DCs, brushes into any DC;
//                          returns the previous one. NULL for a bitmap that
//                          another DC holds, or for the screen or a window DC.
//   DeleteObject           FALSE for a bitmap still selected into a DC, as
//                          Windows documents (Wine instead deletes it when it
//                          is deselected); TRUE and nothing done for a stock
//                          object; FALSE for an unknown handle.
//   DeleteDC               a memory DC, releasing its bitmap.
//   GetStockObject         BLACK_BRUSH.
//   FillRect               with the black brush or the white one DCs start
//                          with, clipped to the bitmap; an empty rectangle
//                          draws nothing.
//   BitBlt                 SRCCOPY between memory DCs, clipped to both
//                          bitmaps: destination pixels whose source lies
//                          outside the source bitmap stay as they were, as
//                          Wine does. Overlapping copies within one bitmap.
//                          Zero extents copy nothing.
// The default bitmap that a memory DC holds, 1x1 and monochrome, is drawn on
// like any other (so that a frame of a window with no client area, which
// CreateCompatibleBitmap gives as this bitmap, can be drawn and copied): its
// one pixel reads back white where white was drawn and black otherwise.
//   Set/GetStretchBltMode  the four modes; any other value is refused (0).
//   GetPixel               COLORREF of a pixel, CLR_INVALID outside the bitmap
//                          (for a window DC, outside the window's pixels).
// Handles are checked: a deleted object's or DC's handle is refused, not
// mistaken for a new one.
// Not implemented: deleting a window DC, drawing on or reading the screen DC,
//   other monochrome bitmaps (CreateCompatibleBitmap of a non-zero size on a
//   DC that holds the default bitmap), brushes other than the stock black and
//   white ones,
//   raster operations other than SRCCOPY, negative BitBlt extents, mapping
//   modes and clip regions.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/linux/changed_area.h"
#include "platform/linux/gdi_target.h"
#include "platform/linux/handle_table.h"
#include "platform/linux/unsupported.h"
#include "platform/linux/win32_api.h"
#include "platform/linux/windowing.h"

namespace {

enum class ObjectKind { kBitmap, kBrush };

struct GdiObject {
  ObjectKind kind = ObjectKind::kBitmap;
  bool stock = false;
  // Bitmaps.
  int32_t width = 0;
  int32_t height = 0;
  std::unique_ptr<uint32_t[]> pixels;
  HDC selectedInto = nullptr;  // never set for the stock default bitmap
  // All pixels are unfilledColor but their memory is not written yet. A new
  // frame is filled whole and then mostly drawn over by a picture: the first
  // drawing call writes the colour only around what it draws itself.
  bool unfilled = false;
  uint32_t unfilledColor = 0;
  // Brushes.
  uint32_t color = 0;
};

struct DeviceContext {
  bool screen = false;
  HWND window = nullptr;     // window DCs only
  HGDIOBJ bitmap = nullptr;  // memory DCs only
  HGDIOBJ brush = nullptr;
  int stretchMode = BLACKONWHITE;
};

HandleTable<GdiObject> objects(0);
HandleTable<DeviceContext> contexts(4);
// The DC of each window that has asked for one.
std::vector<std::pair<HWND, HDC>> windowContexts;

struct StockObjects {
  HGDIOBJ blackBrush;
  HGDIOBJ whiteBrush;
  HGDIOBJ defaultBitmap;
};

HGDIOBJ AddObject(GdiObject object) {
  return reinterpret_cast<HGDIOBJ>(objects.Add(std::move(object)));
}

HGDIOBJ AddStockBrush(uint32_t color) {
  GdiObject brush;
  brush.kind = ObjectKind::kBrush;
  brush.stock = true;
  brush.color = color;
  return AddObject(std::move(brush));
}

const StockObjects& Stock() {
  static const StockObjects stock = [] {
    StockObjects made;
    made.blackBrush = AddStockBrush(0x000000);
    made.whiteBrush = AddStockBrush(0xFFFFFF);
    GdiObject bitmap;
    bitmap.stock = true;
    bitmap.width = 1;
    bitmap.height = 1;
    bitmap.pixels.reset(new uint32_t[1]());
    made.defaultBitmap = AddObject(std::move(bitmap));
    return made;
  }();
  return stock;
}

HDC NewContext(bool screen, HWND window = nullptr) {
  DeviceContext dc;
  dc.screen = screen;
  dc.window = window;
  dc.bitmap = screen || window ? nullptr : Stock().defaultBitmap;
  dc.brush = Stock().whiteBrush;
  return reinterpret_cast<HDC>(contexts.Add(dc));
}

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

// The rectangle from (x, y) of the given extents, limited to what a LONG holds
// so that extents near INT_MAX cannot overflow.
RECT RectAt(int64_t x, int64_t y, int64_t width, int64_t height) {
  auto limit = [](int64_t v) {
    return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  };
  return RECT{limit(x), limit(y), limit(x + width), limit(y + height)};
}

// Writes the colour of an unfilled bitmap into its pixels outside keep.
void FillAround(GdiObject* bitmap, const RECT& keep) {
  if (!bitmap->unfilled) return;
  bitmap->unfilled = false;
  const uint32_t color = bitmap->unfilledColor;
  for (LONG y = 0; y < bitmap->height; ++y) {
    uint32_t* row = bitmap->pixels.get() + size_t(y) * bitmap->width;
    if (y < keep.top || y >= keep.bottom || keep.left >= keep.right) {
      std::fill(row, row + bitmap->width, color);
    } else {
      std::fill(row, row + keep.left, color);
      std::fill(row + keep.right, row + bitmap->width, color);
    }
  }
}

// The bitmap's pixels, every one written.
uint32_t* BitmapPixels(GdiObject* bitmap) {
  FillAround(bitmap, RECT{});
  return bitmap->pixels.get();
}

}  // namespace

bool GdiDrawingTarget(HDC dc, const char* call, GdiTarget* target, GdiUse use) {
  DeviceContext* context = contexts.Find(dc);
  if (context == nullptr) return false;
  if (context->window != nullptr) {
    if (!WindowDrawingArea(context->window, target)) return false;
    target->stretchMode = context->stretchMode;
    target->monochrome = false;
    target->bitmap = nullptr;
    WindowDrawn(context->window);
    return true;
  }
  if (context->screen) PlatformUnsupported(call, "pixels of the screen DC");
  GdiObject* bitmap = objects.Find(context->bitmap);
  target->pixels = use == GdiUse::kWrite ? bitmap->pixels.get() : BitmapPixels(bitmap);
  target->bitmap = bitmap;
  target->width = bitmap->width;
  target->clip = RECT{0, 0, bitmap->width, bitmap->height};
  target->stretchMode = context->stretchMode;
  target->monochrome = context->bitmap == Stock().defaultBitmap;
  target->window = nullptr;
  return true;
}

void WillDraw(const GdiTarget& target, const RECT& area) {
  if (target.bitmap == nullptr || area.left >= area.right || area.top >= area.bottom) return;
  FillAround(static_cast<GdiObject*>(target.bitmap), area);
}

void GdiWindowDestroyed(HWND window) {
  ForgetChangedArea(window);
  for (auto it = windowContexts.begin(); it != windowContexts.end(); ++it) {
    if (it->first == window) {
      contexts.Remove(it->second);
      windowContexts.erase(it);
      return;
    }
  }
}

HDC WINAPI GetDC(HWND window) {
  if (window == nullptr) return NewContext(true);
  if (!WindowExists(window)) return nullptr;
  for (const auto& [owner, dc] : windowContexts) {
    if (owner != window) continue;
    if (!WindowHasOwnDC(window)) {
      DeviceContext* context = contexts.Find(dc);
      context->brush = Stock().whiteBrush;
      context->stretchMode = BLACKONWHITE;
    }
    return dc;
  }
  HDC dc = NewContext(false, window);
  windowContexts.emplace_back(window, dc);
  return dc;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
  DeviceContext* context = contexts.Find(dc);
  if (context == nullptr) return 0;
  if (window != nullptr) return context->window == window ? 1 : 0;
  if (!context->screen) return 0;
  contexts.Remove(dc);
  return 1;
}

HDC WINAPI CreateCompatibleDC(HDC dc) {
  if (dc != nullptr && contexts.Find(dc) == nullptr) return nullptr;
  return NewContext(false);
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height) {
  DeviceContext* context = contexts.Find(dc);
  if (context == nullptr || width < 0 || height < 0) return nullptr;
  if (width == 0 || height == 0) return static_cast<HBITMAP>(Stock().defaultBitmap);
  if (context->bitmap == Stock().defaultBitmap) {
    PlatformUnsupported("CreateCompatibleBitmap",
                        "monochrome bitmaps (the DC holds its default bitmap)");
  }
  // Beyond 2 GiB of pixels, as a 32-bit process could not hold them either.
  if (int64_t(width) * height > INT32_MAX / 4) return nullptr;
  GdiObject bitmap;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.pixels.reset(new (std::nothrow) uint32_t[size_t(width) * height]);
  if (bitmap.pixels == nullptr) return nullptr;
  bitmap.unfilled = true;
  return static_cast<HBITMAP>(AddObject(std::move(bitmap)));
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
  DeviceContext* context = contexts.Find(dc);
  GdiObject* selected = objects.Find(object);
  if (context == nullptr || selected == nullptr) return nullptr;
  HGDIOBJ previous;
  if (selected->kind == ObjectKind::kBrush) {
    previous = context->brush;
    context->brush = object;
    return previous;
  }
  if (context->screen || context->window != nullptr) return nullptr;
  if (selected->selectedInto == dc) return object;
  if (selected->selectedInto != nullptr) return nullptr;
  previous = context->bitmap;
  objects.Find(previous)->selectedInto = nullptr;
  if (!selected->stock) selected->selectedInto = dc;
  context->bitmap = object;
  return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  GdiObject* found = objects.Find(object);
  if (found == nullptr || found->selectedInto != nullptr) return FALSE;
  if (!found->stock) objects.Remove(object);
  return TRUE;
}

BOOL WINAPI DeleteDC(HDC dc) {
  DeviceContext* context = contexts.Find(dc);
  if (context == nullptr) return FALSE;
  if (context->screen) PlatformUnsupported("DeleteDC", "the screen DC (ReleaseDC frees it)");
  if (context->window != nullptr) PlatformUnsupported("DeleteDC", "a window DC");
  objects.Find(context->bitmap)->selectedInto = nullptr;
  contexts.Remove(dc);
  return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int index) {
  if (index != BLACK_BRUSH) PlatformUnsupported("GetStockObject", "objects other than BLACK_BRUSH");
  return Stock().blackBrush;
}

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  GdiTarget target;
  if (!GdiDrawingTarget(dc, "FillRect", &target, GdiUse::kWrite) || rect == nullptr) return 0;
  GdiObject* found = objects.Find(brush);
  if (found == nullptr || found->kind != ObjectKind::kBrush) {
    PlatformUnsupported("FillRect", "brushes other than the stock black and white ones");
  }
  RECT area = Intersect(*rect, target.clip);
  auto* bitmap = static_cast<GdiObject*>(target.bitmap);
  if (bitmap != nullptr && bitmap->unfilled && area.left == 0 && area.top == 0 &&
      area.right == bitmap->width && area.bottom == bitmap->height) {
    bitmap->unfilledColor = found->color;
    return 1;
  }
  WillDraw(target, area);
  for (LONG y = area.top; y < area.bottom; ++y) {
    uint32_t* row = target.pixels + size_t(y) * target.width;
    std::fill(row + area.left, row + area.right, found->color);
  }
  TargetDrawn(target, area);
  return 1;
}

BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX,
                   int sourceY, DWORD rop) {
  if (rop != SRCCOPY) PlatformUnsupported("BitBlt", "raster operations other than SRCCOPY");
  if (width < 0 || height < 0) PlatformUnsupported("BitBlt", "negative extents");
  GdiTarget to;
  GdiTarget from;
  if (!GdiDrawingTarget(dest, "BitBlt", &to, GdiUse::kWrite)) return FALSE;
  if (source == nullptr || !GdiDrawingTarget(source, "BitBlt", &from, GdiUse::kRead)) return FALSE;
  // The source's clip, moved to destination coordinates, limits the copy too.
  int64_t dx = int64_t(x) - sourceX;
  int64_t dy = int64_t(y) - sourceY;
  RECT area = Intersect(RectAt(x, y, width, height), to.clip);
  area =
      Intersect(area, RectAt(from.clip.left + dx, from.clip.top + dy,
                             from.clip.right - from.clip.left, from.clip.bottom - from.clip.top));
  WillDraw(to, area);
  size_t count = size_t(area.right - area.left);
  auto copyRow = [&](LONG row) {
    uint32_t* out = to.pixels + size_t(row) * to.width + area.left;
    std::memmove(out, from.pixels + size_t(row - dy) * from.width + (area.left - dx),
                 count * sizeof(uint32_t));
    if (from.monochrome) std::transform(out, out + count, out, MonochromePixel);
  };
  // Within one bitmap, rows copied downwards go bottom first so that none is
  // overwritten before it is read; memmove takes care of each row.
  if (to.pixels == from.pixels && dy > 0) {
    for (LONG row = area.bottom - 1; row >= area.top; --row)
      copyRow(row);
  } else {
    for (LONG row = area.top; row < area.bottom; ++row)
      copyRow(row);
  }
  TargetDrawn(to, area);
  return TRUE;
}

int WINAPI SetStretchBltMode(HDC dc, int mode) {
  DeviceContext* context = contexts.Find(dc);
  if (context == nullptr || mode < BLACKONWHITE || mode > HALFTONE) return 0;
  int previous = context->stretchMode;
  context->stretchMode = mode;
  return previous;
}

int WINAPI GetStretchBltMode(HDC dc) {
  DeviceContext* context = contexts.Find(dc);
  return context ? context->stretchMode : 0;
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
  DeviceContext* context = contexts.Find(dc);
  if (context == nullptr) return CLR_INVALID;
  if (context->screen) PlatformUnsupported("GetPixel", "reading the screen DC");
  uint32_t pixel;
  if (context->window != nullptr) {
    GdiTarget target;
    if (!WindowDrawingArea(context->window, &target)) return CLR_INVALID;
    if (x < 0 || y < 0 || x >= target.clip.right || y >= target.clip.bottom) return CLR_INVALID;
    pixel = target.pixels[size_t(y) * target.width + x];
  } else {
    GdiObject* bitmap = objects.Find(context->bitmap);
    if (x < 0 || y < 0 || x >= bitmap->width || y >= bitmap->height) return CLR_INVALID;
    pixel = BitmapPixels(bitmap)[size_t(y) * bitmap->width + x];
    if (context->bitmap == Stock().defaultBitmap) pixel = MonochromePixel(pixel);
  }
  return RGB(pixel >> 16, pixel >> 8, pixel);
}
