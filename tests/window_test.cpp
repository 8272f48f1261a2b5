// Windows, messages, timers and temporary files, through platform/win32.h.
// Runs natively against the Linux layer (SDL's dummy video driver) and under
// Wine against the real calls: what it expects is what Windows does. Logs are
// read only for the messages a test is about, since Windows sends many more.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/win32.h"
#include "tests/support/child_process.h"

namespace {

struct Logged {
  HWND window;
  UINT message;
  WPARAM wParam;
};
std::vector<Logged> logged;
LRESULT createResult = 0;
bool validatePaint = true;
CREATESTRUCTA createSeen;
std::string createName;  // the structure's copy is gone once creation ends
RECT clientDuringCreate;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  logged.push_back(Logged{window, message, wParam});
  if (message == WM_CREATE) {
    createSeen = *reinterpret_cast<const CREATESTRUCTA*>(lParam);
    createName = createSeen.lpszName;
    GetClientRect(window, &clientDuringCreate);
    return createResult;
  }
  if (message == WM_PAINT && !validatePaint) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

const char kClassName[] = "LumivaneWindowTest";
using Sent = std::vector<std::pair<HWND, UINT>>;

// The logged messages among `wanted`, with their windows, in order.
Sent LoggedOf(const std::vector<UINT>& wanted) {
  Sent seen;
  for (const Logged& entry : logged)
    if (std::count(wanted.begin(), wanted.end(), entry.message))
      seen.emplace_back(entry.window, entry.message);
  return seen;
}

bool LoggedFor(HWND window, UINT message) {
  return std::any_of(logged.begin(), logged.end(),
                     [&](const Logged& e) { return e.window == window && e.message == message; });
}

// "left top right bottom" of the client area, or "none" for no window.
std::string Client(HWND window) {
  RECT r;
  if (!GetClientRect(window, &r)) return "none";
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom);
}

// Takes and dispatches every waiting message; returns those of `wanted` in order.
std::vector<UINT> Drain(const std::vector<UINT>& wanted = {}) {
  std::vector<UINT> seen;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (std::count(wanted.begin(), wanted.end(), msg.message)) seen.push_back(msg.message);
    DispatchMessageA(&msg);
  }
  return seen;
}

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetEnv("SDL_VIDEODRIVER", "dummy");  // read by the Linux layer only
    static bool registered = false;      // classes outlive repeated tests
    if (registered) return;
    registered = true;
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    ASSERT_NE(RegisterClassA(&windowClass), 0);
  }
  void SetUp() override {
    logged.clear();
    createResult = 0;
    validatePaint = true;
  }
  void TearDown() override {
    for (HWND window : windows_)
      DestroyWindow(window);
    Drain();
  }
  HWND Create(DWORD style, int x, int y, int width, int height, HWND parent = nullptr,
              LPVOID param = nullptr, const char* title = "window test", DWORD exStyle = 0) {
    HWND window = CreateWindowExA(exStyle, kClassName, title, style, x, y, width, height, parent,
                                  nullptr, GetModuleHandleA(nullptr), param);
    if (window != nullptr || createResult != 0) windows_.push_back(window);
    EXPECT_TRUE(window != nullptr || createResult != 0) << title;
    return window;
  }
  std::vector<HWND> windows_;
};

