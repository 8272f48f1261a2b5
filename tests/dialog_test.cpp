// The settings dialog's template, run by the platform's dialog manager (the
// real one under Wine, the GTK one natively) with a procedure that works every
// kind of control it holds, and the program's icons.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32.h"
#include "resources/resource_ids.h"

namespace {

HINSTANCE Instance() {
  return GetModuleHandleA(nullptr);
}

HICON ProgramIcon() {
  return LoadIconA(Instance(), MAKEINTRESOURCEA(IDI_PROGRAM));
}

std::string TextOf(HWND dialog, int id = 0) {
  char text[256];
  int length = GetWindowTextA(id != 0 ? GetDlgItem(dialog, id) : dialog, text, sizeof text);
  return std::string(text, length > 0 ? size_t(length) : 0);
}

LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam = 0) {
  return SendMessageA(GetDlgItem(dialog, id), message, wParam, lParam);
}

// What the procedure saw, for the test to check once the dialog is gone.
std::string events;
HWND owner = nullptr;
BOOL ownerEnabledDuring = TRUE;
constexpr int kPostedCommand = 4321;
constexpr LPARAM kInitParam = 0x1234;

void WorkControls(HWND dialog, WPARAM firstTabStop, LPARAM initParam) {
  EXPECT_EQ(initParam, kInitParam);
  EXPECT_EQ(GetDlgItem(dialog, 4242), nullptr);
  EXPECT_EQ(reinterpret_cast<HWND>(firstTabStop), GetDlgItem(dialog, IDC_REDRAW_SPEED));
  ownerEnabledDuring = IsWindowEnabled(owner);
  // The template's texts, the sign in the ANSI code page.
  EXPECT_EQ(TextOf(dialog) + "|" + TextOf(dialog, IDC_CREDIT_SIGN) + "|" +
                TextOf(dialog, IDC_RESIZE) + "|" + TextOf(dialog, IDC_SHOW_TITLE) + "|" +
                TextOf(dialog, IDC_CREDIT_LINE) + "|" + TextOf(dialog, IDC_OK),
            "Lumivane |\xA9|Resize images to fit to screen|Screen Saver|Line1|OK");

  // A drop-down list: its text is the selected entry, cut to the buffer.
  Send(dialog, IDC_REDRAW_SPEED, CB_RESETCONTENT, 0);
  const char* entries[] = {"7", "59", "12345"};
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(Send(dialog, IDC_REDRAW_SPEED, CB_ADDSTRING, 0, LPARAM(entries[i])), i);
  char text[4];
  EXPECT_EQ(Send(dialog, IDC_REDRAW_SPEED, CB_SETCURSEL, 1), 1);
  EXPECT_EQ(Send(dialog, IDC_REDRAW_SPEED, WM_GETTEXT, sizeof text, LPARAM(text)), 2);
  EXPECT_STREQ(text, "59");
  EXPECT_EQ(Send(dialog, IDC_REDRAW_SPEED, CB_SETCURSEL, 2), 2);
  // Cut to three characters and a NUL (the answer is 3 natively, as
  // documented; Wine's list answers the buffer's size).
  std::memset(text, 'x', sizeof text);
  Send(dialog, IDC_REDRAW_SPEED, WM_GETTEXT, sizeof text, LPARAM(text));
  EXPECT_EQ(std::string(text, 4), std::string("123\0", 4));
  EXPECT_EQ(Send(dialog, IDC_REDRAW_SPEED, CB_GETCURSEL, 0), 2);
  EXPECT_EQ(Send(dialog, IDC_REDRAW_SPEED, CB_SETCURSEL, WPARAM(-1)) +
                Send(dialog, IDC_REDRAW_SPEED, CB_GETCURSEL, 0),
            2 * CB_ERR);
  EXPECT_EQ(Send(dialog, IDC_REDRAW_SPEED, WM_GETTEXT, sizeof text, LPARAM(text)), 0);
  EXPECT_STREQ(text, "");
  // Entries survive a reset of the other list.
  Send(dialog, IDC_SOUND_SPEED, CB_RESETCONTENT, 0);
  EXPECT_EQ(Send(dialog, IDC_SOUND_SPEED, CB_GETCOUNT, 0), 0);
  EXPECT_EQ(Send(dialog, IDC_REDRAW_SPEED, CB_GETCOUNT, 0), 3);

  // Check boxes, by the dialog's calls and by messages.
  CheckDlgButton(dialog, IDC_RESIZE, BST_CHECKED);
  Send(dialog, IDC_MUTE, BM_SETCHECK, BST_CHECKED);
  EXPECT_EQ(Send(dialog, IDC_RESIZE, BM_GETCHECK, 0), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MUTE), BST_CHECKED);

  // Texts: the caption and a static line, read back whole and cut.
  EXPECT_TRUE(SetWindowTextA(dialog, "My \xE9t\xE9 show") &&
              SetWindowTextA(GetDlgItem(dialog, IDC_CREDIT_LINE), "Credits"));
  EXPECT_EQ(TextOf(dialog) + "|" + TextOf(dialog, IDC_CREDIT_LINE), "My \xE9t\xE9 show|Credits");
  EXPECT_EQ(Send(dialog, IDC_CREDIT_LINE, WM_GETTEXT, sizeof text, LPARAM(text)), 3);
  EXPECT_STREQ(text, "Cre");
  EXPECT_EQ(Send(dialog, IDC_CREDIT_LINE, WM_GETTEXTLENGTH, 0), 7);

  // Disabling answers whether the control was disabled before.
  EXPECT_FALSE(EnableWindow(GetDlgItem(dialog, IDC_SOUND_SPEED), FALSE));
  EXPECT_TRUE(EnableWindow(GetDlgItem(dialog, IDC_SOUND_SPEED), FALSE));

  // Posted messages arrive through the dialog's own loop, in order: the
  // image first, then the command that ends the dialog.
  HWND iconButton = GetDlgItem(dialog, IDC_PRODUCT);
  EXPECT_EQ(SendMessageA(iconButton, BM_GETIMAGE, IMAGE_ICON, 0), 0);
  EXPECT_TRUE(PostMessageA(iconButton, BM_SETIMAGE, IMAGE_ICON, LPARAM(ProgramIcon())));
  EXPECT_TRUE(PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kPostedCommand, BN_CLICKED), 0));
  EXPECT_EQ(SendMessageA(iconButton, BM_GETIMAGE, IMAGE_ICON, 0), 0);
}

