#include "show/show_cycle.h"

#include <cstdint>

#include "effects/transition.h"
#include "image/draw_packed_dib.h"
#include "image/fit_picture.h"
#include "image/jpeg_to_bmp.h"
#include "image/packed_dib.h"
#include "package/show_state.h"
#include "show/show_random.h"

int32_t LastPictureIndex = -1;
FILE* packageFile = nullptr;

namespace {

constexpr DWORD kTempPathSize = 260;

int32_t ChoosePicture() {
  int32_t n = showState.imageCount;
  int32_t k;
  if (showState.settings.Shuffle != 0 && n > 1) {
    do {
      k = ShowRandom() % n;
    } while (k == LastPictureIndex);
  } else {
    k = LastPictureIndex + 1;
    if (k >= n) k = 0;
  }
  LastPictureIndex = k;
  return k;
}

// Copies the picture's bytes out of the package into a file of its own, as far
// as the package holds them, so that a damaged package cannot fill the disk.
// Returns whether the file got any bytes; an empty one has nothing to decode.
bool ExtractPicture(const ShowRecord& picture, const char* jpegName) {
  bool positioned = std::fseek(packageFile, long(picture.start), SEEK_SET) == 0;
  FILE* jpeg = std::fopen(jpegName, "wb");
  if (jpeg == nullptr) {
    MessageBeep(MB_ICONASTERISK);
    return false;
  }
  int32_t start = int32_t(picture.start), end = int32_t(picture.end);
  size_t written = 0;
  if (positioned && start < end) {
    static char buffer[64 * 1024];
    uint32_t remaining = uint32_t(end) - uint32_t(start);
    while (remaining > 0) {
      size_t want = remaining < sizeof buffer ? remaining : sizeof buffer;
      size_t got = std::fread(buffer, 1, want, packageFile);
      if (got == 0) break;
      size_t put = std::fwrite(buffer, 1, got, jpeg);
      written += put;
      if (put != got) break;
      remaining -= uint32_t(got);
    }
  }
  std::fclose(jpeg);
  return written > 0;
}

// Composes the frame off screen, black around the picture, and brings it onto
// the window with a transition or in one copy.
void DrawPicture(HDC dc, const RECT& client, PackedDib dib) {
  const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
  if (header == nullptr) return;
  RECT source = {0, 0, PackedDibWidth(header), PackedDibHeight(header)};
  RECT destination;
  FitPictureRect(client, source, destination);
  HDC memoryDc = CreateCompatibleDC(dc);
  HBITMAP frame = CreateCompatibleBitmap(dc, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memoryDc, frame);
  FillRect(memoryDc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  DrawPackedDib(memoryDc, destination, dib, source);
  SetStretchBltMode(dc, COLORONCOLOR);
  if (showState.settings.UseEff != 0)
    RunTransition(dc, memoryDc, client);
  else
    BitBlt(dc, 0, 0, client.right, client.bottom, memoryDc, 0, 0, SRCCOPY);
  SelectObject(memoryDc, old);
  DeleteObject(frame);
  DeleteDC(memoryDc);
  GlobalUnlock(dib);
}

}  // namespace

void ShowNextPicture(HWND window) {
  HDC dc = GetDC(window);
  RECT client = {};
  GetClientRect(window, &client);
  // Each cycle hides the cursor once more on a full screen; small windows
  // (the preview) keep it.
  if (client.right - client.left > 600) ShowCursor(FALSE);

  char tempPath[kTempPathSize] = {};
  char bmpName[MAX_PATH] = {}, jpegName[MAX_PATH] = {};
  GetTempPathA(sizeof tempPath, tempPath);
  bool haveBmp = GetTempFileNameA(tempPath, "LVB", 0, bmpName) != 0;
  bool haveJpeg = GetTempFileNameA(tempPath, "LVJ", 0, jpegName) != 0;

  // Without pictures the window keeps what it shows.
  if (showState.imageCount >= 1) {
    const ShowRecord& picture = *showState.images[ChoosePicture()];
    if (!haveBmp || !haveJpeg) {
      // No place for the picture's files: say so, as when the picture's file
      // cannot be written, and keep the previous picture.
      MessageBeep(MB_ICONASTERISK);
    } else if (ExtractPicture(picture, jpegName) &&
               ConvertJpegToBmp(jpegName, bmpName) == kBmpComplete) {
      // A picture that cannot be decoded or loaded leaves the previous one.
      PackedDib dib = LoadPackedDib(bmpName);
      if (dib != nullptr) {
        DrawPicture(dc, client, dib);
        FreePackedDib(dib);
      }
    }
  }

  if (haveBmp) DeleteFileA(bmpName);
  if (haveJpeg) DeleteFileA(jpegName);
  ReleaseDC(window, dc);
}
