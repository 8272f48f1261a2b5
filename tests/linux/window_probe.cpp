// One full-screen saver-like window and its message loop, for tests that
// reach it from another process. Prints "ready <handle> <found> <pid>" once
// the window exists (found: 1 when FindWindowA in this process finds it), then
// "close" and "destroy" as those messages arrive, and exits with the quit
// message's code. With "--gone" as third argument, it destroys its window
// first and then waits, windowless, for ten seconds.
#include <unistd.h>
#include <cstdio>
#include <cstring>

#include "platform/win32.h"

namespace {

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) std::printf("close\n");
  if (message == WM_DESTROY) {
    std::printf("destroy\n");
    PostQuitMessage(0);
  }
  std::fflush(stdout);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ProbeProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = argv[1];
  if (RegisterClassA(&windowClass) == 0) return 3;
  HWND window = CreateWindowExA(WS_EX_TOPMOST, argv[1], argv[2],
                                WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 4;
  bool found = FindWindowA(argv[1], argv[2]) == window;
  if (argc > 3 && std::strcmp(argv[3], "--gone") == 0) {
    DestroyWindow(window);
    std::printf("ready 0 %d %d\n", found, int(getpid()));
    std::fflush(stdout);
    Sleep(10000);
    return 5;
  }
  std::printf("ready %lu %d %d\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)),
              found, int(getpid()));
  std::fflush(stdout);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return int(msg.wParam);
}
