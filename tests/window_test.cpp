// Windows, messages, timers and temporary files, through platform/win32.h.
// Runs natively against the Linux layer (SDL's dummy video driver) and under
// Wine against the real calls: what it expects is what Windows does. Logs are
// read only for the messages a test is about, since Windows sends many more.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32.h"
#include "tests/support/child_process.h"

namespace {

using Sent = std::vector<std::pair<HWND, UINT>>;
Sent logged;
std::string shown;  // WM_SHOWWINDOW's wParam, as digits

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  logged.emplace_back(window, message);
  if (message == WM_SHOWWINDOW) shown += std::to_string(wParam);
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
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    static bool registered = RegisterClassA(&windowClass) != 0;  // once for repeated tests
    ASSERT_TRUE(registered);
  }
  void SetUp() override {
    logged.clear();
    shown.clear();
  }
  void TearDown() override {
    for (HWND window : windows_)
      DestroyWindow(window);
    Drain();
  }
  HWND Create(DWORD style, int width, int height, HWND parent = nullptr,
              const char* title = "window test", DWORD exStyle = 0) {
    HWND window = CreateWindowExA(exStyle, kClassName, title, style, 4, 6, width, height, parent,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window, nullptr) << title;
    windows_.push_back(window);
    return window;
  }
  std::vector<HWND> windows_;
};

TEST_F(WindowTest, CreationAndDestructionSendTheirMessagesInOrder) {
  HWND window = Create(WS_POPUP | WS_VISIBLE, 160, 120, nullptr, "LumivaneFound", WS_EX_TOPMOST);
  HWND child = Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 30, 20, window);
  HWND hidden = Create(WS_POPUP, 40, 40);
  EXPECT_EQ(LoggedOf({WM_CREATE, WM_SHOWWINDOW}), (Sent{{window, WM_CREATE},
                                                        {window, WM_SHOWWINDOW},
                                                        {child, WM_CREATE},
                                                        {child, WM_SHOWWINDOW},
                                                        {hidden, WM_CREATE}}));
  EXPECT_EQ(shown, "11");
  RECT client;
  EXPECT_TRUE(GetClientRect(child, &client));
  EXPECT_EQ((std::vector<LONG>{client.left, client.top, client.right, client.bottom}),
            (std::vector<LONG>{0, 0, 30, 20}));
  EXPECT_EQ(GetParent(child), window);
  EXPECT_EQ(GetParent(window), nullptr);
  // Found by the class and title it was made with, as a running saver is.
  EXPECT_EQ(FindWindowA(kClassName, "LumivaneFound"), window);
  EXPECT_EQ(FindWindowA(kClassName, "LumivaneOther"), nullptr);

  logged.clear();
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(LoggedOf({WM_DESTROY}), (Sent{{window, WM_DESTROY}, {child, WM_DESTROY}}));
  EXPECT_FALSE(IsWindow(window) || IsWindow(child) || GetClientRect(child, &client));
  EXPECT_EQ(FindWindowA(kClassName, "LumivaneFound"), nullptr);
  EXPECT_FALSE(DestroyWindow(window));
}

// DefWindowProcA validates the first paint; posted messages come before it,
// timers after, one each however late; KillTimer and the window's end take a
// waiting one back.
TEST_F(WindowTest, PostedMessagesComeFirstThenPaintThenTimers) {
  HWND window = Create(WS_POPUP | WS_VISIBLE, 80, 60);
  HWND other = Create(WS_POPUP, 40, 40);
  EXPECT_EQ(SetTimer(window, 7, 20, nullptr), UINT_PTR(7));
  EXPECT_EQ(SetTimer(other, 3, 20, nullptr), UINT_PTR(3));
  Sleep(250);
  ASSERT_TRUE(PostMessageA(window, WM_APP, 0, 0) && PostMessageA(window, WM_APP + 1, 0, 0));
  EXPECT_EQ(Drain({WM_APP, WM_APP + 1, WM_PAINT, WM_TIMER}),
            (std::vector<UINT>{WM_APP, WM_APP + 1, WM_PAINT, WM_TIMER, WM_TIMER}));
  Sleep(60);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  EXPECT_TRUE(KillTimer(window, 7));
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  ASSERT_TRUE(DestroyWindow(other));
  EXPECT_TRUE(Drain({WM_TIMER}).empty());
}

