// Windows, messages and timers, through platform/win32.h: the order of the
// messages that the saver window and the show rely on. Runs natively against
// the Linux layer (SDL's dummy video driver) and under Wine against the real
// calls. Logs are read only for the messages a test is about, since Windows
// sends many more.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/window_class.h"

namespace {

using Sent = std::vector<std::pair<HWND, UINT>>;
Sent logged;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  logged.emplace_back(window, message);
  return DefWindowProcA(window, message, wParam, lParam);
}

const char kClassName[] = "LumivaneWindowTest";

// The logged messages among `wanted`, with their windows, in order.
Sent LoggedOf(const std::vector<UINT>& wanted) {
  Sent seen;
  for (const auto& entry : logged)
    if (std::count(wanted.begin(), wanted.end(), entry.second)) seen.push_back(entry);
  return seen;
}

// Dispatches the waiting messages (a paint that DefWindowProcA leaves waiting
// ends it too); returns those of `wanted` in order.
std::vector<UINT> Drain(const std::vector<UINT>& wanted = {}) {
  std::vector<UINT> seen;
  MSG msg;
  for (int i = 0; i < 500 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (std::count(wanted.begin(), wanted.end(), msg.message)) seen.push_back(msg.message);
    DispatchMessageA(&msg);
  }
  return seen;
}

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetEnv("SDL_VIDEODRIVER", "dummy");  // read by the Linux layer only
    static bool registered =
        RegisterTestClass(kClassName, RecordingProc) != 0;  // once, if repeated
    ASSERT_TRUE(registered);
  }
  void SetUp() override { logged.clear(); }
  void TearDown() override {
    for (HWND window : windows_)
      DestroyWindow(window);
    Drain();
  }
  HWND Create(DWORD style, HWND parent = nullptr, const char* title = "window test") {
    HWND window = CreateWindowExA(0, kClassName, title, style, 4, 6, 80, 60, parent, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window, nullptr) << title;
    windows_.push_back(window);
    return window;
  }
  std::vector<HWND> windows_;
};

// A second start finds the running saver by class and title; a preview ends
// with the window that holds it.
TEST_F(WindowTest, CreationAndDestructionSendTheirMessagesInOrder) {
  HWND window = Create(WS_POPUP | WS_VISIBLE, nullptr, "LumivaneFound");
  HWND child = Create(WS_CHILD | WS_VISIBLE, window);
  EXPECT_EQ(LoggedOf({WM_CREATE, WM_SHOWWINDOW}), (Sent{{window, WM_CREATE},
                                                        {window, WM_SHOWWINDOW},
                                                        {child, WM_CREATE},
                                                        {child, WM_SHOWWINDOW}}));
  EXPECT_EQ(FindWindowA(kClassName, "LumivaneFound"), window);
  EXPECT_EQ(FindWindowA(kClassName, "LumivaneOther"), nullptr);

  logged.clear();
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(LoggedOf({WM_DESTROY}), (Sent{{window, WM_DESTROY}, {child, WM_DESTROY}}));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(FindWindowA(kClassName, "LumivaneFound"), nullptr);
}

// DefWindowProcA validates the first paint; posted messages come before it,
// timers after, one each however late; KillTimer and the window's end take a
// waiting one back.
TEST_F(WindowTest, PostedMessagesComeFirstThenPaintThenTimers) {
  HWND window = Create(WS_POPUP | WS_VISIBLE);
  HWND other = Create(WS_POPUP);
  EXPECT_EQ(SetTimer(window, 7, 20, nullptr), UINT_PTR(7));
  EXPECT_EQ(SetTimer(other, 3, 20, nullptr), UINT_PTR(3));
  Sleep(250);
  ASSERT_TRUE(PostMessageA(window, WM_APP, 0, 0));
  EXPECT_EQ(Drain({WM_APP, WM_PAINT, WM_TIMER}),
            (std::vector<UINT>{WM_APP, WM_PAINT, WM_TIMER, WM_TIMER}));
  Sleep(60);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  EXPECT_TRUE(KillTimer(window, 7));
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  ASSERT_TRUE(DestroyWindow(other));
  EXPECT_TRUE(Drain({WM_TIMER}).empty());
}

// The saver's loop ends on the quit, after the messages posted before it; a
// close that reaches DefWindowProcA destroys the window.
TEST_F(WindowTest, ClosingDestroysThroughDefWindowProcAndQuitComesLast) {
  HWND window = Create(WS_POPUP);
  ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
  PostQuitMessage(3);
  MSG msg;
  BOOL result;
  while ((result = GetMessageA(&msg, nullptr, 0, 0)) > 0)
    DispatchMessageA(&msg);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(msg.message * 10 + msg.wParam, WM_QUIT * 10 + 3u);
  EXPECT_EQ(LoggedOf({WM_CLOSE, WM_DESTROY}), (Sent{{window, WM_CLOSE}, {window, WM_DESTROY}}));
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
