// Input from a person on the GTK dialog, made by xdotool on the X display:
// keys and a click reach the dialog procedure as WM_COMMAND; a screenshot
// taken meanwhile shows the dialog drawn.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "resources/resource_ids.h"
#include "tests/support/child_process.h"

extern char** environ;

namespace {

// A WM_COMMAND as the procedure saw it; fromControl: lParam is the control with that id.
std::string Command(int id, int code, bool fromControl) {
  return std::to_string(id) + "/" + std::to_string(code) + (fromControl ? " from the control" : "");
}

// The test's plan and what the procedure saw.
struct PersonRun {
  std::string title;
  std::string shot;  // where the screenshot goes
  // xdotool's key names, or points to click in dialog units of the client area.
  std::vector<std::string> steps;
  std::vector<std::string> commands;
  UINT resizeCheckAtCancel = BST_UNCHECKED;
  std::string listTextAtCancel;
  pid_t person = 0;  // the xdotool script
};
PersonRun run;

std::string Quoted(const std::string& text) {
  return "'" + text + "'";
}

// Starts xdotool in the background: it waits for the dialog's X window,
// takes the screenshot, then types and clicks. When the dialog is still there
// five seconds later, because input went astray, it presses Escape.
void StartPerson(HWND dialog) {
  std::string title = Quoted("^" + run.title + "$");
  std::string script = "w=$(timeout 20 xdotool search --sync --onlyvisible --name " + title +
                       " | head -n 1); [ -n \"$w\" ] || exit 1; sleep 0.5; import -window \"$w\" " +
                       Quoted(run.shot) + "; ";
  for (const std::string& step : run.steps) {
    int x, y;
    if (std::sscanf(step.c_str(), "%d,%d", &x, &y) != 2) {
      script += "xdotool windowfocus --sync \"$w\" key " + step + "; sleep 0.2; ";
      continue;
    }
    RECT place = {x, y, x, y};
    MapDialogRect(dialog, &place);
    script += "xdotool mousemove --window \"$w\" " + std::to_string(place.left) + " " +
              std::to_string(place.top) + " click 1; sleep 0.3; ";
  }
  script += "for i in $(seq 50); do xdotool search --name " + title +
            " >/dev/null || exit 0; sleep 0.1; done; ";
  script += "xdotool windowfocus --sync \"$w\" key Escape";
  const char* argv[] = {"/bin/sh", "-c", script.c_str(), nullptr};
  ASSERT_EQ(posix_spawn(&run.person, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ),
            0);
}

INT_PTR CALLBACK PersonProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowTextA(dialog, run.title.c_str());
      HWND list = GetDlgItem(dialog, IDC_REDRAW_SPEED);
      SendMessageA(list, CB_ADDSTRING, 0, LPARAM("15"));
      SendMessageA(list, CB_ADDSTRING, 0, LPARAM("16"));
      SendMessageA(list, CB_SETCURSEL, 0, 0);
      SetWindowTextA(GetDlgItem(dialog, IDC_CREDIT_LINE), "Pictures by the test");
      PostMessageA(GetDlgItem(dialog, IDC_PRODUCT), BM_SETIMAGE, IMAGE_ICON,
                   LPARAM(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM))));
      StartPerson(dialog);
      return TRUE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      run.commands.push_back(
          Command(id, HIWORD(wParam), lParam != 0 && HWND(lParam) == GetDlgItem(dialog, id)));
      if (id == IDCANCEL) {
        char text[8] = "";
        SendMessageA(GetDlgItem(dialog, IDC_REDRAW_SPEED), WM_GETTEXT, sizeof text, LPARAM(text));
        run.listTextAtCancel = text;
        run.resizeCheckAtCancel = IsDlgButtonChecked(dialog, IDC_RESIZE);
        EndDialog(dialog, id);
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// The first list has the focus: Down chooses its next entry, which the
// procedure hears of. Enter away from a push button asks for IDOK, which the
// template has no control for; the procedure decides, and this one stays open.
// A click on the Resize box's text ticks it; Escape asks to cancel.
TEST(DialogInputTest, KeysAndClicksReachTheProcedureAndTheDialogIsDrawn) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0' || std::system("command -v xdotool >/dev/null") != 0 ||
      std::system("command -v import >/dev/null") != 0) {
    GTEST_SKIP() << "needs an X display, xdotool and ImageMagick";
  }
  ScratchDir dir;
  run.title = "Dialog input test " + std::to_string(getpid());
  run.shot = dir / "dialog.png";
  run.steps = {"Down", "Return", "44,46", "Escape"};
  EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                            PersonProc, 0),
            IDCANCEL);
  // The script ends before the next test can start a dialog of its own.
  waitpid(run.person, nullptr, 0);
  EXPECT_EQ(run.commands,
            (std::vector<std::string>{
                Command(IDC_REDRAW_SPEED, CBN_SELCHANGE, true), Command(IDOK, BN_CLICKED, false),
                Command(IDC_RESIZE, BN_CLICKED, true), Command(IDCANCEL, BN_CLICKED, false)}));
  EXPECT_EQ(run.listTextAtCancel, "16");
  EXPECT_EQ(run.resizeCheckAtCancel, BST_CHECKED);

  // Drawn: text and frames in many shades, and the cog's pure blue hub from
  // icon 102.
  ChildResult colours = RunChild({"/bin/sh", "-c", "identify -format %k " + Quoted(run.shot)});
  EXPECT_GE(std::atoi(colours.out.c_str()), 16) << colours.out << colours.err;
  ChildResult blue =
      RunChild({"/bin/sh", "-c", "convert " + Quoted(run.shot) + " txt:- | grep -ci '#0000FF'"});
  EXPECT_GT(std::atoi(blue.out.c_str()), 0);
}

// Without a display the dialog cannot be made: DialogBoxParamA answers -1.
// GTK opens its display once per process, so a process of its own tries.
TEST(DialogWithoutDisplayDeathTest, DialogBoxParamAFails) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        UnsetEnv("DISPLAY");
        UnsetEnv("WAYLAND_DISPLAY");
        std::exit(int(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS),
                                      nullptr, PersonProc, 0)) +
                  1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
