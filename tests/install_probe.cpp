// Loads the show appended to its own file, as the player does: under a name
// ending in "exe" that is the install offer, after which the process ends.
// Prints "not offered" otherwise.
//
// On Windows a hook answers each message box as it opens, with the answer
// named by LV_BOX_ANSWER ("yes" or "no") where the box asks, with OK where it
// only tells, and writes "caption: text" to standard error as the Linux
// layer's message box does. On Linux the layer's own boxes answer: with the
// default button when there is no display, or as a person clicks.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "package/show_state.h"
#include "platform/win32.h"

#if defined(_WIN32)
namespace {
HHOOK boxHook;

LRESULT CALLBACK AnswerMessageBoxes(int code, WPARAM wParam, LPARAM lParam) {
  HWND box = reinterpret_cast<HWND>(wParam);
  char className[16] = {};
  if (code == HCBT_ACTIVATE && GetClassNameA(box, className, sizeof className) &&
      lstrcmpA(className, "#32770") == 0) {
    char caption[256] = {}, text[256] = {};
    GetWindowTextA(box, caption, sizeof caption);
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    const char* answer = std::getenv("LV_BOX_ANSWER");
    int button = IDOK;
    if (GetDlgItem(box, IDYES) != nullptr)
      button = answer != nullptr && std::strcmp(answer, "yes") == 0 ? IDYES : IDNO;
    PostMessageA(box, WM_COMMAND, WPARAM(button), 0);
  }
  return CallNextHookEx(boxHook, code, wParam, lParam);
}
}  // namespace
#endif

int main() {
#if defined(_WIN32)
  boxHook = SetWindowsHookExA(WH_CBT, AnswerMessageBoxes, nullptr, GetCurrentThreadId());
#endif
  std::fclose(LoadShow());
  std::printf("not offered\n");
  return 0;
}
