// Windows of the Linux layer on a real X display (Xvfb under the test
// script), and in other programs' X windows; skipped without a display and
// xdotool. Before Xlib, whose macros (None) would break it.
#include <gtest/gtest.h>

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/linux/windowing.h"
#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/window_class.h"

namespace {

std::vector<MSG> logged;

LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  logged.push_back(MSG{window, message, wParam, lParam, 0, {}});
  return DefWindowProcA(window, message, wParam, lParam);
}

const char kClassName[] = "LumivaneDisplayTest";

// Runs the message loop until done() holds or about three seconds pass.
bool PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 300; ++i) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    Sleep(10);
  }
  return false;
}

const MSG* Find(UINT message) {
  for (const MSG& entry : logged)
    if (entry.message == message) return &entry;
  return nullptr;
}

HWND CreateIn(HWND parent, const char* title, DWORD style, int x, int y, int width, int height,
              DWORD exStyle = 0) {
  return CreateWindowExA(exStyle, kClassName, title, style, x, y, width, height, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void RegisterLoggingClass() {
  static bool registered = RegisterTestClass(kClassName, LoggingProc) != 0;  // once, if repeated
  ASSERT_TRUE(registered);
}

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0' || access("/usr/bin/xdotool", X_OK) != 0)
      GTEST_SKIP() << "needs an X display and xdotool";
    UnsetEnv("SDL_VIDEODRIVER");
    RegisterLoggingClass();
    logged.clear();
  }
};

// An X window of this process's own connection, as another program's.
struct ForeignWindow {
  ForeignWindow(int x, int y, int width, int height) : display(XOpenDisplay(nullptr)) {
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, unsigned(width),
                                 unsigned(height), 0, 0, WhitePixel(display, 0));
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    XEvent event;
    do
      XNextEvent(display, &event);
    while (event.type != MapNotify);
  }
  ~ForeignWindow() {
    if (window != 0) XDestroyWindow(display, window);
    XCloseDisplay(display);
  }
  HWND handle() const { return reinterpret_cast<HWND>(uintptr_t(window)); }
  // Whether the screen shows the colour (0xRRGGBB) at x, y of the window.
  bool Shows(int x, int y, uint32_t colour) const {
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return (pixel & 0xFFFFFF) == colour;
  }
  Display* display;
  Window window;
};

BITMAPINFO TopDownDib(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  return info;
}

// Fills the window's client area with one colour through its DC.
void FillWindow(HWND window, int width, int height, uint32_t colour) {
  std::vector<uint32_t> pixels(size_t(width) * height, colour);
  BITMAPINFO info = TopDownDib(width, height);
  HDC dc = GetDC(window);
  SetDIBitsToDevice(dc, 0, 0, DWORD(width), DWORD(height), 0, 0, 0, UINT(height), pixels.data(),
                    &info, DIB_RGB_COLORS);
  ReleaseDC(window, dc);
}

// The saver's full-screen window, in front and with the keyboard focus: keys
// come as key messages and the mouse with client coordinates, the cursor
// asked for first.
TEST_F(DisplayTest, TheSaverWindowTakesKeysAndTheMouse) {
  HWND window =
      CreateIn(nullptr, "Display Test", WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
               0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), WS_EX_TOPMOST);
  SetForegroundWindow(window);
  ASSERT_TRUE(PumpUntil([] {
    const MSG* activation = Find(WM_ACTIVATEAPP);
    return activation != nullptr && activation->wParam == TRUE;
  }));
  logged.clear();
  ASSERT_EQ(RunChild({"/usr/bin/xdotool", "key", "z"}).exitCode, 0);
  ASSERT_TRUE(PumpUntil([] { return Find(WM_KEYUP) != nullptr; }));
  const MSG* down = Find(WM_KEYDOWN);
  // Once, scan code 0x2C, pressed; released, was down.
  ASSERT_TRUE(down != nullptr && down->hwnd == window && down->wParam == 'Z' &&
              DWORD(down->lParam) == 0x002C0001u);
  EXPECT_TRUE(Find(WM_KEYUP)->wParam == 'Z' && DWORD(Find(WM_KEYUP)->lParam) == 0xC02C0001u);
  // A letter is the one typed, not the letter at its place on a US keyboard (German z).
  EXPECT_EQ(VirtualKeyOf(SDLK_z, SDL_SCANCODE_Y, 0), UINT('Z'));

  ASSERT_EQ(RunChild({"/usr/bin/xdotool", "mousemove", "123", "234", "click", "1"}).exitCode, 0);
  ASSERT_TRUE(PumpUntil([] { return Find(WM_LBUTTONUP) != nullptr; }));
  const MSG* press = Find(WM_LBUTTONDOWN);
  ASSERT_TRUE(press != nullptr && press > logged.data());
  EXPECT_TRUE(press->lParam == MAKELPARAM(123, 234) && (press->wParam & MK_LBUTTON));
  EXPECT_TRUE(press[-1].message == WM_SETCURSOR && press[-1].wParam == WPARAM(window) &&
              press[-1].lParam == MAKELONG(HTCLIENT, WM_LBUTTONDOWN));
  const MSG* move = Find(WM_MOUSEMOVE);
  EXPECT_TRUE(move != nullptr && move->lParam == MAKELPARAM(123, 234));
  // The cursor shows unless it is none or the display counter is below 0.
  std::string shown;
  for (auto change :
       {+[] { SetCursor(nullptr); }, +[] { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); },
        +[] { ShowCursor(FALSE); }, +[] { ShowCursor(TRUE); }}) {
    change();
    shown += SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE ? "1" : "0";
  }
  EXPECT_EQ(shown, "0101");
  DestroyWindow(window);
}

