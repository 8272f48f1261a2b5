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
int BoxWithoutDisplay(UINT type, const std::string& driver = "dummy", std::string* err = nullptr) {
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
  std::string captured = ::testing::internal::GetCapturedStderr();
  if (err) *err = captured;
  UnsetEnv("SDL_VIDEODRIVER");
  if (!savedDisplay.empty()) SetEnv("DISPLAY", savedDisplay);
  return answer;
}

TEST(MessageBoxTest, WritesCaptionAndTextAsOneLineAndThenTheAnswer) {
  std::string err;
  BoxWithoutDisplay(MB_OK, "dummy", &err);
  EXPECT_EQ(err, "Lumivane: Install the show?\nLumivane: answered OK (no display)\n");
  BoxWithoutDisplay(MB_YESNO, "", &err);
  EXPECT_EQ(err, "Lumivane: Install the show?\nLumivane: answered No (no display)\n");
}

TEST(MessageBoxTest, WithNobodyToAskTheAnswerNeverGoesAhead) {
  for (const std::string driver : {"dummy", "offscreen", ""}) {
    SCOPED_TRACE("driver \"" + driver + "\"");
    EXPECT_EQ(BoxWithoutDisplay(MB_OK, driver), IDOK);
    EXPECT_EQ(BoxWithoutDisplay(MB_YESNO | MB_ICONQUESTION, driver), IDNO);
    EXPECT_EQ(BoxWithoutDisplay(MB_YESNOCANCEL, driver), IDCANCEL);
    EXPECT_EQ(BoxWithoutDisplay(MB_OKCANCEL | MB_ICONHAND, driver), IDCANCEL);
    EXPECT_EQ(BoxWithoutDisplay(MB_RETRYCANCEL, driver), IDCANCEL);
    EXPECT_EQ(BoxWithoutDisplay(MB_ABORTRETRYIGNORE, driver), IDABORT);
    // Not even when the affirmative button is the default.
    EXPECT_EQ(BoxWithoutDisplay(MB_YESNO | MB_DEFBUTTON1, driver), IDNO);
    EXPECT_EQ(BoxWithoutDisplay(MB_OKCANCEL | MB_DEFBUTTON3, driver), IDCANCEL);
  }
}

TEST(MessageBoxDeathTest, UnsupportedStylesFailLoudly) {
  EXPECT_DEATH(MessageBoxA(nullptr, "text", "caption", MB_OK | 0x00001000u /* MB_SYSTEMMODAL */),
               "MessageBoxA");
}

TEST(MessageBeepTest, NeverFails) {
  EXPECT_TRUE(MessageBeep(0xFFFFFFFF));
}

// Shows a box in a child process, as the player shows it (from a process with
// one thread), presses keys in it once it is on the display (or closes it,
// for "close"), and gives the child's answer.
int AnswerBox(const char* caption, UINT type, const std::string& keys) {
  std::fflush(nullptr);
  pid_t child = fork();
  if (child == 0) _exit(MessageBoxA(nullptr, "Go on?", caption, type));
  if (keys == "close") {
    DisplayBoxAnswerer windowManager({caption}, "close");
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(windowManager.Stop(), 1);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
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

// Windows offers no way to close a Yes/No box without a button; here the
// window manager's close gives the answer Escape gives where it can.
TEST(MessageBoxOnDisplayTest, ClosedWithoutAButtonAnswersNoOrCancel) {
  if (!DisplayForBoxes()) GTEST_SKIP() << "needs an X display";
  EXPECT_EQ(AnswerBox("LvCloseYesNo", MB_YESNO | MB_ICONQUESTION, "close"), IDNO);
  EXPECT_EQ(AnswerBox("LvCloseYesNoCancel", MB_YESNOCANCEL, "close"), IDCANCEL);
  EXPECT_EQ(AnswerBox("LvCloseOkCancel", MB_OKCANCEL, "close"), IDCANCEL);
  EXPECT_EQ(AnswerBox("LvCloseOk", MB_OK, "close"), IDOK);
}

}  // namespace
