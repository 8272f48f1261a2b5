// Loads the show appended to this program's own file, as the player does, and
// prints what it found, one "name=value" line each. The loading tests append
// packages to copies of this program.
//
// On Windows a message box would wait for a person; a hook closes each one as
// it opens and writes "caption: text" to standard error, as the Linux layer's
// message box does, so that the tests read the same line on both builds.
#include <cstdio>

#include "package/show_state.h"
#include "platform/win32.h"

#if defined(_WIN32)
namespace {
HHOOK boxHook;

LRESULT CALLBACK CloseMessageBoxes(int code, WPARAM wParam, LPARAM lParam) {
  HWND box = reinterpret_cast<HWND>(wParam);
  char className[16] = {};
  if (code == HCBT_ACTIVATE && GetClassNameA(box, className, sizeof className) &&
      lstrcmpA(className, "#32770") == 0) {
    char caption[256] = {}, text[256] = {};
    GetWindowTextA(box, caption, sizeof caption);
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  return CallNextHookEx(boxHook, code, wParam, lParam);
}
}  // namespace
#endif

int main() {
#if defined(_WIN32)
  boxHook = SetWindowsHookExA(WH_CBT, CloseMessageBoxes, nullptr, GetCurrentThreadId());
#endif
  FILE* packageFile = LoadShow();
  std::printf("showName=%s\n", showState.showName);
  std::printf("showTitle=%s\n", showState.showTitle);
  std::printf("creditLine=%s\n", showState.creditLine);
  std::printf("infoLine=%s\n", showState.infoLine);
  std::printf("readmeLength=%d\n", int(showState.readmeLength));
  std::printf("readmeText=%s\n", showState.readmeText ? showState.readmeText : "");
  std::printf("images=");
  for (int32_t i = 0; i < showState.imageCount; ++i) {
    std::printf("%s%x-%x", i ? "," : "", unsigned(showState.images[i]->start),
                unsigned(showState.images[i]->end));
  }
  std::printf("\nsounds=");
  for (int32_t i = 0; i < showState.soundCount; ++i) {
    std::printf("%s%d", i ? "," : "", int(showState.sounds[i]->length));
  }
  const UserSettings& s = showState.settings;
  std::printf("\nsoundAvailable=%d\n", int(showState.soundAvailable));
  std::printf("outputDevices=%u\n", unsigned(waveOutGetNumDevs()));
  std::printf("settings=%d,%d,%d,%d,%d,%d\n", int(s.RedrawSpeed), int(s.SoundSpeed), int(s.Resize),
              int(s.Shuffle), int(s.Mute), int(s.UseEff));
  std::fflush(stdout);
  std::fclose(packageFile);
  FreeRecordTable();
  ExitProcess(0);
}
