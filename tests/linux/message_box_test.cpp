// The Linux message box: a real box on the X display answered from the
// keyboard or closed as a window manager closes it, and the lines on standard
// error with the negative answer when nobody can be asked.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/display_boxes.h"

namespace {

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
// window manager's close answers No.
TEST(MessageBoxOnDisplayTest, KeysAndClosingAnswerAsOnWindows) {
  if (!DisplayForBoxes()) GTEST_SKIP() << "needs an X display";
  EXPECT_EQ(AnswerBox("LvBoxYes", MB_YESNO | MB_ICONQUESTION, "yes"), IDYES);
  EXPECT_EQ(AnswerBox("LvCloseYesNo", MB_YESNO, "close"), IDNO);
}

// Never the affirmative answer: with SDL's dummy video driver, then with no
// display named at all (for the rest of this process).
TEST(MessageBoxTest, WithNobodyToAskTheLinesAreWrittenAndTheAnswerNeverGoesAhead) {
  for (const std::string driver : {"dummy", ""}) {
    if (!driver.empty())
      SetEnv("SDL_VIDEODRIVER", driver);
    else
      for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"})
        UnsetEnv(name);
    for (auto [type, answer, word] : {std::make_tuple(MB_YESNO | MB_ICONQUESTION, IDNO, "No"),
                                      std::make_tuple(MB_OK | MB_ICONERROR, IDOK, "OK")}) {
      ::testing::internal::CaptureStderr();
      EXPECT_EQ(MessageBoxA(nullptr, "Install the show?", "Lumivane", type), answer) << driver;
      EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                "Lumivane: Install the show?\nLumivane: answered " + std::string(word) +
                    " (no display)\n");
    }
  }
}

}  // namespace
