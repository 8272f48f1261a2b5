// Input from a person on the GTK dialog, made by xdotool on the X display: a
// click on a check box and on OK, and Escape, reach the dialog procedure as
// WM_COMMAND; a screenshot taken meanwhile shows the dialog drawn.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "resources/resource_ids.h"
#include "tests/support/child_process.h"

extern char** environ;

namespace {

struct Command {
  int id;
  int code;
  bool fromControl;  // lParam is the control with that id
};

// The test's plan and what the procedure saw.
struct PersonRun {
  std::string title;
  std::string shot;  // where the screenshot goes; none when empty
  // Points to click, in dialog units of the client area, in order.
  std::vector<POINT> clicks;
  std::vector<std::string> keys;  // xdotool's names, typed after the clicks
  std::vector<Command> commands;
  UINT resizeCheckAtOk = BST_UNCHECKED;
  std::string listTextAtCancel;
  pid_t person = 0;  // the xdotool script
};
PersonRun run;

std::string Quoted(const std::string& text) {
  return "'" + text + "'";
}

// Starts xdotool in the background: it waits for the dialog's X window,
// takes the screenshot, then clicks and types. When the dialog is still there
// five seconds later, because input went astray, it presses Escape.
void StartPerson(HWND dialog) {
  std::string title = Quoted("^" + run.title + "$");
  std::string script = "w=$(timeout 20 xdotool search --sync --onlyvisible --name " + title +
                       " | head -n 1); [ -n \"$w\" ] || exit 1; sleep 0.5; ";
  if (!run.shot.empty()) script += "import -window \"$w\" " + Quoted(run.shot) + "; ";
  for (POINT point : run.clicks) {
    RECT place = {point.x, point.y, point.x, point.y};
    MapDialogRect(dialog, &place);
    script += "xdotool mousemove --window \"$w\" " + std::to_string(place.left) + " " +
              std::to_string(place.top) + " click 1; sleep 0.3; ";
  }
  if (!run.keys.empty()) script += "xdotool windowfocus --sync \"$w\"; ";
  for (const std::string& key : run.keys)
    script += "xdotool key " + key + "; sleep 0.2; ";
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
          {id, HIWORD(wParam),
           lParam != 0 && reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, id)});
      if (id == IDC_OK) run.resizeCheckAtOk = IsDlgButtonChecked(dialog, IDC_RESIZE);
      if (id == IDCANCEL) {
        char text[8] = "";
        SendMessageA(GetDlgItem(dialog, IDC_REDRAW_SPEED), WM_GETTEXT, sizeof text, LPARAM(text));
        run.listTextAtCancel = text;
      }
      if (id == IDC_OK || id == IDCANCEL) EndDialog(dialog, id);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

class DialogInputTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0' ||
        std::system("command -v xdotool >/dev/null") != 0 ||
        std::system("command -v import >/dev/null") != 0) {
      GTEST_SKIP() << "needs an X display, xdotool and ImageMagick";
    }
    run = PersonRun();
    static int count = 0;
    run.title = "Dialog input test " + std::to_string(getpid()) + "." + std::to_string(++count);
  }

  // Runs the dialog, and waits for the script to end, so that it cannot
  // reach the next test's dialog.
  INT_PTR RunDialog() {
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS),
                                     nullptr, PersonProc, 0);
    if (run.person > 0) waitpid(run.person, nullptr, 0);
    return result;
  }
};

TEST_F(DialogInputTest, ClicksReachTheProcedureAndTheDialogIsDrawn) {
  ScratchDir dir;
  run.shot = dir / "dialog.png";
  run.clicks = {{14 + 30, 41 + 5}, {211 + 20, 143 + 7}};  // Resize's text, then OK's middle
  EXPECT_EQ(RunDialog(), IDC_OK);

  ASSERT_EQ(run.commands.size(), 2u);
  EXPECT_EQ(run.commands[0].id, IDC_RESIZE);
  EXPECT_EQ(run.commands[0].code, BN_CLICKED);
  EXPECT_TRUE(run.commands[0].fromControl);
  EXPECT_EQ(run.commands[1].id, IDC_OK);
  EXPECT_EQ(run.commands[1].code, BN_CLICKED);
  EXPECT_TRUE(run.commands[1].fromControl);
  EXPECT_EQ(run.resizeCheckAtOk, BST_CHECKED);

  // Drawn: text and frames in many shades, and the cog's pure blue hub from
  // icon 102.
  ChildResult colours = RunChild({"/bin/sh", "-c", "identify -format %k " + Quoted(run.shot)});
  EXPECT_GE(std::atoi(colours.out.c_str()), 16) << colours.out << colours.err;
  ChildResult blue =
      RunChild({"/bin/sh", "-c", "convert " + Quoted(run.shot) + " txt:- | grep -ci '#0000FF'"});
  EXPECT_GT(std::atoi(blue.out.c_str()), 0);
}

TEST_F(DialogInputTest, EscapeAsksToCancel) {
  run.keys = {"Escape"};
  EXPECT_EQ(RunDialog(), IDCANCEL);
  ASSERT_EQ(run.commands.size(), 1u);
  EXPECT_EQ(run.commands[0].id, IDCANCEL);
  // The template has no control with IDCANCEL's id.
  EXPECT_FALSE(run.commands[0].fromControl);
}

// The first list has the focus: Down chooses its next entry, which the
// procedure hears of. Enter away from a push button asks for IDOK, which the
// template has no control for; the procedure decides, and this one stays open
// for Escape.
TEST_F(DialogInputTest, KeysChooseInTheListAndAskForOk) {
  run.keys = {"Down", "Return", "Escape"};
  EXPECT_EQ(RunDialog(), IDCANCEL);
  ASSERT_EQ(run.commands.size(), 3u);
  EXPECT_EQ(run.commands[0].id, IDC_REDRAW_SPEED);
  EXPECT_EQ(run.commands[0].code, CBN_SELCHANGE);
  EXPECT_TRUE(run.commands[0].fromControl);
  EXPECT_EQ(run.commands[1].id, IDOK);
  EXPECT_EQ(run.commands[1].code, BN_CLICKED);
  EXPECT_FALSE(run.commands[1].fromControl);
  EXPECT_EQ(run.commands[2].id, IDCANCEL);
  EXPECT_EQ(run.listTextAtCancel, "16");
}

// Without a display the dialog cannot be made: DialogBoxParamA answers -1.
// GTK opens its display once per process, so a child of this program tries.
TEST(DialogWithoutDisplayTest, DialogBoxParamAFails) {
  if (std::getenv("DIALOG_INPUT_TEST_CHILD") != nullptr) {
    EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                              PersonProc, 0),
              -1);
    return;
  }
  const char* display = std::getenv("DISPLAY");
  std::string saved = display != nullptr ? display : "";
  UnsetEnv("DISPLAY");
  UnsetEnv("WAYLAND_DISPLAY");
  SetEnv("DIALOG_INPUT_TEST_CHILD", "1");
  ChildResult child = RunChild({BuildProgram("dialog_input_test"),
                                "--gtest_filter=DialogWithoutDisplayTest.DialogBoxParamAFails"});
  UnsetEnv("DIALOG_INPUT_TEST_CHILD");
  if (display != nullptr) SetEnv("DISPLAY", saved);
  EXPECT_EQ(child.exitCode, 0) << child.out << child.err;
  EXPECT_NE(child.out.find("[  PASSED  ] 1 test"), std::string::npos) << child.out;
}

}  // namespace