// The quit comes after the messages posted before and after it.
TEST_F(WindowTest, CloseAndSystemCloseDestroyThroughDefWindowProcAndQuitComesLast) {
  HWND posted = Create(WS_POPUP, 40, 40);
  HWND sent = Create(WS_POPUP, 40, 40);
  ASSERT_TRUE(PostMessageA(posted, WM_CLOSE, 0, 0));
  PostQuitMessage(3);
  ASSERT_TRUE(PostMessageA(sent, WM_APP, 0, 0));
  MSG msg;
  BOOL result;
  while ((result = GetMessageA(&msg, nullptr, 0, 0)) > 0)
    DispatchMessageA(&msg);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(msg.message * 10 + msg.wParam, WM_QUIT * 10 + 3u);
  SendMessageA(sent, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(LoggedOf({WM_CLOSE, WM_DESTROY, WM_APP}), (Sent{{posted, WM_CLOSE},
                                                            {posted, WM_DESTROY},
                                                            {sent, WM_APP},
                                                            {sent, WM_CLOSE},
                                                            {sent, WM_DESTROY}}));
  EXPECT_FALSE(IsWindow(posted) || IsWindow(sent) || PostMessageA(posted, WM_APP, 0, 0));
}

TEST_F(WindowTest, DrawingIntoTheWindowDCReadsBack) {
  HWND window = Create(WS_POPUP | WS_VISIBLE, 64, 48);
  Sleep(50);
  Drain();
  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  SetStretchBltMode(dc, COLORONCOLOR);  // the one shrinking mode the Linux layer has
  RECT all = {0, 0, 64, 48};
  EXPECT_NE(FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  const COLORREF colour = RGB(0x20, 0x90, 0xD0);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<uint32_t> pixels(16 * 16, 0x2090D0);
  EXPECT_EQ(SetDIBitsToDevice(dc, 8, 4, 16, 16, 0, 0, 0, 16, pixels.data(), &info, DIB_RGB_COLORS),
            16);
  EXPECT_EQ(StretchDIBits(dc, 30, 20, 10, 10, 0, 0, 16, 16, pixels.data(), &info, DIB_RGB_COLORS,
                          SRCCOPY),
            16);
  // Inside and just outside both drawings, as 1 and 0.
  std::string drawn;
  for (POINT p : {POINT{8, 4}, {23, 19}, {24, 19}, {7, 4}, {30, 20}, {39, 29}, {40, 29}, {63, 47}})
    drawn += GetPixel(dc, p.x, p.y) == colour ? "1" : GetPixel(dc, p.x, p.y) == 0 ? "0" : "?";
  EXPECT_EQ(drawn, "11001100");
  EXPECT_EQ(ReleaseDC(window, dc), 1);
}

// Unique 0 makes new empty files of distinct numbers, named in hexadecimal
// (Wine leaves out leading zeros; the Linux layer always writes four digits).
TEST(TempFilesTest, TempPathAndNamesFollowTheirPattern) {
  char path[MAX_PATH];
  DWORD length = GetTempPathA(MAX_PATH, path);
  ASSERT_GT(length, 0u);
  EXPECT_TRUE(std::regex_match(path, std::regex(".*[\\\\/]")));
  ScratchDir scratch;
  const std::string dir = scratch.path();
  char names[2][MAX_PATH];
  UINT numbers[2];
  for (int i = 0; i < 2; ++i) {
    numbers[i] = GetTempFileNameA(dir.c_str(), "lvxyz", 0, names[i]);
    std::string name = names[i], file = name.substr(std::min(dir.size(), name.size()));
    std::smatch digits;
    EXPECT_EQ(name.substr(0, dir.size()), dir);
    ASSERT_TRUE(std::regex_match(file, digits,
                                 std::regex("[\\\\/]lvx([0-9a-f]{1,4})\\.tmp", std::regex::icase)))
        << name;
    EXPECT_EQ(std::stoul(digits[1], nullptr, 16), numbers[i] & 0xFFFFu) << name;
    EXPECT_EQ(ReadFileBytes(name), "");
  }
  EXPECT_NE(numbers[0], numbers[1]);
}

}  // namespace
