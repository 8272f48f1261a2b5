// Windows of the Linux layer on a real X display (Xvfb under the test
// script): input from xdotool as window messages, activation, other programs'
// windows by their X ids, our child inside an X window made here, and the
// signals that close a program. Skipped without a display and xdotool.
// Before Xlib, whose macros (None) would break it.
#include <gtest/gtest.h>

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/child_process.h"

namespace {

struct Logged {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Logged> logged;

LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  logged.push_back(Logged{window, message, wParam, lParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

const char kClassName[] = "LumivaneDisplayTest";

bool HaveDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0' && access("/usr/bin/xdotool", X_OK) == 0;
}

void Xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> command = {"/usr/bin/xdotool"};
  command.insert(command.end(), args.begin(), args.end());
  ChildResult result = RunChild(command);
  ASSERT_EQ(result.exitCode, 0) << result.err;
}

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

const Logged* Find(UINT message, size_t from = 0) {
  for (size_t i = from; i < logged.size(); ++i) {
    if (logged[i].message == message) return &logged[i];
  }
  return nullptr;
}

class DisplayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!HaveDisplay()) return;
    UnsetEnv("SDL_VIDEODRIVER");
    static bool registered = false;
    if (registered) return;
    registered = true;
    WNDCLASSA windowClass = {};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = LoggingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    ASSERT_NE(RegisterClassA(&windowClass), 0);
  }

  void SetUp() override {
    if (!HaveDisplay()) GTEST_SKIP() << "needs an X display and xdotool";
    logged.clear();
  }

  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
    PumpUntil([] { return true; });
  }

  // The saver's full-screen window, in front and with the keyboard focus.
  void OpenFullScreen() {
    window_ = CreateWindowExA(WS_EX_TOPMOST, kClassName, "Display Test",
                              WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    SetForegroundWindow(window_);
    ASSERT_TRUE(PumpUntil([] {
      const Logged* activation = Find(WM_ACTIVATEAPP);
      return activation != nullptr && activation->wParam == TRUE;
    }));
  }

  HWND window_ = nullptr;
};

TEST_F(DisplayTest, KeysComeAsKeyMessagesWithTheirCharacters) {
  OpenFullScreen();
  logged.clear();
  Xdotool({"key", "a"});
  ASSERT_TRUE(PumpUntil([] { return Find(WM_KEYUP) != nullptr; }));
  const Logged* down = Find(WM_KEYDOWN);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(down->window, window_);
  EXPECT_EQ(down->wParam, WPARAM('A'));
  EXPECT_EQ(DWORD(down->lParam), 0x001E0001u);  // once, scan code 0x1E, pressed
  const Logged* typed = Find(WM_CHAR);
  ASSERT_NE(typed, nullptr);
  EXPECT_EQ(typed->wParam, WPARAM('a'));
  const Logged* up = Find(WM_KEYUP);
  EXPECT_EQ(up->wParam, WPARAM('A'));
  EXPECT_EQ(DWORD(up->lParam), 0xC01E0001u);  // released, was down

  // With Alt held, keys are system keys.
  logged.clear();
  Xdotool({"key", "alt+x"});
  ASSERT_TRUE(PumpUntil([] { return Find(WM_SYSKEYUP) != nullptr || Find(WM_KEYUP) != nullptr; }));
  const Logged* alt = Find(WM_SYSKEYDOWN);
  ASSERT_NE(alt, nullptr);
  EXPECT_EQ(alt->wParam, WPARAM(VK_MENU));
  const Logged* x = Find(WM_SYSKEYDOWN, size_t(alt - logged.data()) + 1);
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->wParam, WPARAM('X'));
  EXPECT_TRUE(x->lParam & (1 << 29));
  EXPECT_EQ(Find(WM_KEYDOWN), nullptr);
}

