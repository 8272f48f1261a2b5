// Windows, messages, timers and temporary files, through platform/win32.h.
// Runs natively against the Linux layer (SDL's dummy video driver, so no
// display is needed) and under Wine against the real calls: what it expects is
// what Windows does. Message logs are read only for the messages a test is
// about, since Windows sends many more (activation, focus, non-client ones).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
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
// What the procedure saw during WM_CREATE.
CREATESTRUCTA createSeen;
RECT clientDuringCreate;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  logged.push_back(Logged{window, message, wParam});
  if (message == WM_CREATE) {
    createSeen = *reinterpret_cast<const CREATESTRUCTA*>(lParam);
    GetClientRect(window, &clientDuringCreate);
    return createResult;
  }
  if (message == WM_PAINT && !validatePaint) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

const char kClassName[] = "LumivaneWindowTest";

bool Is(UINT message, const std::vector<UINT>& wanted) {
  return std::find(wanted.begin(), wanted.end(), message) != wanted.end();
}

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Only the Linux layer reads it, before its first window.
    SetEnv("SDL_VIDEODRIVER", "dummy");
    // Classes stay registered until the program ends; tests may be repeated.
    static bool registered = false;
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
              LPVOID param = nullptr) {
    HWND window = CreateWindowExA(0, kClassName, "window test", style, x, y, width, height, parent,
                                  nullptr, GetModuleHandleA(nullptr), param);
    if (window != nullptr) windows_.push_back(window);
    return window;
  }

  // Takes and dispatches every waiting message; returns those of wanted in
  // the order they came.
  static std::vector<UINT> Drain(const std::vector<UINT>& wanted = {}) {
    std::vector<UINT> seen;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (Is(msg.message, wanted)) seen.push_back(msg.message);
      DispatchMessageA(&msg);
    }
    return seen;
  }

  static bool LoggedFor(HWND window, UINT message) {
    return std::any_of(logged.begin(), logged.end(), [&](const Logged& entry) {
      return entry.window == window && entry.message == message;
    });
  }

  std::vector<HWND> windows_;
};

TEST_F(WindowTest, CreationSendsCreateBeforeReturningAndDestructionTheDestroyMessages) {
  int marker = 0;
  HWND window = Create(WS_POPUP, 10, 20, 160, 120, nullptr, &marker);
  ASSERT_NE(window, nullptr);

  auto create = std::find_if(logged.begin(), logged.end(),
                             [](const Logged& entry) { return entry.message == WM_CREATE; });
  ASSERT_NE(create, logged.end());
  EXPECT_EQ(create->window, window);
  auto ncCreate = std::find_if(logged.begin(), logged.end(),
                               [](const Logged& entry) { return entry.message == WM_NCCREATE; });
  EXPECT_LT(ncCreate, create);
  EXPECT_EQ(createSeen.lpCreateParams, &marker);
  EXPECT_EQ(createSeen.x, 10);
  EXPECT_EQ(createSeen.y, 20);
  EXPECT_EQ(createSeen.cx, 160);
  EXPECT_EQ(createSeen.cy, 120);
  EXPECT_TRUE(DWORD(createSeen.style) & WS_POPUP);
  EXPECT_STREQ(createSeen.lpszName, "window test");
  EXPECT_EQ(clientDuringCreate.right, 160);
  EXPECT_EQ(clientDuringCreate.bottom, 120);

  RECT client;
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.left, 0);
  EXPECT_EQ(client.top, 0);
  EXPECT_EQ(client.right, 160);
  EXPECT_EQ(client.bottom, 120);

  HWND child = Create(WS_CHILD | WS_VISIBLE, 4, 6, 30, 20, window);
  ASSERT_NE(child, nullptr);
  ASSERT_TRUE(GetClientRect(child, &client));
  EXPECT_EQ(client.right, 30);
  EXPECT_EQ(client.bottom, 20);

  logged.clear();
  EXPECT_TRUE(DestroyWindow(window));
  std::vector<std::pair<HWND, UINT>> destruction;
  for (const Logged& entry : logged) {
    if (entry.message == WM_DESTROY || entry.message == WM_NCDESTROY) {
      destruction.emplace_back(entry.window, entry.message);
    }
  }
  std::vector<std::pair<HWND, UINT>> expected = {
      {window, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {window, WM_NCDESTROY}};
  EXPECT_EQ(destruction, expected);
  EXPECT_FALSE(GetClientRect(window, &client));
  EXPECT_FALSE(GetClientRect(child, &client));
  EXPECT_FALSE(DestroyWindow(window));
}

