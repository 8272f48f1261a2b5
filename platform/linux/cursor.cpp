// The wait and arrow cursors, and whether the cursor shows.
//
// Implemented:
//   LoadCursorA  the system's IDC_ARROW and IDC_WAIT (NULL instance): one
//                shared handle per cursor, the same on every call, as for
//                Windows' shared system cursors.
//   SetCursor    makes a cursor loaded here the current one, or none (NULL,
//                which hides it), and returns the previous one; a handle that
//                LoadCursorA did not give changes nothing and returns NULL,
//                as Windows does with an invalid cursor handle.
//   GetCursor    the current cursor; NULL until SetCursor is first called.
//   ShowCursor   the display counter, 0 at first as on Windows with a mouse.
// The cursor shows (SDL_ShowCursor, over our SDL windows) while the counter
// is at least 0 and SetCursor has not last set none; before SetCursor is
// first called the system's arrow shows. Which cursor shows is not changed:
// the arrow and the wait cursor look alike. The current cursor is one for the
// whole process, not one per thread.
// Not implemented: any other system cursor, cursors from a module's
//   resources or files, the cursor over other programs' windows, clipping.
//   Cursor positions are in input.cpp.
#include "platform/linux/unsupported.h"
#include "platform/linux/windowing.h"

namespace {

const LPCSTR kNames[] = {IDC_ARROW, IDC_WAIT};
const int kCursors = sizeof kNames / sizeof kNames[0];

// Any distinct non-null values serve: nothing dereferences a cursor handle.
HCURSOR HandleOf(int index) {
  return reinterpret_cast<HCURSOR>(uintptr_t(0x10000 + 4 * index));
}

HCURSOR current = nullptr;
bool cursorSet = false;
int displayCount = 0;

}  // namespace

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (instance != nullptr) {
    PlatformUnsupported("LoadCursorA", "cursors from a module's resources");
  }
  for (int i = 0; i < kCursors; ++i) {
    if (name == kNames[i]) return HandleOf(i);
  }
  PlatformUnsupported("LoadCursorA", "a system cursor other than IDC_ARROW and IDC_WAIT");
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  bool known = cursor == nullptr;
  for (int i = 0; i < kCursors; ++i) {
    if (cursor == HandleOf(i)) known = true;
  }
  if (!known) return nullptr;
  HCURSOR previous = current;
  current = cursor;
  cursorSet = true;
  ApplyCursorVisibility();
  return previous;
}

HCURSOR WINAPI GetCursor(void) {
  return current;
}

int WINAPI ShowCursor(BOOL show) {
  displayCount += show ? 1 : -1;
  ApplyCursorVisibility();
  return displayCount;
}

void ApplyCursorVisibility() {
  if (!VideoStarted()) return;
  bool shown = displayCount >= 0 && (current != nullptr || !cursorSet);
  SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}