TEST_F(DisplayTest, MouseInputComesWithClientCoordinatesAndTheCursorFirst) {
  OpenFullScreen();
  logged.clear();
  Xdotool({"mousemove", "123", "234"});
  ASSERT_TRUE(PumpUntil([] {
    const Logged* move = Find(WM_MOUSEMOVE);
    return move != nullptr && move->lParam == MAKELPARAM(123, 234);
  }));
  POINT cursor;
  ASSERT_TRUE(GetCursorPos(&cursor));
  EXPECT_EQ(cursor.x, 123);
  EXPECT_EQ(cursor.y, 234);

  logged.clear();
  Xdotool({"click", "1"});
  ASSERT_TRUE(PumpUntil([] { return Find(WM_LBUTTONUP) != nullptr; }));
  const Logged* press = Find(WM_LBUTTONDOWN);
  ASSERT_NE(press, nullptr);
  EXPECT_EQ(press->lParam, MAKELPARAM(123, 234));
  EXPECT_EQ(press->wParam & MK_LBUTTON, WPARAM(MK_LBUTTON));
  ASSERT_GT(press, logged.data());
  const Logged& before = press[-1];
  EXPECT_EQ(before.message, WM_SETCURSOR);
  EXPECT_EQ(before.wParam, reinterpret_cast<WPARAM>(window_));
  EXPECT_EQ(before.lParam, MAKELONG(HTCLIENT, WM_LBUTTONDOWN));

  // The class asks for double-clicks.
  logged.clear();
  Xdotool({"click", "--repeat", "2", "--delay", "60", "1"});
  ASSERT_TRUE(PumpUntil([] { return Find(WM_LBUTTONDBLCLK) != nullptr; }));

  logged.clear();
  Xdotool({"click", "4"});
  ASSERT_TRUE(PumpUntil([] { return Find(WM_MOUSEWHEEL) != nullptr; }));
  EXPECT_EQ(short(HIWORD(Find(WM_MOUSEWHEEL)->wParam)), WHEEL_DELTA);

  // SetCursorPos moves the X pointer itself.
  ASSERT_TRUE(SetCursorPos(300, 310));
  ChildResult where = RunChild({"/usr/bin/xdotool", "getmouselocation"});
  EXPECT_EQ(where.out.substr(0, 14), "x:300 y:310 sc") << where.out;
}

TEST_F(DisplayTest, PostedMessagesComeBeforeWaitingInputAndDisabledWindowsGetNone) {
  OpenFullScreen();
  Xdotool({"key", "b"});
  MSG msg;
  bool waiting = false;
  for (int i = 0; i < 300 && !waiting; ++i) {
    waiting = PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE);
    if (!waiting) Sleep(10);
  }
  ASSERT_TRUE(waiting);
  ASSERT_TRUE(PostMessageA(window_, WM_APP, 0, 0));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_APP);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_KEYDOWN);

  EnableWindow(window_, FALSE);
  PumpUntil([] { return true; });
  logged.clear();
  Xdotool({"key", "c"});
  Xdotool({"click", "1"});
  // The server has sent the events once xdotool ends; a short pump reads
  // them while the window is still disabled.
  int rounds = 0;
  PumpUntil([&] { return ++rounds == 15; });
  EnableWindow(window_, TRUE);
  Xdotool({"key", "d"});
  ASSERT_TRUE(PumpUntil([] { return Find(WM_KEYUP) != nullptr; }));
  for (const Logged& entry : logged) {
    EXPECT_NE(entry.message, WM_LBUTTONDOWN);
    if (entry.message == WM_KEYDOWN) {
      EXPECT_EQ(entry.wParam, WPARAM('D'));
    }
  }
}