TEST_F(WindowTest, CreateAnsweringMinusOneFailsTheCall) {
  createResult = -1;
  EXPECT_EQ(Create(WS_POPUP, 0, 0, 50, 50), nullptr);
  auto sent = [](UINT message) {
    return std::any_of(logged.begin(), logged.end(),
                       [message](const Logged& entry) { return entry.message == message; });
  };
  EXPECT_TRUE(sent(WM_CREATE));
  // Never wholly made, it is freed without WM_DESTROY.
  EXPECT_TRUE(sent(WM_NCDESTROY));
  EXPECT_FALSE(sent(WM_DESTROY));
}

TEST_F(WindowTest, PostedMessagesComeFirstThenPaintThenTimer) {
  HWND window = Create(WS_POPUP | WS_VISIBLE, 0, 0, 80, 60);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SetTimer(window, 7, 100, nullptr), UINT_PTR(7));
  Sleep(250);
  ASSERT_TRUE(PostMessageA(window, WM_APP, 0, 0));
  ASSERT_TRUE(PostMessageA(window, WM_APP + 1, 0, 0));
  std::vector<UINT> order = Drain({WM_APP, WM_APP + 1, WM_PAINT, WM_TIMER});
  std::vector<UINT> expected = {WM_APP, WM_APP + 1, WM_PAINT, WM_TIMER};
  EXPECT_EQ(order, expected);
  KillTimer(window, 7);
}

TEST_F(WindowTest, PaintWaitsUntilTheWindowIsValidated) {
  HWND window = Create(WS_POPUP | WS_VISIBLE, 0, 0, 80, 60);
  ASSERT_NE(window, nullptr);
  Sleep(50);
  Drain();
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_REMOVE));

  ASSERT_TRUE(InvalidateRect(window, nullptr, FALSE));
  ASSERT_TRUE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, window);
  // Not validated yet: taking it did not remove it.
  EXPECT_TRUE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_REMOVE));
  validatePaint = false;
  DispatchMessageA(&msg);
  EXPECT_TRUE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_REMOVE));
  validatePaint = true;
  DispatchMessageA(&msg);
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_REMOVE));
}

TEST_F(WindowTest, ATimerDueManyTimesGivesOneMessage) {
  HWND window = Create(WS_POPUP, 0, 0, 40, 40);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SetTimer(window, 5, 20, nullptr), UINT_PTR(5));
  Sleep(250);
  std::vector<UINT> timers = Drain({WM_TIMER});
  EXPECT_EQ(timers.size(), 1u);
  EXPECT_TRUE(LoggedFor(window, WM_TIMER));
  EXPECT_TRUE(KillTimer(window, 5));
}

TEST_F(WindowTest, KillTimerStopsATimerOnceAndTakesBackItsMessage) {
  HWND window = Create(WS_POPUP, 0, 0, 40, 40);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(KillTimer(window, 9));
  EXPECT_EQ(SetTimer(window, 9, 20, nullptr), UINT_PTR(9));
  Sleep(100);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  EXPECT_TRUE(KillTimer(window, 9));
  EXPECT_FALSE(KillTimer(window, 9));
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  Sleep(60);
  EXPECT_TRUE(Drain({WM_TIMER}).empty());
}

TEST_F(WindowTest, DestroyingAWindowEndsItsTimers) {
  HWND window = Create(WS_POPUP, 0, 0, 40, 40);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SetTimer(window, 3, 20, nullptr), UINT_PTR(3));
  Sleep(60);
  ASSERT_TRUE(DestroyWindow(window));
  EXPECT_TRUE(Drain({WM_TIMER}).empty());
  EXPECT_FALSE(KillTimer(window, 3));
}

TEST_F(WindowTest, CloseGoesThroughDefWindowProcToDestruction) {
  HWND window = Create(WS_POPUP, 0, 0, 40, 40);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
  Drain();
  EXPECT_TRUE(LoggedFor(window, WM_CLOSE));
  EXPECT_TRUE(LoggedFor(window, WM_DESTROY));
  RECT client;
  EXPECT_FALSE(GetClientRect(window, &client));
  EXPECT_FALSE(PostMessageA(window, WM_APP, 0, 0));
}

