// Message boxes.
//
// Implemented:
//   MessageBoxA  always writes "caption: text" as one line to standard error,
//                so that scripts can read it; then shows an SDL2 message box
//                when a display is there; last writes the answer as a second
//                line, "caption: answered Yes". Buttons: MB_OK, MB_OKCANCEL,
//                MB_ABORTRETRYIGNORE, MB_YESNOCANCEL, MB_YESNO, MB_RETRYCANCEL;
//                icons: hand, question, exclamation, asterisk; MB_DEFBUTTON1-3.
//                Escape answers IDCANCEL where the box has Cancel, and IDOK in
//                a box with only OK, as on Windows; elsewhere it does nothing.
//                A box that nobody answers gets the negative answer: IDCANCEL
//                where the box has Cancel, IDOK in a box with only OK, IDNO in
//                Yes/No and IDABORT in Abort/Retry/Ignore. That is the answer
//                when there is no display (none named, or SDL's dummy or
//                offscreen video driver), when the box cannot be shown, and
//                when it is closed without a button (the window manager's
//                close, which Windows does not offer where Escape does
//                nothing); the answer line then says why, for example
//                "caption: answered No (no display)".
// Not implemented: the owner window (boxes are not modal to it), any other
//                MB_ flag (reported as unsupported), help buttons.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/linux/unsupported.h"
#include "platform/linux/win32_api.h"

namespace {

struct ButtonSet {
  int count;
  int ids[3];
  const char* labels[3];
  // The answer of a box that nobody answers: never one that goes ahead.
  int unanswered;
};

const ButtonSet kButtonSets[] = {
    {1, {IDOK}, {"OK"}, IDOK},
    {2, {IDOK, IDCANCEL}, {"OK", "Cancel"}, IDCANCEL},
    {3, {IDABORT, IDRETRY, IDIGNORE}, {"Abort", "Retry", "Ignore"}, IDABORT},
    {3, {IDYES, IDNO, IDCANCEL}, {"Yes", "No", "Cancel"}, IDCANCEL},
    {2, {IDYES, IDNO}, {"Yes", "No"}, IDNO},
    {2, {IDRETRY, IDCANCEL}, {"Retry", "Cancel"}, IDCANCEL},
};

const char* ButtonLabel(int id) {
  for (const ButtonSet& set : kButtonSets) {
    for (int i = 0; i < set.count; ++i)
      if (set.ids[i] == id) return set.labels[i];
  }
  return "?";
}

// The answer line beside the "caption: text" line; `reason` says why nobody
// pressed a button, or is null when someone did.
int Answered(const char* caption, int id, const char* reason) {
  if (reason != nullptr)
    std::fprintf(stderr, "%s: answered %s (%s)\n", caption, ButtonLabel(id), reason);
  else
    std::fprintf(stderr, "%s: answered %s\n", caption, ButtonLabel(id));
  std::fflush(stderr);
  return id;
}

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
  // A question that cannot be put to anyone must not be taken as a yes.
  if (!DisplayAvailable()) return Answered(caption, set.unanswered, "no display");

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
  // SDL puts the box up from a child process, which now and then fails before
  // the box is shown when the display is busy; a second try is cheap, and a
  // question left unasked would be taken as No.
  if (SDL_ShowMessageBox(&box, &pressed) != 0 && SDL_ShowMessageBox(&box, &pressed) != 0) {
    const std::string reason = std::string("the box could not be shown: ") + SDL_GetError();
    return Answered(caption, set.unanswered, reason.c_str());
  }
  // SDL gives -1 for a box closed by its window's close button.
  if (pressed <= 0) return Answered(caption, set.unanswered, "closed without a button");
  return Answered(caption, pressed, nullptr);
}
