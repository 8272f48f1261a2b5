// The Linux message box: the lines on standard error, the negative answer
// when nobody can be asked, and a real box on the X display answered from the
// keyboard or closed as a window manager closes it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/display_boxes.h"

namespace {

// Shows a box where nobody can answer it: with SDL's dummy or offscreen
// video driver (`driver`), or with no display named at all ("").
int BoxWithoutDisplay(UINT type, const std::string& driver, std::string* err) {
  const char* display = std::getenv("DISPLAY");
  const std::string savedDisplay = display != nullptr ? display : "";
  if (driver.empty()) {
    UnsetEnv("DISPLAY");
    UnsetEnv("WAYLAND_DISPLAY");
  } else {
    SetEnv("SDL_VIDEODRIVER", driver);
  }
  ::testing::internal::CaptureStderr();
  int answer = MessageBoxA(nullptr, "Install the show?", "Lumivane", type);
  *err = ::testing::internal::GetCapturedStderr();
  UnsetEnv("SDL_VIDEODRIVER");
  if (!savedDisplay.empty()) SetEnv("DISPLAY", savedDisplay);
  return answer;
}

// Never the affirmative answer.
TEST(MessageBoxTest, WithNobodyToAskTheLinesAreWrittenAndTheAnswerNeverGoesAhead) {
  std::string err;
  for (const std::string driver : {"dummy", "offscreen", ""}) {
    EXPECT_EQ(BoxWithoutDisplay(MB_YESNO | MB_ICONQUESTION, driver, &err), IDNO) << driver;
    EXPECT_EQ(err, "Lumivane: Install the show?\nLumivane: answered No (no display)\n");
    EXPECT_EQ(BoxWithoutDisplay(MB_OK | MB_ICONERROR, driver, &err), IDOK) << driver;
    EXPECT_EQ(err, "Lumivane: Install the show?\nLumivane: answered OK (no display)\n");
  }
  EXPECT_TRUE(MessageBeep(0xFFFFFFFF));
}

// Shows a box in a child process, as the player shows it (from a process with
// one thread), and gives the child's answer to `answer` (see DisplayBoxAnswerer).
int AnswerBox(const char* caption, UINT type, const std::string& answer) {
  std::fflush(nullptr);
  pid_t child = fork();
  if (child == 0) _exit(MessageBoxA(nullptr, "Go on?", caption, type));
  DisplayBoxAnswerer person({caption}, answer);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(person.Stop(), 1) << caption;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Windows offers no way to close a Yes/No box without a button; here the
// window manager's close gives the answer Escape gives where it can.
TEST(MessageBoxOnDisplayTest, KeysAndClosingAnswerAsOnWindows) {
  if (!DisplayForBoxes()) GTEST_SKIP() << "needs an X display";
  EXPECT_EQ(AnswerBox("LvBoxYes", MB_YESNO | MB_ICONQUESTION, "yes"), IDYES);
  EXPECT_EQ(AnswerBox("LvBoxEscape", MB_OK | MB_ICONASTERISK, "escape"), IDOK);
  EXPECT_EQ(AnswerBox("LvCloseYesNo", MB_YESNO, "close"), IDNO);
  EXPECT_EQ(AnswerBox("LvCloseOk", MB_OK, "close"), IDOK);
}

}  // namespace
