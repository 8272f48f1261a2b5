// A window for the Windows player's preview, as the control panel would give
// it: prints its handle (decimal) and its client area's place on the screen,
// then runs until the file named by its argument appears.
#include <cstdint>
#include <cstdio>

#include "platform/win32.h"

namespace {

const char* stopFile = nullptr;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && GetFileAttributesA(stopFile) != INVALID_FILE_ATTRIBUTES) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  stopFile = argv[1];
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ParentProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = "PreviewParent";
  if (RegisterClassA(&windowClass) == 0) return 1;
  HWND window = CreateWindowExA(0, "PreviewParent", "Parent", WS_POPUP | WS_VISIBLE, 100, 120, 320,
                                240, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 1;
  SetTimer(window, 1, 100, nullptr);
  RECT client;
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  std::printf("%lu %ld %ld %ld %ld\n",
              static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)),
              static_cast<long>(origin.x), static_cast<long>(origin.y),
              static_cast<long>(client.right), static_cast<long>(client.bottom));
  std::fflush(stdout);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    DispatchMessageA(&msg);
  return 0;
}
