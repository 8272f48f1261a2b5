// A window for the Windows player's preview, as the control panel gives one:
// prints its handle (decimal) and its client area's place on the screen, then
// runs until the file named by its argument appears.
#include <cstdint>
#include <cstdio>

#include "platform/win32.h"

namespace {

const char* stopFile = nullptr;
HWND frame = nullptr;

// Wine's X11 driver (8.0) gives a window whose top-level window belongs to
// another process a DC with no X drawable unless a window between the two
// names one in this property, which Windows never reads. The inner window
// names the frame's X window, whose origin it shares.
constexpr char kWineXWindowProperty[] = "__wine_x11_whole_window";

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && GetFileAttributesA(stopFile) != INVALID_FILE_ATTRIBUTES) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    RemovePropA(window, kWineXWindowProperty);
    if (window == frame) PostQuitMessage(0);
  }
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
  frame = CreateWindowExA(0, "PreviewParent", "Parent", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                          100, 120, 320, 240, nullptr, nullptr, windowClass.hInstance, nullptr);
  // Like the control panel's, the preview's parent is a child window covering
  // a top-level one's client area.
  HWND window =
      CreateWindowExA(0, "PreviewParent", "Preview", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                      320, 240, frame, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 1;
  SetPropA(window, kWineXWindowProperty, GetPropA(frame, kWineXWindowProperty));
  SetTimer(frame, 1, 100, nullptr);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  std::printf("%lu %ld %ld 320 240\n", static_cast<unsigned long>(uintptr_t(window)),
              static_cast<long>(origin.x), static_cast<long>(origin.y));
  std::fflush(stdout);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    DispatchMessageA(&msg);
  return 0;
}
