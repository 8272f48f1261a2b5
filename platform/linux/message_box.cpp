// Message boxes.
//
// Implemented:
//   MessageBoxA  always writes "caption: text" as one line to standard error,
//                so that scripts can read it; then shows an SDL2 message box
//                when a display is there. With none (no display, or SDL's
//                dummy or offscreen video driver) it returns as if the default
//                button had been pressed. Buttons: MB_OK, MB_OKCANCEL,
//                MB_ABORTRETRYIGNORE, MB_YESNOCANCEL, MB_YESNO, MB_RETRYCANCEL;
//                icons: hand, question, exclamation, asterisk; MB_DEFBUTTON1-3.
//                Escape answers IDCANCEL where the box has Cancel, and IDOK in
//                a box with only OK, as on Windows.
// Not implemented: the owner window (boxes are not modal to it), any other
//                MB_ flag (reported as unsupported), help buttons.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/linux/unsupported.h"
#include "platform/linux/win32_api.h"

namespace {

struct ButtonSet {
  int count;
  int ids[3];
  const char* labels[3];
};

const ButtonSet kButtonSets[] = {
    {1, {IDOK}, {"OK"}},
    {2, {IDOK, IDCANCEL}, {"OK", "Cancel"}},
    {3, {IDABORT, IDRETRY, IDIGNORE}, {"Abort", "Retry", "Ignore"}},
    {3, {IDYES, IDNO, IDCANCEL}, {"Yes", "No", "Cancel"}},
    {2, {IDYES, IDNO}, {"Yes", "No"}},
    {2, {IDRETRY, IDCANCEL}, {"Retry", "Cancel"}},
};

bool DisplayAvailable() {
  const char* driver = SDL_getenv("SDL_VIDEODRIVER");
  if (driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0)) {
    return false;
  }
  const char* display = SDL_getenv("DISPLAY");
  const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
  return (display && *display) || (wayland && *wayland);
}

Uint32 IconFlags(UINT icon) {
  switch (icon) {
    case MB_ICONHAND:
      return SDL_MESSAGEBOX_ERROR;
    case MB_ICONEXCLAMATION:
      return SDL_MESSAGEBOX_WARNING;
    case MB_ICONQUESTION:
    case MB_ICONASTERISK:
      return SDL_MESSAGEBOX_INFORMATION;
    default:
      return 0;
  }
}

}  // namespace

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  const UINT known = MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK;
  UINT buttons = type & MB_TYPEMASK, icon = type & MB_ICONMASK;
  UINT defaultIndex = (type & MB_DEFMASK) >> 8;
  if ((type & ~known) != 0 || buttons > MB_RETRYCANCEL || icon > MB_ICONASTERISK) {
    PlatformUnsupported("MessageBoxA", "a style flag outside buttons, icon and default button");
  }
  if (caption == nullptr) caption = "Error";
  if (text == nullptr) text = "";
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);

  const ButtonSet& set = kButtonSets[buttons];
  // Windows falls back to the first button when the default names none.
  if (defaultIndex >= UINT(set.count)) defaultIndex = 0;
  int defaultId = set.ids[defaultIndex];
  if (!DisplayAvailable()) return defaultId;

  int escapeId = set.count == 1 ? IDOK : 0;
  SDL_MessageBoxButtonData data[3] = {};
  for (int i = 0; i < set.count; ++i) {
    data[i].buttonid = set.ids[i];
    data[i].text = set.labels[i];
    if (UINT(i) == defaultIndex) data[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (set.ids[i] == IDCANCEL) escapeId = IDCANCEL;
  }
  for (int i = 0; i < set.count; ++i) {
    if (set.ids[i] == escapeId) data[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  }
  SDL_MessageBoxData box = {};
  box.flags = IconFlags(icon) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  box.title = caption;
  box.message = text;
  box.numbuttons = set.count;
  box.buttons = data;
  int pressed = 0;
  if (SDL_ShowMessageBox(&box, &pressed) != 0 || pressed <= 0) {
    // The box could not be shown, or was closed without a button (Escape in
    // a box without Cancel): the default answer stands.
    return defaultId;
  }
  return pressed;
}