TEST_F(WindowTest, QuitComesAfterTheMessagesPostedBeforeAndAfterIt) {
  HWND window = Create(WS_POPUP, 0, 0, 40, 40);
  ASSERT_NE(window, nullptr);
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
  std::vector<UINT> expected = {WM_APP, WM_APP + 1};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(SendMessageA(window, WM_APP, 0, 0), 0);
  EXPECT_TRUE(LoggedFor(window, WM_APP));
}

// A 32-bit top-down DIB of one colour.
struct SolidDib {
  SolidDib(int width, int height, COLORREF colour) : pixels(size_t(width) * height) {
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::fill(pixels.begin(), pixels.end(),
              uint32_t(GetRValue(colour)) << 16 | GetGValue(colour) << 8 | GetBValue(colour));
  }
  BITMAPINFO info;
  std::vector<uint32_t> pixels;
};

TEST_F(WindowTest, DrawingIntoTheWindowDCReadsBack) {
  HWND window = Create(WS_POPUP | WS_VISIBLE, 0, 0, 64, 48);
  ASSERT_NE(window, nullptr);
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
  EXPECT_EQ(GetPixel(dc, 63, 47), RGB(0, 0, 0));

  const COLORREF colour = RGB(0x20, 0x90, 0xD0);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 16, 16);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SolidDib dib(16, 16, colour);
  ASSERT_EQ(SetDIBitsToDevice(memory, 0, 0, 16, 16, 0, 0, 0, 16, dib.pixels.data(), &dib.info,
                              DIB_RGB_COLORS),
            16);
  ASSERT_TRUE(BitBlt(dc, 8, 4, 16, 16, memory, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(dc, 8, 4), colour);
  EXPECT_EQ(GetPixel(dc, 23, 19), colour);
  EXPECT_EQ(GetPixel(dc, 24, 19), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 7, 4), RGB(0, 0, 0));

  // A child draws into its part of the parent's pixels.
  HWND child = Create(WS_CHILD | WS_VISIBLE, 30, 20, 10, 10, window);
  ASSERT_NE(child, nullptr);
  Drain();
  HDC childDC = GetDC(child);
  ASSERT_NE(childDC, nullptr);
  SetStretchBltMode(childDC, COLORONCOLOR);
  ASSERT_EQ(StretchDIBits(childDC, 0, 0, 10, 10, 0, 0, 16, 16, dib.pixels.data(), &dib.info,
                          DIB_RGB_COLORS, SRCCOPY),
            16);
  EXPECT_EQ(GetPixel(childDC, 0, 0), colour);
  EXPECT_EQ(GetPixel(dc, 30, 20), colour);
  EXPECT_EQ(GetPixel(dc, 39, 29), colour);
  EXPECT_EQ(GetPixel(dc, 40, 29), RGB(0, 0, 0));
  EXPECT_EQ(ReleaseDC(child, childDC), 1);

  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EXPECT_EQ(ReleaseDC(window, dc), 1);
}

std::string Lower(std::string text) {
  for (char& c : text)
    c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

TEST_F(WindowTest, AVisibleWindowIsShownAfterItsCreation) {
  HWND window = Create(WS_POPUP | WS_VISIBLE, 0, 0, 40, 40);
  ASSERT_NE(window, nullptr);
  HWND child = Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window);
  ASSERT_NE(child, nullptr);
  HWND hidden = Create(WS_POPUP, 0, 0, 40, 40);
  ASSERT_NE(hidden, nullptr);
  std::vector<std::pair<HWND, UINT>> order;
  for (const Logged& entry : logged) {
    if (entry.message == WM_CREATE || entry.message == WM_SHOWWINDOW) {
      EXPECT_TRUE(entry.message != WM_SHOWWINDOW || entry.wParam == TRUE);
      order.emplace_back(entry.window, entry.message);
    }
  }
  std::vector<std::pair<HWND, UINT>> expected = {{window, WM_CREATE},
                                                 {window, WM_SHOWWINDOW},
                                                 {child, WM_CREATE},
                                                 {child, WM_SHOWWINDOW},
                                                 {hidden, WM_CREATE}};
  EXPECT_EQ(order, expected);
}

