// The saver window's messages in this process, which runs with a show appended
// (saver_test_main.cpp), and the close gate with a stand-in password verifier.
#include <gtest/gtest.h>

#include <string>

#include "host/host_state.h"
#include "host/passwords.h"
#include "host/saver_window.h"
#include "platform/win32.h"
#include "show/show_cycle.h"
#include "show/show_window.h"
#include "tests/support/child_process.h"
#include "tests/support/registry_values.h"
#include "tests/support/window_class.h"

namespace {

constexpr UINT_PTR kStrayTimer = 999;

// The stand-in for VerifyScreenSavePwd: answers as told, and notes whether a
// close or a key during the check got through.
struct FakeVerifier {
  BOOL answer = FALSE;
  int calls = 0;
  bool closeKeptWindow = false, keyPostedClose = true;
} verifier;

bool TakeClose(HWND window) {
  MSG msg;
  bool found = false;
  while (PeekMessageA(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE))
    found = msg.wParam == 0 && msg.lParam == 0;
  return found;
}

BOOL WINAPI FakeVerify(HWND window) {
  ++verifier.calls;
  SendMessageA(window, WM_CLOSE, 0, 0);
  verifier.closeKeptWindow = IsWindow(window) != 0;
  SendMessageA(window, WM_KEYDOWN, 'K', 0);
  verifier.keyPostedClose = TakeClose(window);
  return verifier.answer;
}

constexpr UINT kPresses[] = {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN,
                             WM_MBUTTONDOWN};

class SaverWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetEnv("SDL_VIDEODRIVER", "dummy");
    SetEnv("SDL_AUDIODRIVER", "dummy");
    hostState.instance = GetModuleHandleA(nullptr);
    ASSERT_NE(RegisterSaverClass(), 0);
    ASSERT_NE(RegisterTestClass("LumivaneSaverTestParent"), 0);
  }

  void SetUp() override {
    hostState.isWin9x = hostState.closeApproved = false;
    hostState.verifierLibrary = nullptr;
    hostState.verifyEntry = nullptr;
    hostState.lastCheckTick = kNoCheckYet;
    verifier = FakeVerifier();
  }

  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    if (IsWindow(parent_)) DestroyWindow(parent_);
    MSG msg;
    for (int i = 0; i < 10000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    }
  }

  // Creates the window; a preview in a new parent of 320 x 240. Checks its
  // title, size and cursor.
  void Create(bool preview, const char* title, int width, int height) {
    if (preview)
      parent_ = CreateWindowExA(0, "LumivaneSaverTestParent", "parent", WS_POPUP | WS_VISIBLE, 10,
                                10, 320, 240, nullptr, nullptr, hostState.instance, nullptr);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW), expected = preview ? arrow : nullptr;
    SetCursor(arrow);
    window_ = CreateSaverWindow(parent_);
    ASSERT_NE(window_, nullptr);
    ASSERT_FALSE(TakeClose(window_)) << "closed by its own creation";
    EXPECT_EQ(GetCursor(), expected) << "at creation";
    SetCursor(arrow);
    SendMessageA(window_, WM_SETCURSOR, WPARAM(window_), MAKELPARAM(HTCLIENT, 0));
    EXPECT_EQ(GetCursor(), expected);
    char text[64] = {};
    GetWindowTextA(window_, text, sizeof text);
    EXPECT_STREQ(text, title);
    RECT client;
    GetClientRect(window_, &client);
    EXPECT_EQ(client.right * 10000 + client.bottom, width * 10000 + height);
  }

  void CreateFullScreen() {
    Create(false, "Screen Saver", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  }

  bool Closes(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    SendMessageA(window_, message, wParam, lParam);
    return TakeClose(window_);
  }

  bool ClosesAfterMoveTo(int x, int y) {
    SetCursorPos(x, y);
    return Closes(WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
  }

  void GateOnWin9x() {
    hostState.isWin9x = true;
    hostState.verifyEntry = FakeVerify;
  }

  HWND window_ = nullptr;
  HWND parent_ = nullptr;
};

TEST_F(SaverWindowTest, FullScreenPassesMessagesToTheShowUntilTheCloseIsApproved) {
  CreateFullScreen();
  FirstPaintDone = false;
  int32_t before = LastPictureIndex;
  hostState.closeApproved = true;
  EXPECT_EQ(SendMessageA(window_, WM_TIMER, PictureTimer, 0), 0);
  SendMessageA(window_, WM_PAINT, 0, 0);
  EXPECT_FALSE(FirstPaintDone);
  EXPECT_EQ(LastPictureIndex, before);
  EXPECT_FALSE(Closes(WM_KEYDOWN, 'A', 0));
  hostState.closeApproved = false;
  SendMessageA(window_, WM_PAINT, 0, 0);
  EXPECT_TRUE(FirstPaintDone);
  int32_t first = LastPictureIndex;
  SendMessageA(window_, WM_TIMER, PictureTimer, 0);
  EXPECT_NE(LastPictureIndex, first);
}

TEST_F(SaverWindowTest, PressesDeactivationAndMovesPastFourPixelsClose) {
  SetCursorPos(200, 200);
  CreateFullScreen();
  EXPECT_FALSE(ClosesAfterMoveTo(203, 201)) << "3 right and 1 down make 4";
  EXPECT_TRUE(ClosesAfterMoveTo(204, 201));
  // Measured again from there, in either direction.
  EXPECT_FALSE(ClosesAfterMoveTo(200, 201));
  EXPECT_TRUE(ClosesAfterMoveTo(200, 196));

  for (UINT message : kPresses)
    EXPECT_TRUE(Closes(message, 'A', 0)) << std::hex << message;
  for (UINT message : {WM_KEYUP, WM_CHAR, WM_MOUSEWHEEL, WM_LBUTTONUP, WM_LBUTTONDBLCLK})
    EXPECT_FALSE(Closes(message, 'A', 0)) << std::hex << message;
  EXPECT_FALSE(Closes(WM_ACTIVATEAPP, 1, 0));
  EXPECT_TRUE(Closes(WM_ACTIVATEAPP, 0, 0));

  for (WPARAM command : {0xF040u, 0xF050u, 0xF140u})
    EXPECT_EQ(SendMessageA(window_, WM_SYSCOMMAND, command, 0), 0) << "switching is swallowed";
  EXPECT_TRUE(IsWindow(window_));
  SendMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(window_));
}

