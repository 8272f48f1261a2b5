// The Linux message box: the line on standard error, the default answer with
// no display, and a real box on the X display answered from the keyboard.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32.h"
#include "tests/support/child_process.h"

namespace {

int BoxWithoutDisplay(UINT type, std::string* err = nullptr) {
  SetEnv("SDL_VIDEODRIVER", "dummy");
  ::testing::internal::CaptureStderr();
  int answer = MessageBoxA(nullptr, "Install the show?", "Lumivane", type);
  std::string captured = ::testing::internal::GetCapturedStderr();
  if (err) *err = captured;
  UnsetEnv("SDL_VIDEODRIVER");
  return answer;
}

TEST(MessageBoxTest, WritesCaptionAndTextAsOneLine) {
  std::string err;
  BoxWithoutDisplay(MB_OK, &err);
  EXPECT_EQ(err, "Lumivane: Install the show?\n");
}

TEST(MessageBoxTest, WithoutDisplayAnswersWithTheDefaultButton) {
  EXPECT_EQ(BoxWithoutDisplay(MB_OK), IDOK);
  EXPECT_EQ(BoxWithoutDisplay(MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(BoxWithoutDisplay(MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(BoxWithoutDisplay(MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
  EXPECT_EQ(BoxWithoutDisplay(MB_OKCANCEL | MB_ICONHAND), IDOK);
  // A default beyond the box's buttons falls back to the first, as on Windows.
  EXPECT_EQ(BoxWithoutDisplay(MB_OK | MB_DEFBUTTON3), IDOK);
}

TEST(MessageBoxDeathTest, UnsupportedStylesFailLoudly) {
  EXPECT_DEATH(MessageBoxA(nullptr, "text", "caption", MB_OK | 0x00001000u /* MB_SYSTEMMODAL */),
               "MessageBoxA");
}

TEST(MessageBeepTest, NeverFails) {
  EXPECT_TRUE(MessageBeep(0xFFFFFFFF));
}

// Shows a box in a child process, as the player shows it (from a process with
// one thread), presses keys in it once it is on the display, and gives the
// child's answer.
int AnswerBox(const char* caption, UINT type, const std::string& keys) {
  std::fflush(nullptr);
  pid_t child = fork();
  if (child == 0) _exit(MessageBoxA(nullptr, "Go on?", caption, type));
  // xdotool cannot match the box's UTF-8 title, so the window is found by
  // xwininfo; the loop gives up after ten seconds.
  const std::string script = std::string("for i in $(seq 100); do id=$(xwininfo -root -tree | ") +
                             "sed -n 's/^ *\\(0x[0-9a-f]*\\) \"" + caption + "\".*/\\1/p'); " +
                             "[ -n \"$id\" ] && exec xdotool windowfocus --sync $id key " + keys +
                             "; sleep 0.1; done; exit 1";
  ChildResult person = RunChild({"/bin/sh", "-c", script});
  EXPECT_EQ(person.exitCode, 0) << person.err;
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(MessageBoxOnDisplayTest, ReturnAndEscapeAnswerAsOnWindows) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0' || access("/usr/bin/xdotool", X_OK) != 0 ||
      access("/usr/bin/xwininfo", X_OK) != 0) {
    GTEST_SKIP() << "needs an X display and xdotool";
  }
  EXPECT_EQ(AnswerBox("LvBoxDefault", MB_YESNO | MB_DEFBUTTON2, "Return"), IDNO);
  EXPECT_EQ(AnswerBox("LvBoxEscape", MB_OKCANCEL | MB_ICONEXCLAMATION, "Escape"), IDCANCEL);
  EXPECT_EQ(AnswerBox("LvBoxOk", MB_OK, "Escape"), IDOK);
}

}  // namespace
