// From the command line to a mode and an exit code. The program runs with a
// show appended (saver_test_main.cpp), which the settings dialog loads.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "host/command_line.h"
#include "host/host_state.h"
#include "host/saver_main.h"
#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/saver_test_main.h"
#include "tests/support/window_class.h"

namespace {

using Cases = std::vector<std::pair<std::string, std::string>>;

TEST(LocateArgumentTest, SkipsTheProgramNameAndTheBlanksAfterIt) {
  // clang-format off
  const Cases cases = {
      {"saver.scr /s", "/s"}, {"", ""}, {"saver.scr   \t /p 1", "/p 1"}, {"\xA0\xFF /s", "/s"},
      {"saver.scr \x01\x1F/c", "/c"}, {"\"C:\\A B\\s.scr\" /p 1", "/p 1"}, {"\"a b\"c /s", "c /s"},
      {"\"C:\\A B\\s.scr\"/s", "/s"}, {"\"C:\\A B\\s.scr /s", ""}};
  // clang-format on
  for (const auto& [line, argument] : cases)
    EXPECT_EQ(LocateArgument(line.c_str()), argument) << line;
}

// The mode's letter, "+" for the foreground window as owner, and the window.
std::string Choice(const std::string& argument) {
  ModeChoice c = ChooseMode(argument.c_str());
  return std::string(1, "CSPAX"[c.mode]) + (c.foregroundOwner ? "+" : "") +
         (c.window != 0 ? std::to_string(c.window) : "");
}

TEST(ChooseModeTest, SeparatorsThenOneLetterThenTheWindow) {
  // clang-format off
  const Cases cases = {
      {"", "C"}, {"/ / -", "C"}, {"/c", "C+"}, {"C", "C+"}, {"/c:1234", "C+"}, {"/s", "S"},
      {"-S", "S"}, {"/-/s", "S"}, {"/sixty 12", "S"}, {"/p 1234", "P1234"}, {"-P  1234 5", "P1234"},
      {"/p:1234", "P"}, {"/L1234", "P1234"}, {"/a 77", "A77"}, {"/x", "X"}, {"/\ts", "X"},
      // The window's leading decimal digits, modulo 2^32.
      {"/p 1234abc", "P1234"}, {"/p 4294967295", "P4294967295"}, {"/p 4294967296", "P"},
      {"/p 4294967297", "P1"}, {"/p -12", "P"}, {"/p 0x12", "P"}};
  // clang-format on
  for (const auto& [argument, choice] : cases)
    EXPECT_EQ(Choice(argument), choice) << argument;
}

// The foreground window at "/c": on its timer, notes whether the modal dialog
// it owns disabled it, then ends the dialog.
bool ownerEnabledDuringDialog = true;

LRESULT CALLBACK ForegroundProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_TIMER) return DefWindowProcA(window, message, wParam, lParam);
  KillTimer(window, 1);
  ownerEnabledDuringDialog = IsWindowEnabled(window) != FALSE;
  PostQuitMessage(0);
  return 0;
}

TEST(SaverMainTest, RefusedArgumentsEndWithMinusOneAndTheDialogIsOwnedByTheForegroundWindow) {
  SetEnv("SDL_VIDEODRIVER", "dummy");
  SetEnv("SDL_AUDIODRIVER", "dummy");
  HINSTANCE self = GetModuleHandleA(nullptr);
  // "/a" too: both systems under test are of the NT family.
  for (const char* argument :
       {"/x", "/1", "/\ts", "/p 0", "/p", "/p:4096", "/l 99999999", "/a", "/a 12"})
    EXPECT_EQ(SaverMain(self, argument), -1) << argument;
  EXPECT_EQ(hostState.instance, self);
  EXPECT_FALSE(hostState.isWin9x);

  ASSERT_NE(RegisterTestClass("LumivaneForeground", ForegroundProc), 0);
  HWND foreground = CreateWindowExA(0, "LumivaneForeground", "control panel", WS_POPUP | WS_VISIBLE,
                                    0, 0, 200, 150, nullptr, nullptr, self, nullptr);
  SetForegroundWindow(foreground);
  ASSERT_EQ(GetForegroundWindow(), foreground);
  SetTimer(foreground, 1, 500, nullptr);
  EXPECT_NE(SaverMain(self, "/c"), -1) << "the dialog did not open";
  EXPECT_FALSE(ownerEnabledDuringDialog);
  DestroyWindow(foreground);
}

// The player finds its argument after its own path quoted, as the system
// writes it.
TEST(PlayerTest, TheArgumentFollowsAQuotedPath) {
  ScratchDir dir;
  std::filesystem::create_directories(dir / "with blank");
  std::string probe = dir / ("with blank/command line probe" + ExeSuffix());
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