// Only what was drawn since the last time reaches the screen then: every
// drawing call must say where it drew, in the window's place among its
// parent's pixels. Drawn after a whole first picture, each piece must show.
TEST_F(DisplayTest, EveryDrawingCallReachesTheScreenWhereItDrew) {
  ForeignWindow parent(40, 30, 200, 150);
  // A child of ours filling it, as a preview does.
  HWND child =
      CreateIn(parent.handle(), "Preview", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 200, 150);
  ASSERT_TRUE(child != nullptr && PumpUntil([] { return Find(WM_PAINT) != nullptr; }));
  HWND inner = CreateIn(child, "Inner", WS_CHILD | WS_VISIBLE, 120, 90, 60, 40);
  ASSERT_NE(inner, nullptr);
  FillWindow(child, 200, 150, 0x2090D0);
  ASSERT_TRUE(PumpUntil([&] { return parent.Shows(100, 75, 0x2090D0); }));

  HDC dc = GetDC(child);
  RECT square = {10, 10, 30, 30};
  FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  uint32_t green[4] = {0x00C000, 0x00C000, 0x00C000, 0x00C000};
  BITMAPINFO info = TopDownDib(2, 2);
  StretchDIBits(dc, 60, 20, 30, 30, 0, 0, 2, 2, green, &info, DIB_RGB_COLORS, SRCCOPY);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 200, 150);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(dc, 20, 100, 25, 25, memory, 20, 100, SRCCOPY);  // black, as a new bitmap is
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(child, dc);
  FillWindow(inner, 60, 40, 0xD09020);

  auto shown = [&] {
    return parent.Shows(20, 20, 0x000000) && parent.Shows(75, 35, 0x00C000) &&
           parent.Shows(32, 112, 0x000000) && parent.Shows(150, 110, 0xD09020) &&
           parent.Shows(100, 75, 0x2090D0);
  };
  EXPECT_TRUE(PumpUntil(shown));

  // Uncovered again, it shows its pixels again (the server keeps nothing).
  { ForeignWindow cover(20, 10, 240, 190); }
  EXPECT_TRUE(PumpUntil(shown));

  // Drawing a frame's time after the last first brings that to the screen; the
  // new drawing must still follow. Busy, as a transition between its pauses is.
  FillWindow(inner, 60, 40, 0x000000);
  for (DWORD start = GetTickCount(); GetTickCount() - start < 40;) {
  }
  FillWindow(inner, 60, 40, 0x00C000);
  EXPECT_TRUE(PumpUntil([&] { return parent.Shows(150, 110, 0x00C000); }));

  // It ends with its parent. An X id that names nothing, as a closed preview's,
  // is no window, and no X error ends the test.
  XDestroyWindow(parent.display, parent.window);
  XSync(parent.display, False);
  parent.window = 0;
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(child) && !IsWindow(parent.handle()); }));
  EXPECT_EQ(CreateIn(parent.handle(), "Preview", WS_CHILD, 0, 0, 10, 10), nullptr);
}

// A signal with no window left ends the program (with windows it comes as
// their close: the end-to-end test's terminations). A process of its own.
TEST(OffscreenDeathTest, ASignalWithNoWindowLeftEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        UnsetEnv("DISPLAY");
        SetEnv("SDL_VIDEODRIVER", "offscreen");
        RegisterLoggingClass();
        DestroyWindow(CreateIn(nullptr, "Offscreen Saver", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48));
        raise(SIGTERM);
        Sleep(2000);
        std::exit(5);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
