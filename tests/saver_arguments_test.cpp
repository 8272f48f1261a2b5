// From the command line to a mode and an exit code: the argument locator,
// window handles, the mode letters, SaverMain in the test's own process (a
// preview into a window of the test, the settings dialog over the foreground
// window), and the player itself in child
// processes for the arguments that end at once. The program runs in a copy of
// itself with a show appended (saver_test_main.cpp), as the preview loads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "host/command_line.h"
#include "host/host_state.h"
#include "host/saver_main.h"
#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/saver_test_main.h"

namespace {

TEST(LocateArgumentTest, SkipsTheProgramNameAndTheBlanksAfterIt) {
  struct Case {
    const char* commandLine;
    const char* argument;
  } cases[] = {
      {"saver.scr /s", "/s"},
      {"saver.scr", ""},
      {"saver.scr   \t /p 1234", "/p 1234"},
      {"saver.scr \x01\x1F/c", "/c"},
      {"\"C:\\My Shows\\saver.scr\" /p 1234", "/p 1234"},
      {"\"C:\\My Shows\\saver.scr\"/s", "/s"},
      {"\"\" /s", "/s"},
      {"\"a b\"c /s", "c /s"},
      {"\"C:\\My Shows\\saver.scr /s", ""},
      {"sav\xE9r.scr /a", "/a"},
      {"\xA0\xFF /s", "/s"},
      {" /s", "/s"},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_STREQ(LocateArgument(c.commandLine), c.argument) << c.commandLine;
}

TEST(ParseWindowHandleTest, ReadsLeadingDecimalDigitsModulo2To32) {
  EXPECT_EQ(ParseWindowHandle("1234"), 1234u);
  EXPECT_EQ(ParseWindowHandle("1234abc"), 1234u);
  EXPECT_EQ(ParseWindowHandle("4294967295"), 4294967295u);
  EXPECT_EQ(ParseWindowHandle("4294967296"), 0u);
  EXPECT_EQ(ParseWindowHandle("4294967297"), 1u);
  EXPECT_EQ(ParseWindowHandle("99999999999"), uint32_t(99999999999ull % 4294967296ull));
  for (const char* none : {"", " 12", "-12", "+12", "0x12", ":12", "\t12"})
    EXPECT_EQ(ParseWindowHandle(none), 0u) << none;
}

TEST(ChooseModeTest, SeparatorsThenOneLetter) {
  struct Case {
    const char* argument;
    SaverMode mode;
    bool foregroundOwner;
    uint32_t window;
  } cases[] = {
      {"", ModeConfigure, false, 0},
      {"-", ModeConfigure, false, 0},
      {"/", ModeConfigure, false, 0},
      {"/ / -", ModeConfigure, false, 0},
      {"/c", ModeConfigure, true, 0},
      {"C", ModeConfigure, true, 0},
      {"/c:1234", ModeConfigure, true, 0},
      {"/s", ModeRun, false, 0},
      {"-S", ModeRun, false, 0},
      {"s", ModeRun, false, 0},
      {"/-/s", ModeRun, false, 0},
      {"   /s", ModeRun, false, 0},
      {"/sixty 12", ModeRun, false, 0},
      {"/p 1234", ModePreview, false, 1234},
      {"/p1234", ModePreview, false, 1234},
      {"-P    1234 5", ModePreview, false, 1234},
      {"/p:1234", ModePreview, false, 0},
      {"/p\t1234", ModePreview, false, 0},
      {"/l 1234", ModePreview, false, 1234},
      {"/L1234", ModePreview, false, 1234},
      {"/a", ModeChangePassword, false, 0},
      {"/a 77", ModeChangePassword, false, 77},
      {"/x", ModeInvalid, false, 0},
      {"/1", ModeInvalid, false, 0},
      {"/\ts", ModeInvalid, false, 0},
      {":s", ModeInvalid, false, 0},
      {"\xD3", ModeInvalid, false, 0},
  };
  for (const Case& c : cases) {
    ModeChoice choice = ChooseMode(c.argument);
    EXPECT_EQ(choice.mode, c.mode) << c.argument;
    EXPECT_EQ(choice.foregroundOwner, c.foregroundOwner) << c.argument;
    EXPECT_EQ(choice.window, c.window) << c.argument;
  }
}

std::string Decimal(HWND window) {
  return std::to_string(uintptr_t(window));
}

// A parent window for the preview that, on its timer, notes what the saver
// looks like and then destroys itself, which ends the preview.
struct PreviewSeen {
  bool saverExisted = false;
  bool isPreview = false;
  HWND saverParent = nullptr;
  RECT saverClient = {};
  char title[32] = {};
} seen;

LRESULT CALLBACK PreviewParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    KillTimer(window, 1);
    HWND saver = hostState.saverWindow;
    seen.saverExisted = saver != nullptr && IsWindow(saver);
    if (seen.saverExisted) {
      seen.isPreview = hostState.isPreview;
      seen.saverParent = GetParent(saver);
      GetClientRect(saver, &seen.saverClient);
      GetWindowTextA(saver, seen.title, sizeof seen.title);
    }
    DestroyWindow(window);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class SaverMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnv("SDL_VIDEODRIVER", "dummy");
    SetEnv("SDL_AUDIODRIVER", "dummy");
  }
};

