// The bitmap loader on any file, followed by what a picture change does with
// the bitmap: fitting it to a client area with Resize on and off, and drawing
// it into a memory DC of that size.
#include <cstdint>

#include "image/draw_packed_dib.h"
#include "image/fit_picture.h"
#include "image/packed_dib.h"
#include "package/show_state.h"
#include "platform/win32.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PackedDib dib = LoadPackedDib(WriteScratchFile("picture.bmp", data, size).c_str());
  if (dib == nullptr) return 0;
  const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
  const RECT picture = {0, 0, PackedDibWidth(header), PackedDibHeight(header)};
  GlobalUnlock(dib);
  const RECT client = {0, 0, 64, 48};
  HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  for (int32_t resize : {1, 0}) {
    showState.settings.Resize = resize;
    RECT destination;
    FitPictureRect(client, picture, destination);
    DrawPackedDib(dc, destination, dib, picture);
  }
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  FreePackedDib(dib);
  return 0;
}
