#include "image/fit_picture.h"

#include <cstdint>

#include "package/show_state.h"

void FitPictureRect(const RECT& client, const RECT& picture, RECT& destination) {
  int32_t clientWidth = client.right - client.left;
  int32_t clientHeight = client.bottom - client.top;
  int32_t pictureWidth = picture.right - picture.left;
  int32_t pictureHeight = picture.bottom - picture.top;
  if (showState.settings.Resize != 0) {
    // Each quotient and product is stored in a volatile double, so that the
    // 32-bit Windows build rounds it to double as the native build does; its
    // x87 unit would otherwise keep excess precision and put some pictures a
    // pixel off (a 200x265 picture 599 rows high in 600 instead of 600).
    volatile double scaleX = double(clientWidth) / pictureWidth;
    volatile double scaleY = double(clientHeight) / pictureHeight;
    double scale = scaleX < scaleY ? scaleX : scaleY;
    volatile double width = scale * pictureWidth;
    volatile double height = scale * pictureHeight;
    int32_t w = int32_t(width);
    int32_t h = int32_t(height);
    int32_t left = (clientWidth - w) / 2;
    int32_t top = (clientHeight - h) / 2;
    destination = RECT{left, top, left + w, top + h};
  } else {
    int32_t left = pictureWidth < clientWidth ? (clientWidth - pictureWidth) / 2 : 0;
    int32_t top = pictureHeight < clientHeight ? (clientHeight - pictureHeight) / 2 : 0;
    destination = RECT{left, top, left + pictureWidth, top + pictureHeight};
  }
}
