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

namespace {

constexpr int kClientWidth = 64;
constexpr int kClientHeight = 48;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzScratchDir();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = WriteScratchFile("picture.bmp", data, size);
  PackedDib dib = LoadPackedDib(path.c_str());
  if (dib == nullptr) return 0;
  const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
  RECT picture = {0, 0, 0, 0};
  if (header != nullptr) {
    picture.right = PackedDibWidth(header);
    picture.bottom = PackedDibHeight(header);
    GlobalUnlock(dib);
  }
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, kClientWidth, kClientHeight);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  const RECT client = {0, 0, kClientWidth, kClientHeight};
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