INT_PTR CALLBACK WorkingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      events += "init ";
      WorkControls(dialog, wParam, lParam);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        events += "cancel ";
        EXPECT_EQ(lParam, 0);  // the template has no control with that id
        EXPECT_TRUE(EndDialog(dialog, 77));
        return TRUE;
      }
      if (LOWORD(wParam) != kPostedCommand) return FALSE;
      events += "posted ";
      EXPECT_EQ(HIWORD(wParam), BN_CLICKED);
      EXPECT_EQ(Send(dialog, IDC_PRODUCT, BM_GETIMAGE, IMAGE_ICON), LRESULT(ProgramIcon()));
      // What the dialog showed stays until it ends.
      EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MUTE), BST_CHECKED);
      // Closing, as by the close box, comes back as a posted IDCANCEL.
      SendMessageA(dialog, WM_CLOSE, 0, 0);
      EXPECT_EQ(events, "init posted ");
      return TRUE;
    case WM_DESTROY:
      events += "destroy";
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK QuittingProc(HWND, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) PostQuitMessage(5);
  return message == WM_INITDIALOG;
}

class DialogTest : public ::testing::Test {
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "needs an X display";
  }
};

TEST_F(DialogTest, SettingsTemplateRunsWithEveryControlAndDisablesItsOwner) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = Instance();
  windowClass.hIcon = ProgramIcon();
  windowClass.lpszClassName = "DialogTestOwner";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  owner = CreateWindowExA(0, "DialogTestOwner", "Owner", WS_POPUP, 0, 0, 40, 30, nullptr, nullptr,
                          Instance(), nullptr);
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(
      DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_SETTINGS), owner, WorkingProc, kInitParam),
      77);
  EXPECT_EQ(events, "init posted cancel destroy");
  EXPECT_FALSE(ownerEnabledDuring);
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}

// The program's quit ends the dialog and is left for the program's loop.
TEST_F(DialogTest, QuitEndsTheDialogAndStaysQueued) {
  EXPECT_EQ(DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, QuittingProc, 0),
            IDOK);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 5u);
}

TEST(DialogResourcesTest, IconsLoadOnceAndMissingResourcesFail) {
  HICON settings = LoadIconA(Instance(), MAKEINTRESOURCEA(IDI_SETTINGS));
  EXPECT_NE(ProgramIcon(), nullptr);
  EXPECT_NE(settings, nullptr);
  EXPECT_NE(ProgramIcon(), settings);
  EXPECT_EQ(ProgramIcon(), ProgramIcon());  // a module's icons are shared
  EXPECT_EQ(LoadIconA(Instance(), MAKEINTRESOURCEA(999)), nullptr);
  EXPECT_EQ(LoadIconA(Instance(), "NoSuchIcon"), nullptr);
  EXPECT_EQ(DialogBoxParamA(Instance(), MAKEINTRESOURCEA(4444), nullptr, WorkingProc, 0), -1);
}

}  // namespace
