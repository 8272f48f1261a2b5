#include "tests/support/message_box_answers.h"

#if defined(_WIN32)
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32.h"

namespace {

HHOOK boxHook;

LRESULT CALLBACK AnswerBox(int code, WPARAM wParam, LPARAM lParam) {
  // The probes make no windows of their own: what activates is a box.
  HWND box = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_ACTIVATE) {
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

void AnswerMessageBoxes() {
  boxHook = SetWindowsHookExA(WH_CBT, AnswerBox, nullptr, GetCurrentThreadId());
}

#else

void AnswerMessageBoxes() {}

#endif