TEST_F(SaverMainTest, RefusedArgumentsEndWithMinusOneAndNoWindow) {
  HINSTANCE self = GetModuleHandleA(nullptr);
  for (const char* argument : {"/x", "/1", "/\ts", "/p 0", "/p", "/p:4096", "/l 99999999"})
    EXPECT_EQ(SaverMain(self, argument), -1) << argument;
  EXPECT_EQ(hostState.instance, self);
  EXPECT_EQ(hostState.saverWindow, nullptr);
  // Both systems under test are of the NT family.
  EXPECT_FALSE(hostState.isWin9x);
  EXPECT_EQ(SaverMain(self, "/a"), -1);
  EXPECT_EQ(SaverMain(self, "/a 12"), -1);
}

TEST_F(SaverMainTest, PreviewRunsInsideTheGivenWindowUntilItIsDestroyed) {
  WNDCLASSA parentClass = {};
  parentClass.lpfnWndProc = PreviewParentProc;
  parentClass.hInstance = GetModuleHandleA(nullptr);
  parentClass.lpszClassName = "LumivanePreviewParent";
  ASSERT_NE(RegisterClassA(&parentClass), 0);
  HWND parent = CreateWindowExA(0, "LumivanePreviewParent", "parent", WS_POPUP | WS_VISIBLE, 0, 0,
                                200, 150, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  SetTimer(parent, 1, 500, nullptr);

  std::string argument = "/p " + Decimal(parent);
  EXPECT_EQ(SaverMain(GetModuleHandleA(nullptr), argument.c_str()), 0);
  EXPECT_TRUE(seen.saverExisted);
  EXPECT_TRUE(seen.isPreview);
  EXPECT_EQ(seen.saverParent, parent);
  EXPECT_EQ(seen.saverClient.right, 200);
  EXPECT_EQ(seen.saverClient.bottom, 150);
  EXPECT_STREQ(seen.title, "Preview");
  EXPECT_FALSE(IsWindow(parent));
}

// The foreground window when "/c" comes: on its timer, notes whether a modal
// dialog that it owns has disabled it, then ends the dialog with WM_QUIT.
bool ownerEnabledDuringDialog = true;

LRESULT CALLBACK ForegroundProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    KillTimer(window, 1);
    ownerEnabledDuringDialog = IsWindowEnabled(window) != FALSE;
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(SaverMainTest, TheSettingsDialogIsOwnedByTheForegroundWindow) {
  WNDCLASSA foregroundClass = {};
  foregroundClass.lpfnWndProc = ForegroundProc;
  foregroundClass.hInstance = GetModuleHandleA(nullptr);
  foregroundClass.lpszClassName = "LumivaneForeground";
  ASSERT_NE(RegisterClassA(&foregroundClass), 0);
  HWND foreground =
      CreateWindowExA(0, "LumivaneForeground", "control panel", WS_POPUP | WS_VISIBLE, 0, 0, 200,
                      150, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(foreground, nullptr);
  SetForegroundWindow(foreground);
  ASSERT_EQ(GetForegroundWindow(), foreground);
  SetTimer(foreground, 1, 500, nullptr);
  EXPECT_NE(SaverMain(GetModuleHandleA(nullptr), "/c"), -1) << "the dialog did not open";
  EXPECT_FALSE(ownerEnabledDuringDialog);
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  DestroyWindow(foreground);
}

// The player of this build, beside the folder of the test programs.
std::string Player() {
  return TestProgramDir() + ".." + (ExeSuffix().empty() ? "/lumivane" : "\\lumivane.scr");
}

TEST(PlayerExitCodeTest, ArgumentsThatEndAtOnce) {
  SetEnv("SDL_VIDEODRIVER", "dummy");
  ASSERT_TRUE(std::filesystem::exists(Player())) << Player();
  // -1 reads as 255 where exit codes are 8 bits wide.
  const int refused = ExeSuffix().empty() ? 255 : -1;
  for (const char* argument : {"/x", "/1", "/p:1234", "/p 0", "/p 123456789", "/a", "-a 5"}) {
    ChildResult r = RunChild({Player(), argument});
    EXPECT_EQ(r.exitCode, refused) << argument << "\n" << r.err;
  }
  ChildResult r = RunChild({Player(), "/p", "0"});
  EXPECT_EQ(r.exitCode, refused) << r.err;
}

TEST(CommandLineTest, AProgramPathWithBlanksIsSkippedWhole) {
  ScratchDir dir;
  std::filesystem::path folder = std::filesystem::path(dir.path()) / "with blank";
  std::filesystem::create_directories(folder);
  std::string probe = (folder / ("command line probe" + ExeSuffix())).string();
  WriteFileBytes(probe, ReadFileBytes(TestProgramDir() + "command_line_probe" + ExeSuffix()));
  std::filesystem::permissions(probe, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add);
  ChildResult r = RunChild({probe, "/p", "12", "two words", ""});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r.out.erase(std::remove(r.out.begin(), r.out.end(), '\r'), r.out.end());
  const std::string rest = "/p 12 \"two words\" \"\"";
  EXPECT_EQ(r.out, "line=\"" + probe + "\" " + rest + "\nargument=" + rest + "\n");
}

}  // namespace