TEST_F(WindowTest, CreationAndDestructionSendTheirMessagesInOrder) {
  int marker = 0;
  HWND window = Create(WS_POPUP | WS_VISIBLE, 10, 20, 160, 120, nullptr, &marker);
  EXPECT_EQ(createSeen.lpCreateParams, &marker);
  EXPECT_EQ((std::vector<int>{createSeen.x, createSeen.y, createSeen.cx, createSeen.cy}),
            (std::vector<int>{10, 20, 160, 120}));
  EXPECT_TRUE(DWORD(createSeen.style) & WS_POPUP);
  EXPECT_EQ(createName, "window test");
  EXPECT_EQ(clientDuringCreate.right * 1000 + clientDuringCreate.bottom, 160120);
  EXPECT_EQ(Client(window), "0 0 160 120");
  HWND child = Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 4, 6, 30, 20, window);
  EXPECT_EQ(Client(child), "0 0 30 20");
  HWND hidden = Create(WS_POPUP, 0, 0, 40, 40);
  const Sent created = {{window, WM_NCCREATE}, {window, WM_CREATE}, {window, WM_SHOWWINDOW},
                        {child, WM_NCCREATE},  {child, WM_CREATE},  {child, WM_SHOWWINDOW},
                        {hidden, WM_NCCREATE}, {hidden, WM_CREATE}};
  EXPECT_EQ(LoggedOf({WM_NCCREATE, WM_CREATE, WM_SHOWWINDOW}), created);
  for (const Logged& entry : logged)
    EXPECT_TRUE(entry.message != WM_SHOWWINDOW || entry.wParam == TRUE);
  EXPECT_TRUE(IsWindow(child));
  EXPECT_FALSE(IsWindow(nullptr));
  EXPECT_EQ(GetParent(child), window);
  EXPECT_EQ(GetParent(window), nullptr);

  logged.clear();
  EXPECT_TRUE(DestroyWindow(window));
  const Sent destroyed = {
      {window, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {window, WM_NCDESTROY}};
  EXPECT_EQ(LoggedOf({WM_DESTROY, WM_NCDESTROY}), destroyed);
  EXPECT_EQ(Client(window) + Client(child), "nonenone");
  EXPECT_FALSE(IsWindow(window) || IsWindow(child));
  EXPECT_EQ(GetParent(child), nullptr);
  EXPECT_FALSE(DestroyWindow(window));
}

TEST_F(WindowTest, CreateAnsweringMinusOneFailsTheCall) {
  createResult = -1;
  EXPECT_EQ(Create(WS_POPUP, 0, 0, 50, 50), nullptr);
  // Never wholly made, it is freed without WM_DESTROY.
  Sent seen = LoggedOf({WM_CREATE, WM_DESTROY, WM_NCDESTROY});
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen, (Sent{{seen[0].first, WM_CREATE}, {seen[0].first, WM_NCDESTROY}}));
}

TEST_F(WindowTest, PostedMessagesComeFirstThenPaintThenTimer) {
  HWND window = Create(WS_POPUP | WS_VISIBLE, 0, 0, 80, 60);
  EXPECT_EQ(SetTimer(window, 7, 100, nullptr), UINT_PTR(7));
  Sleep(250);
  ASSERT_TRUE(PostMessageA(window, WM_APP, 0, 0));
  ASSERT_TRUE(PostMessageA(window, WM_APP + 1, 0, 0));
  EXPECT_EQ(Drain({WM_APP, WM_APP + 1, WM_PAINT, WM_TIMER}),
            (std::vector<UINT>{WM_APP, WM_APP + 1, WM_PAINT, WM_TIMER}));
  KillTimer(window, 7);
}

TEST_F(WindowTest, PaintWaitsUntilTheWindowIsValidated) {
  HWND window = Create(WS_POPUP | WS_VISIBLE, 0, 0, 80, 60);
  Sleep(50);
  Drain();
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_REMOVE));
  ASSERT_TRUE(InvalidateRect(window, nullptr, FALSE));
  for (bool validate : {false, true}) {
    // Taking it, or a procedure that does not validate, leaves it waiting.
    ASSERT_TRUE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_TRUE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_REMOVE));
    validatePaint = validate;
    DispatchMessageA(&msg);
  }
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_REMOVE));
}

TEST_F(WindowTest, TimersGiveOneMessageHoweverLateAndEndWithKillTimerOrTheirWindow) {
  HWND window = Create(WS_POPUP, 0, 0, 40, 40);
  HWND other = Create(WS_POPUP, 0, 0, 40, 40);
  EXPECT_FALSE(KillTimer(window, 9));
  EXPECT_EQ(SetTimer(window, 9, 20, nullptr), UINT_PTR(9));
  EXPECT_EQ(SetTimer(other, 3, 20, nullptr), UINT_PTR(3));
  Sleep(250);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  EXPECT_TRUE(KillTimer(window, 9));
  EXPECT_FALSE(KillTimer(window, 9));
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  EXPECT_EQ(Drain({WM_TIMER}).size(), 1u);
  EXPECT_TRUE(LoggedFor(other, WM_TIMER));
  Sleep(60);
  ASSERT_TRUE(DestroyWindow(other));
  EXPECT_TRUE(Drain({WM_TIMER}).empty());
  EXPECT_FALSE(KillTimer(other, 3));
}