TEST_F(SaverWindowTest, APreviewIgnoresInputAndTheGateAndEndsWithItsParent) {
  GateOnWin9x();
  for (bool closedByParent : {false, true}) {
    Create(true, "Preview", 320, 240);
    SetCursorPos(100, 100);
    EXPECT_FALSE(ClosesAfterMoveTo(300, 300));
    for (UINT message : kPresses)
      EXPECT_FALSE(Closes(message, 'A', 0)) << std::hex << message;
    EXPECT_FALSE(Closes(WM_ACTIVATEAPP, 0, 0));
    if (closedByParent)
      DestroyWindow(parent_);
    else
      SendMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window_));
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
    DestroyWindow(parent_);
  }
  EXPECT_EQ(verifier.calls, 0);
}

// Two of the ticks queued before asking are dropped.
TEST_F(SaverWindowTest, ARefusedPasswordHoldsCloseRequestsOffFor200Milliseconds) {
  CreateFullScreen();
  GateOnWin9x();
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  SetCursorPos(300, 310);
  for (int i = 0; i < 3; ++i)
    PostMessageA(window_, WM_TIMER, kStrayTimer, 0);
  EXPECT_EQ(SendMessageA(window_, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(verifier.calls, 1);
  MSG msg;
  int stray = 0;
  while (PeekMessageA(&msg, window_, WM_TIMER, WM_TIMER, PM_REMOVE))
    stray += msg.wParam == kStrayTimer;
  EXPECT_EQ(stray, 1);
  EXPECT_TRUE(verifier.closeKeptWindow && !verifier.keyPostedClose);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_FALSE(hostState.verifying || hostState.closeApproved);
  EXPECT_EQ(GetCursor(), nullptr);
  EXPECT_FALSE(ClosesAfterMoveTo(303, 311)) << "measured from where the check ended";

  // Within the hold-off, at its end, and "later than now": modulo 2^32 long ago.
  int calls = 1;
  for (DWORD ago : {DWORD(150), DWORD(200), DWORD(-1000)}) {
    hostState.lastCheckTick = GetTickCount() - ago;
    EXPECT_FALSE(CloseGate(window_));
    EXPECT_EQ(verifier.calls, ago == 150 ? 1 : ++calls) << ago;
  }

  verifier.answer = TRUE;
  hostState.lastCheckTick = GetTickCount() - 1000;
  SendMessageA(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(verifier.calls, 4);
  EXPECT_FALSE(IsWindow(window_));
}

void SetPasswordSwitch(DWORD on) {
  HKEY key = CreateKey(HKEY_CURRENT_USER, "Control Panel\\Desktop");
  ASSERT_EQ(SetDwordValue(key, "ScreenSaveUsePassword", on), ERROR_SUCCESS);
  RegCloseKey(key);
}

// Read by setting it off.
UINT SaverRunning() {
  UINT previous = 7;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 0, &previous, 0);
  return previous;
}

TEST_F(SaverWindowTest, TheVerifierLoadsOnlyOnTheWindows95FamilyWithTheSwitchOn) {
  // Natively a stand-in "PASSWORD.CPL" is on the search path; under Wine none.
  const bool standIn = ExeSuffix().empty();
  SetPasswordSwitch(1);
  LoadPasswordVerifier();
  SetSaverRunning(true);
  EXPECT_EQ(hostState.verifierLibrary, nullptr) << "outside the family nothing loads";
  EXPECT_TRUE(!standIn || SaverRunning() == 0u) << "nor is the system told of the saver";
  hostState.isWin9x = true;
  LoadPasswordVerifier();
  EXPECT_EQ(hostState.verifyEntry != nullptr, standIn);
  if (standIn) {
    EXPECT_EQ(hostState.verifyEntry(nullptr), TRUE);
    EXPECT_EQ(SaverRunning(), 1u) << "the loaded verifier marks the saver running";
  }
  // Loading with the switch off unloads what is there; with no verifier the
  // close is approved.
  SetPasswordSwitch(0);
  LoadPasswordVerifier();
  EXPECT_EQ(hostState.verifierLibrary, nullptr);
  EXPECT_EQ(hostState.verifyEntry, nullptr);
  EXPECT_TRUE(CloseGate(nullptr));
}

}  // namespace