TEST_F(WindowTest, IsWindowAndGetParentFollowTheWindowsLife) {
  HWND window = Create(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 60, 40);
  ASSERT_NE(window, nullptr);
  HWND child = Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 20, 20, window);
  ASSERT_NE(child, nullptr);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(IsWindow(child));
  EXPECT_FALSE(IsWindow(nullptr));
  EXPECT_EQ(GetParent(child), window);
  EXPECT_EQ(GetParent(window), nullptr);
  ASSERT_TRUE(DestroyWindow(window));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(GetParent(child), nullptr);
}

TEST_F(WindowTest, FindWindowMatchesTopLevelWindowsByClassAndTitle) {
  const char title[] = "LumivaneFindWindowTitle";
  HWND window = CreateWindowExA(WS_EX_TOPMOST, kClassName, title, WS_POPUP, 0, 0, 30, 30, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  windows_.push_back(window);
  HWND child = CreateWindowExA(0, kClassName, "LumivaneFindWindowChild", WS_CHILD, 0, 0, 10, 10,
                               window, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(child, nullptr);

  EXPECT_EQ(FindWindowA(kClassName, title), window);
  EXPECT_EQ(FindWindowA(Lower(kClassName).c_str(), title), window);
  EXPECT_EQ(FindWindowA(nullptr, title), window);
  // Titles match in any case too, as under Wine.
  EXPECT_EQ(FindWindowA(kClassName, "LUMIVANEFINDWINDOWTITLE"), window);
  EXPECT_EQ(FindWindowA(kClassName, "LumivaneFindWindowOther"), nullptr);
  EXPECT_EQ(FindWindowA("LumivaneNoSuchClass", title), nullptr);
  // Children are not searched.
  EXPECT_EQ(FindWindowA(kClassName, "LumivaneFindWindowChild"), nullptr);

  ASSERT_TRUE(DestroyWindow(window));
  EXPECT_EQ(FindWindowA(kClassName, title), nullptr);
}

TEST_F(WindowTest, WindowTextIsSetAndReadThroughMessages) {
  HWND window = Create(WS_POPUP, 0, 0, 30, 30);
  ASSERT_NE(window, nullptr);
  char text[64] = "unchanged";
  EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 11);
  EXPECT_STREQ(text, "window test");

  logged.clear();
  EXPECT_TRUE(SetWindowTextA(window, "LumivaneRetitled"));
  EXPECT_TRUE(LoggedFor(window, WM_SETTEXT));
  EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 16);
  EXPECT_STREQ(text, "LumivaneRetitled");
  EXPECT_TRUE(LoggedFor(window, WM_GETTEXT));
  EXPECT_EQ(FindWindowA(kClassName, "LumivaneRetitled"), window);

  // A short buffer takes what fits and the terminator.
  char shortText[5] = "xxxx";
  EXPECT_EQ(GetWindowTextA(window, shortText, sizeof shortText), 4);
  EXPECT_STREQ(shortText, "Lumi");
}

TEST_F(WindowTest, EnableWindowAnswersWithThePreviousState) {
  HWND window = Create(WS_POPUP, 0, 0, 30, 30);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowEnabled(window));
  EXPECT_FALSE(EnableWindow(window, FALSE));
  EXPECT_FALSE(IsWindowEnabled(window));
  EXPECT_TRUE(LoggedFor(window, WM_ENABLE));
  EXPECT_TRUE(EnableWindow(window, FALSE));
  EXPECT_TRUE(EnableWindow(window, TRUE));
  EXPECT_TRUE(IsWindowEnabled(window));
}

TEST_F(WindowTest, SystemCommandCloseClosesTheWindow) {
  HWND window = Create(WS_POPUP, 0, 0, 30, 30);
  ASSERT_NE(window, nullptr);
  SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(LoggedFor(window, WM_CLOSE));
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowTest, TranslateMessagePostsTheCharacterOfATypingKey) {
  HWND window = Create(WS_POPUP, 0, 0, 30, 30);
  ASSERT_NE(window, nullptr);
  Drain();
  struct Key {
    WPARAM vk;
    UINT scan;
    char typed;
  };
  for (Key key : {Key{'A', 0x1E, 'a'}, Key{'7', 0x08, '7'}, Key{VK_RETURN, 0x1C, '\r'}}) {
    MSG down = {window, WM_KEYDOWN, key.vk, LPARAM(1 | key.scan << 16), GetTickCount(), {0, 0}};
    EXPECT_TRUE(TranslateMessage(&down));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) << key.typed;
    EXPECT_EQ(msg.message, WM_CHAR);
    EXPECT_EQ(msg.wParam, WPARAM(static_cast<unsigned char>(key.typed)));
    EXPECT_EQ(msg.lParam, down.lParam);
  }
  MSG up = {window, WM_KEYUP, 'A', LPARAM(0xC01E0001), GetTickCount(), {0, 0}};
  EXPECT_TRUE(TranslateMessage(&up));
  MSG other = {window, WM_APP, 'A', 0, GetTickCount(), {0, 0}};
  EXPECT_FALSE(TranslateMessage(&other));
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_CHAR, WM_CHAR, PM_REMOVE));
}