TEST_F(WindowTest, CloseAndSystemCloseGoThroughDefWindowProcToDestruction) {
  HWND posted = Create(WS_POPUP, 0, 0, 40, 40);
  HWND sent = Create(WS_POPUP, 0, 0, 40, 40);
  ASSERT_TRUE(PostMessageA(posted, WM_CLOSE, 0, 0));
  Drain();
  SendMessageA(sent, WM_SYSCOMMAND, SC_CLOSE, 0);
  for (HWND window : {posted, sent}) {
    EXPECT_TRUE(LoggedFor(window, WM_CLOSE));
    EXPECT_TRUE(LoggedFor(window, WM_DESTROY));
    EXPECT_FALSE(IsWindow(window));
  }
  EXPECT_FALSE(PostMessageA(posted, WM_APP, 0, 0));
}

TEST_F(WindowTest, QuitComesAfterTheMessagesPostedBeforeAndAfterIt) {
  HWND window = Create(WS_POPUP, 0, 0, 40, 40);
  ASSERT_TRUE(PostMessageA(window, WM_APP, 0, 0));
  PostQuitMessage(3);
  ASSERT_TRUE(PostMessageA(window, WM_APP + 1, 0, 0));
  std::vector<UINT> seen;
  MSG msg;
  BOOL result;
  while ((result = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    if (msg.message >= WM_APP) seen.push_back(msg.message);
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(result, 0);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, WPARAM(3));
  EXPECT_EQ(seen, (std::vector<UINT>{WM_APP, WM_APP + 1}));
  EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), 0);
  EXPECT_TRUE(LoggedFor(window, WM_APP));
}

TEST_F(WindowTest, DrawingIntoTheWindowDCReadsBack) {
  HWND window = Create(WS_POPUP | WS_VISIBLE, 0, 0, 64, 48);
  Sleep(50);
  Drain();
  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  // A class DC of its own keeps its settings from one GetDC to the next.
  EXPECT_NE(SetStretchBltMode(dc, COLORONCOLOR), 0);
  EXPECT_EQ(GetDC(window), dc);
  EXPECT_EQ(GetStretchBltMode(dc), COLORONCOLOR);
  RECT all = {0, 0, 64, 48};
  EXPECT_NE(FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);

  const COLORREF colour = RGB(0x20, 0x90, 0xD0);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<uint32_t> pixels(16 * 16, 0x2090D0);
  ASSERT_EQ(SetDIBitsToDevice(dc, 8, 4, 16, 16, 0, 0, 0, 16, pixels.data(), &info, DIB_RGB_COLORS),
            16);
  // Stretched at the own DC's mode.
  ASSERT_EQ(StretchDIBits(dc, 30, 20, 10, 10, 0, 0, 16, 16, pixels.data(), &info, DIB_RGB_COLORS,
                          SRCCOPY),
            16);
  // Inside and just outside both drawings, as 1 and 0.
  std::string shown;
  for (POINT p : {POINT{8, 4}, {23, 19}, {24, 19}, {7, 4}, {30, 20}, {39, 29}, {40, 29}, {63, 47}})
    shown += GetPixel(dc, p.x, p.y) == colour ? "1" : GetPixel(dc, p.x, p.y) == 0 ? "0" : "?";
  EXPECT_EQ(shown, "11001100");
  EXPECT_EQ(ReleaseDC(window, dc), 1);
}

TEST_F(WindowTest, FindWindowMatchesTopLevelWindowsByClassAndTitleInAnyCase) {
  const char title[] = "LumivaneFindWindowTitle";
  HWND window = Create(WS_POPUP, 0, 0, 30, 30, nullptr, nullptr, title, WS_EX_TOPMOST);
  ASSERT_NE(Create(WS_CHILD, 0, 0, 10, 10, window, nullptr, "LumivaneFindWindowChild"), nullptr);
  EXPECT_EQ(FindWindowA(kClassName, title), window);
  EXPECT_EQ(FindWindowA("lumivanewindowtest", title), window);
  EXPECT_EQ(FindWindowA(nullptr, title), window);
  EXPECT_EQ(FindWindowA(kClassName, "LUMIVANEFINDWINDOWTITLE"), window);
  EXPECT_EQ(FindWindowA(kClassName, "LumivaneFindWindowOther"), nullptr);
  EXPECT_EQ(FindWindowA("LumivaneNoSuchClass", title), nullptr);
  // Children are not searched.
  EXPECT_EQ(FindWindowA(kClassName, "LumivaneFindWindowChild"), nullptr);

  // Texts go through messages; a short buffer takes what fits and the terminator.
  char text[64] = "unchanged";
  EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 23);
  EXPECT_STREQ(text, title);
  EXPECT_TRUE(SetWindowTextA(window, "LumivaneRetitled"));
  EXPECT_EQ(GetWindowTextA(window, text, 5), 4);
  EXPECT_STREQ(text, "Lumi");
  EXPECT_TRUE(LoggedFor(window, WM_SETTEXT) && LoggedFor(window, WM_GETTEXT));
  EXPECT_EQ(FindWindowA(kClassName, "LumivaneRetitled"), window);
  EXPECT_EQ(FindWindowA(kClassName, title), nullptr);
  ASSERT_TRUE(DestroyWindow(window));
  EXPECT_EQ(FindWindowA(kClassName, "LumivaneRetitled"), nullptr);
}

