// The saver window's message chain in the test's own process: input turned
// into close requests, the preview's rules, the approved close, the close
// gate with a stand-in password verifier, and the verifier's life cycle. The
// program runs in a copy of itself with a show appended (saver_test_main.cpp),
// so that the window loads a show as it does in the player. Natively against
// the Linux layer with SDL's dummy video driver, under Wine against the real
// calls.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/host_state.h"
#include "host/passwords.h"
#include "host/saver_window.h"
#include "platform/win32.h"
#include "show/show_cycle.h"
#include "show/show_window.h"
#include "tests/support/child_process.h"

namespace {

constexpr UINT_PTR kStrayTimer = 999;
constexpr UINT_PTR kLateTimer = 998;

// The stand-in for VerifyScreenSavePwd: answers as told, and records what
// the saver looked like while it was asked.
struct FakeVerifier {
  BOOL answer = FALSE;
  int calls = 0;
  bool verifyingSeen = false;
  bool closeDuringCheckKeptWindow = false;
  bool keyDuringCheckPostedClose = true;
  std::vector<UINT_PTR> timersQueued;  // stray WM_TIMER messages still queued when asked
  bool postTimerDuringCheck = false;
} verifier;

// The posted WM_TIMER messages of window with id, removed from the queue.
int TakeTimers(HWND window, UINT_PTR id) {
  std::vector<MSG> others;
  int found = 0;
  MSG msg;
  while (PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    if (msg.wParam == id)
      ++found;
    else
      others.push_back(msg);
  }
  for (const MSG& other : others)
    PostMessageA(other.hwnd, other.message, other.wParam, other.lParam);
  return found;
}

bool TakeClose(HWND window) {
  MSG msg;
  bool found = false;
  while (PeekMessageA(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(msg.lParam, 0);
    found = true;
  }
  return found;
}

BOOL WINAPI FakeVerify(HWND window) {
  ++verifier.calls;
  verifier.verifyingSeen = hostState.verifying;
  verifier.timersQueued.clear();
  for (int n = TakeTimers(window, kStrayTimer); n > 0; --n) {
    verifier.timersQueued.push_back(kStrayTimer);
    PostMessageA(window, WM_TIMER, kStrayTimer, 0);
  }
  // A close request and a key press while the password is asked for.
  SendMessageA(window, WM_CLOSE, 0, 0);
  verifier.closeDuringCheckKeptWindow = IsWindow(window) != 0;
  SendMessageA(window, WM_KEYDOWN, 'K', 0);
  verifier.keyDuringCheckPostedClose = TakeClose(window);
  if (verifier.postTimerDuringCheck) PostMessageA(window, WM_TIMER, kLateTimer, 0);
  return verifier.answer;
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

constexpr char kParentClass[] = "LumivaneSaverTestParent";

class SaverWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetEnv("SDL_VIDEODRIVER", "dummy");
    SetEnv("SDL_AUDIODRIVER", "dummy");
    static bool registered = false;
    if (registered) return;
    registered = true;
    hostState.instance = GetModuleHandleA(nullptr);
    ASSERT_NE(RegisterSaverClass(), 0);
    WNDCLASSA parentClass = {};
    parentClass.lpfnWndProc = ParentProc;
    parentClass.hInstance = GetModuleHandleA(nullptr);
    parentClass.lpszClassName = kParentClass;
    ASSERT_NE(RegisterClassA(&parentClass), 0);
  }

  void SetUp() override {
    hostState.isWin9x = false;
    hostState.isPreview = false;
    hostState.closeApproved = false;
    hostState.verifying = false;
    hostState.verifierLibrary = nullptr;
    hostState.verifyEntry = nullptr;
    hostState.lastCheckTick = kNoCheckYet;
    verifier = FakeVerifier();
  }

  void TearDown() override {
    if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
    if (parent_ != nullptr && IsWindow(parent_)) DestroyWindow(parent_);
    // What the windows left: posted messages and the quit message of the
    // window's destruction. With the windows gone nothing waits for paint.
    MSG msg;
    for (int i = 0; i < 10000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    }
  }

  void CreateFullScreen() {
    window_ = CreateSaverWindow(nullptr);
    ASSERT_NE(window_, nullptr);
    ASSERT_FALSE(TakeClose(window_)) << "closed by its own creation";
  }

  void CreatePreview() {
    parent_ = CreateWindowExA(0, kParentClass, "parent", WS_POPUP | WS_VISIBLE, 10, 10, 320, 240,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    window_ = CreateSaverWindow(parent_);
    ASSERT_NE(window_, nullptr);
  }

  bool Closes(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    SendMessageA(window_, message, wParam, lParam);
    return TakeClose(window_);
  }

  bool ClosesAfterMoveTo(int x, int y) {
    SetCursorPos(x, y);
    return Closes(WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
  }

  std::string Title() {
    char text[64] = {};
    GetWindowTextA(window_, text, sizeof text);
    return text;
  }

  HWND window_ = nullptr;
  HWND parent_ = nullptr;
};

TEST_F(SaverWindowTest, FullScreenWindowCoversTheScreenUnderItsTitle) {
  CreateFullScreen();
  EXPECT_EQ(hostState.saverWindow, window_);
  EXPECT_FALSE(hostState.isPreview);
  RECT client;
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(client.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(Title(), "Screen Saver");
  // Setting the text never changes it.
  SetWindowTextA(window_, "Something else");
  EXPECT_EQ(Title(), "Screen Saver");
}

TEST_F(SaverWindowTest, SmallMovesAddUpUntilTheyPassFourPixels) {
  SetCursorPos(200, 200);
  CreateFullScreen();
  EXPECT_EQ(hostState.savedCursor.x, 200);
  EXPECT_EQ(hostState.savedCursor.y, 200);
  EXPECT_FALSE(Closes(WM_MOUSEMOVE, 0, MAKELPARAM(50, 50))) << "the message's own place counts";
  EXPECT_FALSE(ClosesAfterMoveTo(202, 200));
  EXPECT_FALSE(ClosesAfterMoveTo(203, 201)) << "3 right and 1 down make 4";
  EXPECT_TRUE(ClosesAfterMoveTo(204, 201));
  EXPECT_EQ(hostState.savedCursor.x, 204);
  EXPECT_EQ(hostState.savedCursor.y, 201);
  // Measured again from there, and in both directions.
  EXPECT_FALSE(ClosesAfterMoveTo(200, 201));
  EXPECT_TRUE(ClosesAfterMoveTo(200, 200));
  EXPECT_TRUE(ClosesAfterMoveTo(200, 195));
}

TEST_F(SaverWindowTest, PressesCloseButReleasesCharactersWheelAndDoubleClicksDoNot) {
  CreateFullScreen();
  for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
    EXPECT_TRUE(Closes(message, 'A', 0)) << std::hex << message;
  for (UINT message : {WM_KEYUP, WM_SYSKEYUP, WM_CHAR, WM_MOUSEWHEEL, WM_LBUTTONUP,
                       WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK})
    EXPECT_FALSE(Closes(message, 'A', 0)) << std::hex << message;
  EXPECT_TRUE(IsWindow(window_)) << "input only posts the request";
}

TEST_F(SaverWindowTest, DeactivationClosesActivationDoesNot) {
  CreateFullScreen();
  EXPECT_FALSE(Closes(WM_ACTIVATEAPP, 1, 0));
  EXPECT_TRUE(Closes(WM_ACTIVATEAPP, 0, 0));
}

TEST_F(SaverWindowTest, TheCursorStaysHidden) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  SetCursor(arrow);
  CreateFullScreen();
  EXPECT_EQ(GetCursor(), nullptr) << "hidden at creation";
  SetCursor(arrow);
  EXPECT_EQ(SendMessageA(window_, WM_SETCURSOR, WPARAM(window_), MAKELPARAM(HTCLIENT, 0)), 1);
  EXPECT_EQ(GetCursor(), nullptr);
  SetCursor(arrow);
  SendMessageA(window_, WM_SHOWWINDOW, TRUE, 0);
  EXPECT_EQ(GetCursor(), nullptr);
  // A later paint, which changes no picture (loading one shows the wait and
  // then the arrow cursor).
  FirstPaintDone = true;
  SetCursor(arrow);
  SendMessageA(window_, WM_PAINT, 0, 0);
  EXPECT_EQ(GetCursor(), nullptr);
}

TEST_F(SaverWindowTest, SwitchingCommandsAreSwallowedAndCloseTakesItsCourse) {
  CreateFullScreen();
  for (WPARAM command : {0xF040u, 0xF050u, 0xF140u}) {
    EXPECT_EQ(SendMessageA(window_, WM_SYSCOMMAND, command, 0), 0);
    EXPECT_TRUE(IsWindow(window_));
  }
  SendMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(window_));
}

TEST_F(SaverWindowTest, AfterApprovalTheShowNeitherTicksNorPaints) {
  CreateFullScreen();
  FirstPaintDone = false;
  int32_t before = LastPictureIndex;
  hostState.closeApproved = true;
  EXPECT_EQ(SendMessageA(window_, WM_TIMER, PictureTimer, 0), 0);
  SendMessageA(window_, WM_PAINT, 0, 0);
  EXPECT_FALSE(FirstPaintDone);
  EXPECT_EQ(LastPictureIndex, before);
  EXPECT_FALSE(Closes(WM_KEYDOWN, 'A', 0));
  // Without approval the same messages reach the show.
  hostState.closeApproved = false;
  SendMessageA(window_, WM_PAINT, 0, 0);
  EXPECT_TRUE(FirstPaintDone);
  int32_t first = LastPictureIndex;
  SendMessageA(window_, WM_TIMER, PictureTimer, 0);
  EXPECT_NE(LastPictureIndex, first);
}

TEST_F(SaverWindowTest, PreviewFitsItsParentAndNeverClosesOnInput) {
  CreatePreview();
  EXPECT_TRUE(hostState.isPreview);
  EXPECT_EQ(GetParent(window_), parent_);
  EXPECT_EQ(Title(), "Preview");
  RECT client;
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 240);

  SetCursorPos(100, 100);
  EXPECT_FALSE(Closes(WM_MOUSEMOVE));
  EXPECT_FALSE(ClosesAfterMoveTo(300, 300));
  for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
    EXPECT_FALSE(Closes(message, 'A', 0)) << std::hex << message;
  EXPECT_FALSE(Closes(WM_ACTIVATEAPP, 0, 0));
  // The host leaves the cursor alone.
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  SetCursor(arrow);
  SendMessageA(window_, WM_SETCURSOR, WPARAM(window_), MAKELPARAM(HTCLIENT, 0));
  SendMessageA(window_, WM_SHOWWINDOW, TRUE, 0);
  FirstPaintDone = true;
  SendMessageA(window_, WM_PAINT, 0, 0);
  EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(SaverWindowTest, PreviewHandsHelpAndContextRequestsToItsParent) {
  CreatePreview();
  for (UINT message : {WM_HELP, WM_CONTEXTMENU}) {
    EXPECT_EQ(SendMessageA(window_, message, WPARAM(window_), 0x12345), 1);
    MSG msg;
    bool posted = PeekMessageA(&msg, parent_, message, message, PM_REMOVE) != 0;
    // Windows refuses to post WM_HELP, whose lParam is a pointer; the answer
    // is 1 all the same.
    if (message == WM_HELP && !posted) continue;
    ASSERT_TRUE(posted) << std::hex << message;
    EXPECT_EQ(msg.hwnd, parent_);
    EXPECT_EQ(msg.wParam, WPARAM(parent_));
    EXPECT_EQ(msg.lParam, 0x12345);
  }
}

TEST_F(SaverWindowTest, PreviewEndsWithItsParentAndNeverAsksForThePassword) {
  CreatePreview();
  hostState.isWin9x = true;
  hostState.verifyEntry = FakeVerify;
  SendMessageA(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(verifier.calls, 0);
  EXPECT_FALSE(IsWindow(window_));
  DestroyWindow(parent_);
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

  CreatePreview();
  DestroyWindow(parent_);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(SaverWindowTest, OutsideTheWindows95FamilyACloseIsNeverGated) {
  CreateFullScreen();
  hostState.verifyEntry = FakeVerify;
  EXPECT_EQ(SendMessageA(window_, CheckPasswordMessage, 0, 0), 0);
  SendMessageA(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(verifier.calls, 0);
  EXPECT_FALSE(IsWindow(window_));
}

TEST_F(SaverWindowTest, WithoutAVerifierTheFirstCloseIsApproved) {
  CreateFullScreen();
  hostState.isWin9x = true;
  EXPECT_EQ(SendMessageA(window_, CheckPasswordMessage, 0, 0), 1);
  EXPECT_TRUE(CloseGate(window_));
  EXPECT_TRUE(hostState.closeApproved);
  EXPECT_FALSE(CloseGate(window_)) << "approved once";
}

TEST_F(SaverWindowTest, ARefusedPasswordHoldsCloseRequestsOffFor200Milliseconds) {
  CreateFullScreen();
  hostState.isWin9x = true;
  hostState.verifyEntry = FakeVerify;
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  SetCursor(arrow);
  SetCursorPos(300, 310);

  DWORD before = GetTickCount();
  EXPECT_EQ(SendMessageA(window_, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(verifier.calls, 1);
  EXPECT_TRUE(verifier.verifyingSeen);
  EXPECT_TRUE(verifier.closeDuringCheckKeptWindow);
  EXPECT_FALSE(verifier.keyDuringCheckPostedClose);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_FALSE(hostState.verifying);
  EXPECT_FALSE(hostState.closeApproved);
  EXPECT_EQ(GetCursor(), nullptr);
  EXPECT_EQ(hostState.savedCursor.x, 300);
  EXPECT_EQ(hostState.savedCursor.y, 310);
  EXPECT_LE(hostState.lastCheckTick - before, GetTickCount() - before);

  // Within the hold-off: refused without asking.
  hostState.lastCheckTick = GetTickCount() - 150;
  EXPECT_FALSE(CloseGate(window_));
  EXPECT_EQ(verifier.calls, 1);
  // After it: asked again.
  hostState.lastCheckTick = GetTickCount() - 200;
  EXPECT_FALSE(CloseGate(window_));
  EXPECT_EQ(verifier.calls, 2);
  // The difference is taken modulo 2^32: a last check that reads as later
  // than now lies far in the past.
  hostState.lastCheckTick = GetTickCount() + 1000;
  EXPECT_FALSE(CloseGate(window_));
  EXPECT_EQ(verifier.calls, 3);

  verifier.answer = TRUE;
  hostState.lastCheckTick = GetTickCount() - 1000;
  SendMessageA(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(verifier.calls, 4);
  EXPECT_TRUE(hostState.closeApproved);
  EXPECT_FALSE(IsWindow(window_));
}

TEST_F(SaverWindowTest, AtMostTwoQueuedTimerMessagesAreDroppedBeforeAsking) {
  CreateFullScreen();
  hostState.isWin9x = true;
  hostState.verifyEntry = FakeVerify;
  verifier.postTimerDuringCheck = true;
  for (int i = 0; i < 3; ++i)
    PostMessageA(window_, WM_TIMER, kStrayTimer, 0);
  EXPECT_FALSE(CloseGate(window_));
  EXPECT_EQ(verifier.calls, 1);
  EXPECT_EQ(verifier.timersQueued.size(), 1u);
  EXPECT_EQ(TakeTimers(window_, kStrayTimer), 1);
  EXPECT_EQ(TakeTimers(window_, kLateTimer), 1) << "ticks during the check reach the show";
}

// A library both systems have, standing in for "PASSWORD.CPL".
std::string SomeLibrary() {
  return ExeSuffix().empty() ? "libc.so.6" : "kernel32.dll";
}

void SetPasswordSwitch(const BYTE* data, DWORD size, DWORD type) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "ScreenSaveUsePassword", 0, type, data, size), ERROR_SUCCESS);
  RegCloseKey(key);
}

// The saver-running state, read by setting it off.
UINT SaverRunning() {
  UINT previous = 7;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 0, &previous, 0);
  return previous;
}

TEST_F(SaverWindowTest, TheVerifierLoadsOnlyOnTheWindows95FamilyWithTheSwitchOn) {
  // Natively a stand-in "PASSWORD.CPL" is on the loader's search path; the
  // Wine prefix has none, so there nothing loads at all.
  const bool standIn = ExeSuffix().empty();
  DWORD on = 1;
  SetPasswordSwitch(reinterpret_cast<const BYTE*>(&on), sizeof on, REG_DWORD);
  LoadPasswordVerifier();
  SetSaverRunning(true);
  EXPECT_EQ(hostState.verifierLibrary, nullptr) << "outside the family nothing loads";
  if (standIn) {
    EXPECT_EQ(SaverRunning(), 0u) << "nor is the system told of the saver";
  }
  hostState.isWin9x = true;
  LoadPasswordVerifier();
  EXPECT_EQ(hostState.verifierLibrary != nullptr, standIn);
  EXPECT_EQ(hostState.verifyEntry != nullptr, standIn);
  if (standIn) {
    EXPECT_EQ(hostState.verifyEntry(nullptr), TRUE);
    EXPECT_EQ(SaverRunning(), 1u) << "the loaded verifier marks the saver running";
    UnloadPasswordVerifier();
  }

  // Unloading frees a loaded verifier and forgets its entry.
  hostState.verifierLibrary = LoadLibraryA(SomeLibrary().c_str());
  ASSERT_NE(hostState.verifierLibrary, nullptr);
  hostState.verifyEntry = FakeVerify;
  UnloadPasswordVerifier();
  EXPECT_EQ(hostState.verifierLibrary, nullptr);
  EXPECT_EQ(hostState.verifyEntry, nullptr);
  // Loading again first unloads what is there.
  DWORD off = 0;
  SetPasswordSwitch(reinterpret_cast<const BYTE*>(&off), sizeof off, REG_DWORD);
  hostState.verifierLibrary = LoadLibraryA(SomeLibrary().c_str());
  hostState.verifyEntry = FakeVerify;
  LoadPasswordVerifier();
  EXPECT_EQ(hostState.verifierLibrary, nullptr);
  EXPECT_EQ(hostState.verifyEntry, nullptr);
}

}  // namespace