TEST(ScreenTest, TheCursorMovesWithinTheScreen) {
  SetEnv("SDL_VIDEODRIVER", "dummy");
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  ASSERT_GE(width, 320);
  ASSERT_GE(height, 200);
  POINT saved;
  ASSERT_TRUE(GetCursorPos(&saved));

  ASSERT_TRUE(SetCursorPos(width / 2 + 3, height / 2 - 5));
  POINT point;
  ASSERT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(point.x, width / 2 + 3);
  EXPECT_EQ(point.y, height / 2 - 5);
  // The screen's far edges are its last pixels.
  ASSERT_TRUE(SetCursorPos(width + 50, -30));
  ASSERT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(point.x, width - 1);
  EXPECT_EQ(point.y, 0);
  SetCursorPos(saved.x, saved.y);
}

TEST(TempFilesTest, TempPathEndsWithASeparatorAndReportsTheSizeItNeeds) {
  char path[MAX_PATH];
  DWORD length = GetTempPathA(MAX_PATH, path);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, DWORD(MAX_PATH));
  EXPECT_EQ(std::strlen(path), length);
  EXPECT_TRUE(IsSeparator(path[length - 1]));
  char tooSmall[2] = {'x', 'y'};
  EXPECT_EQ(GetTempPathA(sizeof tooSmall, tooSmall), length + 1);
}

TEST(TempFilesTest, UniqueZeroCreatesDistinctEmptyFiles) {
  ScratchDir scratch;
  char first[MAX_PATH];
  char second[MAX_PATH];
  UINT firstNumber = GetTempFileNameA(scratch.path().c_str(), "lvxyz", 0, first);
  UINT secondNumber = GetTempFileNameA(scratch.path().c_str(), "lvxyz", 0, second);
  ASSERT_NE(firstNumber, 0u);
  ASSERT_NE(secondNumber, 0u);
  EXPECT_NE(firstNumber, secondNumber);
  EXPECT_STRNE(first, second);
  for (const char* name : {first, second}) {
    std::string text = name;
    ASSERT_GT(text.size(), scratch.path().size() + 1) << text;
    EXPECT_EQ(text.substr(0, scratch.path().size()), scratch.path());
    EXPECT_TRUE(IsSeparator(text[scratch.path().size()]));
    // Wine leaves out leading zeros of the number; the Linux layer always
    // writes four digits.
    std::string file = Lower(text.substr(scratch.path().size() + 1));
    ASSERT_GE(file.size(), 3u + 1 + 4) << text;
    ASSERT_LE(file.size(), 3u + 4 + 4) << text;
    EXPECT_EQ(file.substr(0, 3), "lvx");
    EXPECT_EQ(file.substr(file.size() - 4), ".tmp");
    std::string digits = file.substr(3, file.size() - 3 - 4);
    EXPECT_EQ(digits.find_first_not_of("0123456789abcdef"), std::string::npos) << text;
    UINT number = name == first ? firstNumber : secondNumber;
    EXPECT_EQ(std::stoul(digits, nullptr, 16), number & 0xFFFFu) << text;
    EXPECT_EQ(ReadFileBytes(text), "");
  }

  EXPECT_TRUE(DeleteFileA(first));
  EXPECT_TRUE(DeleteFileA(second));
  EXPECT_FALSE(DeleteFileA(first));
}

TEST(TempFilesTest, AGivenNumberOnlyFormsTheName) {
  ScratchDir scratch;
  char name[MAX_PATH];
  EXPECT_EQ(GetTempFileNameA(scratch.path().c_str(), "abcdef", 0x12AB, name), 0x12ABu);
  std::string text = name;
  EXPECT_EQ(Lower(text.substr(scratch.path().size() + 1)), "abc12ab.tmp");
  EXPECT_FALSE(DeleteFileA(name));
}

}  // namespace