TEST_F(WindowTest, TranslateMessagePostsTheCharacterOfATypingKey) {
  HWND window = Create(WS_POPUP, 0, 0, 30, 30);
  Drain();
  MSG msg;
  // Virtual key, scan code, character.
  for (auto [vk, scan, typed] : {std::tuple<WPARAM, UINT, WPARAM>{'A', 0x1E, 'a'},
                                 {'7', 0x08, '7'},
                                 {VK_RETURN, 0x1C, '\r'}}) {
    MSG down = {window, WM_KEYDOWN, vk, LPARAM(1 | scan << 16), GetTickCount(), {0, 0}};
    EXPECT_TRUE(TranslateMessage(&down));
    ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) << typed;
    EXPECT_TRUE(msg.message == WM_CHAR && msg.wParam == typed && msg.lParam == down.lParam)
        << typed;
  }
  MSG up = {window, WM_KEYUP, 'A', LPARAM(0xC01E0001), GetTickCount(), {0, 0}};
  EXPECT_TRUE(TranslateMessage(&up));
  MSG other = {window, WM_APP, 'A', 0, GetTickCount(), {0, 0}};
  EXPECT_FALSE(TranslateMessage(&other));
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_CHAR, WM_CHAR, PM_REMOVE));
}

TEST(ScreenTest, TheCursorMovesWithinTheScreen) {
  SetEnv("SDL_VIDEODRIVER", "dummy");
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  ASSERT_GE(width, 320);
  ASSERT_GE(height, 200);
  POINT saved, point;
  ASSERT_TRUE(GetCursorPos(&saved));
  // The screen's far edges are its last pixels.
  for (POINT to : {POINT{width / 2 + 3, height / 2 - 5}, POINT{width + 50, -30}}) {
    ASSERT_TRUE(SetCursorPos(to.x, to.y));
    ASSERT_TRUE(GetCursorPos(&point));
    EXPECT_EQ(point.x, std::min(to.x, LONG(width - 1)));
    EXPECT_EQ(point.y, std::max(to.y, LONG(0)));
  }
  SetCursorPos(saved.x, saved.y);
}

TEST(TempFilesTest, TempPathAndNamesFollowTheirPattern) {
  char path[MAX_PATH];
  DWORD length = GetTempPathA(MAX_PATH, path);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, DWORD(MAX_PATH));
  EXPECT_TRUE(std::regex_match(path, std::regex(".*[\\\\/]")));
  char tooSmall[2] = {'x', 'y'};
  EXPECT_EQ(GetTempPathA(sizeof tooSmall, tooSmall), length + 1);

  // Unique 0 makes new empty files of distinct numbers, named in hexadecimal
  // (Wine leaves out leading zeros; the Linux layer always writes four digits).
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
  EXPECT_TRUE(DeleteFileA(names[0]) && DeleteFileA(names[1]));
  EXPECT_FALSE(DeleteFileA(names[0]));
  // A given number only forms the name.
  EXPECT_EQ(GetTempFileNameA(dir.c_str(), "abcdef", 0x12AB, names[0]), 0x12ABu);
  EXPECT_TRUE(std::regex_match(names[0] + dir.size(),
                               std::regex("[\\\\/]abc12ab\\.tmp", std::regex::icase)))
      << names[0];
  EXPECT_FALSE(DeleteFileA(names[0]));
}

}  // namespace