TEST_F(DisplayTest, SetCursorHidesAndShowsTheCursor) {
  OpenFullScreen();
  SetCursor(nullptr);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
  // The display counter below 0 hides it whatever the cursor.
  ShowCursor(FALSE);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  ShowCursor(TRUE);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

// An X window of this process's own connection, as another program's.
struct ForeignWindow {
  ForeignWindow(int x, int y, int width, int height) {
    display = XOpenDisplay(nullptr);
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, unsigned(width),
                                 unsigned(height), 0, 0, WhitePixel(display, 0));
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    XEvent event;
    do {
      XNextEvent(display, &event);
    } while (event.type != MapNotify);
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

// Fills the window's client area with one colour through its DC; the number
// of rows drawn.
int FillWindow(HWND window, int width, int height, uint32_t colour) {
  std::vector<uint32_t> pixels(size_t(width) * height, colour);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(window);
  int rows = SetDIBitsToDevice(dc, 0, 0, DWORD(width), DWORD(height), 0, 0, 0, UINT(height),
                               pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(window, dc);
  return rows;
}

TEST_F(DisplayTest, FocusGoingToAnotherProgramDeactivates) {
  OpenFullScreen();
  ForeignWindow other(10, 10, 50, 50);
  logged.clear();
  XSetInputFocus(other.display, other.window, RevertToParent, CurrentTime);
  XSync(other.display, False);
  ASSERT_TRUE(PumpUntil([] { return Find(WM_ACTIVATEAPP) != nullptr; }));
  EXPECT_EQ(Find(WM_ACTIVATEAPP)->wParam, WPARAM(FALSE));
  EXPECT_EQ(Find(WM_ACTIVATEAPP)->window, window_);

  EXPECT_TRUE(SetForegroundWindow(window_));
  ASSERT_TRUE(PumpUntil([] {
    return std::any_of(logged.begin(), logged.end(), [](const Logged& entry) {
      return entry.message == WM_ACTIVATEAPP && entry.wParam == TRUE;
    });
  }));
  EXPECT_EQ(GetForegroundWindow(), window_);
}

TEST_F(DisplayTest, AChildInsideAnotherProgramsWindowShowsThereAndEndsWithIt) {
  ForeignWindow parent(40, 30, 160, 120);
  EXPECT_TRUE(IsWindow(parent.handle()));
  RECT client;
  ASSERT_TRUE(GetClientRect(parent.handle(), &client));
  EXPECT_EQ(client.right, 160);
  EXPECT_EQ(client.bottom, 120);

  HWND child = CreateWindowExA(0, kClassName, "Preview", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                               0, client.right, client.bottom, parent.handle(), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(GetParent(child), parent.handle());
  ASSERT_TRUE(PumpUntil([] { return Find(WM_PAINT) != nullptr; }));

  // A solid DIB drawn into the child.
  ASSERT_EQ(FillWindow(child, 160, 120, 0x2090D0), 120);
  auto shown = [&] { return parent.Shows(80, 60, 0x2090D0); };
  EXPECT_TRUE(PumpUntil(shown));

  // Uncovered again, it shows its pixels again (the server keeps nothing).
  Window cover = XCreateSimpleWindow(parent.display, DefaultRootWindow(parent.display), 20, 10, 200,
                                     160, 0, 0, WhitePixel(parent.display, 0));
  XSelectInput(parent.display, cover, StructureNotifyMask | ExposureMask);
  XMapWindow(parent.display, cover);
  XEvent event;
  do {
    XNextEvent(parent.display, &event);
  } while (event.type != Expose);
  XDestroyWindow(parent.display, cover);
  XSync(parent.display, False);
  EXPECT_TRUE(PumpUntil(shown));

  logged.clear();
  XDestroyWindow(parent.display, parent.window);
  XSync(parent.display, False);
  parent.window = 0;
  EXPECT_TRUE(PumpUntil([&] { return Find(WM_DESTROY) != nullptr; }));
  EXPECT_EQ(Find(WM_DESTROY)->window, child);
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(parent.handle()));
  // An X id that names nothing is no window, and no X error ends the test.
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(uintptr_t(0x1FFFFFF0))));
  EXPECT_EQ(CreateWindowExA(0, kClassName, "Preview", WS_CHILD, 0, 0, 10, 10, parent.handle(),
                            nullptr, GetModuleHandleA(nullptr), nullptr),
            nullptr);
}

// The probe program in a process of its own, its standard output read line by
// line.
class Probe {
 public:
  Probe(const std::vector<std::string>& args, bool offscreen) {
    int out[2];
    if (pipe(out) != 0) return;
    std::fflush(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      close(out[0]);
      close(out[1]);
      if (offscreen) {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        unsetenv("DISPLAY");
      }
      std::vector<char*> argv;
      std::string program = BuildProgram("window_probe");
      argv.push_back(program.data());
      std::vector<std::string> copies = args;
      for (std::string& arg : copies)
        argv.push_back(arg.data());
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(out[1]);
    out_ = out[0];
  }
  ~Probe() {
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
  }
  // The next line, or "" after ten seconds or at the end.
  std::string Line() {
    std::string line;
    char c;
    for (;;) {
      pollfd fd = {out_, POLLIN, 0};
      if (poll(&fd, 1, 10000) <= 0 || read(out_, &c, 1) != 1) return line;
      if (c == '\n') return line;
      line += c;
    }
  }
  void Signal(int signal) { kill(pid_, signal); }
  // The wait status.
  int Wait() {
    waitpid(pid_, &status_, 0);
    return status_;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
};

// Drawing that comes a frame's time after the last drawing first brings the
// earlier drawing to the screen; the new drawing must still reach it.
TEST_F(DisplayTest, TheLastDrawingReachesTheScreenAfterAnEarlierOneWasShown) {
  ForeignWindow parent(40, 30, 64, 48);
  HWND child = CreateWindowExA(0, kClassName, "Preview", WS_CHILD | WS_VISIBLE, 0, 0, 64, 48,
                               parent.handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(child, nullptr);
  ASSERT_TRUE(PumpUntil([] { return Find(WM_PAINT) != nullptr; }));
  FillWindow(child, 64, 48, 0x2090D0);
  // Busy, as a transition between its pauses is: no message, no Sleep.
  DWORD start = GetTickCount();
  while (GetTickCount() - start < 40) {
  }
  FillWindow(child, 64, 48, 0xD09020);
  EXPECT_TRUE(PumpUntil([&] { return parent.Shows(32, 24, 0xD09020); }));
  DestroyWindow(child);
}

TEST_F(DisplayTest, AnotherProgramsWindowIsFoundAndItsSignalClosesIt) {
  Probe probe({"LumivaneProbeClass", "Probe Saver"}, false);
  std::istringstream ready(probe.Line());
  std::string word;
  unsigned long ownHandle = 0;
  int foundInProcess = 0;
  ready >> word >> ownHandle >> foundInProcess;
  ASSERT_EQ(word, "ready");
  EXPECT_EQ(foundInProcess, 1);

  HWND found = FindWindowA("lumivaneprobeclass", "Probe Saver");
  ASSERT_NE(found, nullptr);
  // Not a handle of ours: the X window's id.
  EXPECT_LT(reinterpret_cast<uintptr_t>(found), uintptr_t(1) << 29);
  EXPECT_NE(reinterpret_cast<uintptr_t>(found), ownHandle);
  EXPECT_EQ(FindWindowA("LumivaneProbeClass", "Another Title"), nullptr);
  EXPECT_TRUE(IsWindow(found));
  RECT client;
  ASSERT_TRUE(GetClientRect(found, &client));
  EXPECT_EQ(client.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(client.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(SetForegroundWindow(found));
  // Messages do not cross processes.
  EXPECT_FALSE(PostMessageA(found, WM_CLOSE, 0, 0));

  probe.Signal(SIGTERM);
  EXPECT_EQ(probe.Line(), "close");
  EXPECT_EQ(probe.Line(), "destroy");
  int status = probe.Wait();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(found); }));
}

// No display at all: SDL's offscreen driver and no DISPLAY.
TEST(OffscreenTest, WindowsWorkAndInterruptingClosesThem) {
  Probe probe({"LumivaneProbeClass", "Offscreen Saver"}, true);
  std::istringstream ready(probe.Line());
  std::string word;
  unsigned long handle = 0;
  int foundInProcess = 0;
  ready >> word >> handle >> foundInProcess;
  ASSERT_EQ(word, "ready");
  EXPECT_EQ(foundInProcess, 1);
  probe.Signal(SIGINT);
  EXPECT_EQ(probe.Line(), "close");
  EXPECT_EQ(probe.Line(), "destroy");
  int status = probe.Wait();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(OffscreenTest, WithoutAWindowASignalEndsTheProgramAsUsual) {
  Probe probe({"LumivaneProbeClass", "Gone Saver", "--gone"}, true);
  EXPECT_EQ(probe.Line(), "destroy");
  ASSERT_EQ(probe.Line().substr(0, 5), "ready");
  probe.Signal(SIGTERM);
  int status = probe.Wait();
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
}

}  // namespace

// Only what was drawn since the last time reaches the screen then: every
// drawing call must say where it drew, in the window's place among its
// parent's pixels. Drawn after a whole first picture, each piece must show.
TEST_F(DisplayTest, EveryDrawingCallReachesTheScreenWhereItDrew) {
  ForeignWindow parent(40, 30, 200, 150);
  HWND child = CreateWindowExA(0, kClassName, "Preview", WS_CHILD | WS_VISIBLE, 0, 0, 200, 150,
                               parent.handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(child, nullptr);
  HWND inner = CreateWindowExA(0, kClassName, "Inner", WS_CHILD | WS_VISIBLE, 120, 90, 60, 40,
                               child, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(inner, nullptr);
  ASSERT_TRUE(PumpUntil([] { return Find(WM_PAINT) != nullptr; }));
  FillWindow(child, 200, 150, 0x2090D0);
  ASSERT_TRUE(PumpUntil([&] { return parent.Shows(100, 75, 0x2090D0); }));

  HDC dc = GetDC(child);
  HGDIOBJ white = SelectObject(dc, GetStockObject(BLACK_BRUSH));
  SelectObject(dc, white);
  RECT square = {10, 10, 30, 30};
  FillRect(dc, &square, static_cast<HBRUSH>(white));

  uint32_t green[4] = {0x00C000, 0x00C000, 0x00C000, 0x00C000};
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = 2;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
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

  EXPECT_TRUE(PumpUntil([&] {
    return parent.Shows(20, 20, 0xFFFFFF) && parent.Shows(75, 35, 0x00C000) &&
           parent.Shows(32, 112, 0x000000) && parent.Shows(150, 110, 0xD09020);
  }));
  EXPECT_TRUE(parent.Shows(100, 75, 0x2090D0));
  DestroyWindow(child);
}
