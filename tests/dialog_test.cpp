// The settings dialog's template, run by the platform's dialog manager (the
// real one under Wine, the GTK one natively): what settings_dialog_test does
// not see of it. The lists, boxes and enabling are that test's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/win32.h"
#include "resources/resource_ids.h"

namespace {

HICON ProgramIcon() {
  return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM));
}

std::string TextOf(HWND dialog, int id = 0) {
  char text[256];
  int length = GetWindowTextA(id != 0 ? GetDlgItem(dialog, id) : dialog, text, sizeof text);
  return std::string(text, length > 0 ? size_t(length) : 0);
}

// What the procedure saw, for the test to check once the dialog is gone.
std::string events;
HWND owner = nullptr;
BOOL ownerEnabledDuring = TRUE;
constexpr int kPostedCommand = 4321;

void WorkControls(HWND dialog) {
  ownerEnabledDuring = IsWindowEnabled(owner);
  // The template's texts, the sign in the ANSI code page.
  EXPECT_EQ(TextOf(dialog) + "|" + TextOf(dialog, IDC_CREDIT_SIGN) + "|" +
                TextOf(dialog, IDC_RESIZE) + "|" + TextOf(dialog, IDC_SHOW_TITLE) + "|" +
                TextOf(dialog, IDC_CREDIT_LINE) + "|" + TextOf(dialog, IDC_OK),
            "Lumivane |\xA9|Resize images to fit to screen|Screen Saver|Line1|OK");

  // The caption and a static line, in the ANSI code page.
  EXPECT_TRUE(SetWindowTextA(dialog, "My \xE9t\xE9 show") &&
              SetWindowTextA(GetDlgItem(dialog, IDC_CREDIT_LINE), "Credits"));
  EXPECT_EQ(TextOf(dialog) + "|" + TextOf(dialog, IDC_CREDIT_LINE), "My \xE9t\xE9 show|Credits");
  // Posted messages arrive through the dialog's own loop, in order: the
  // image first, then the command.
  HWND iconButton = GetDlgItem(dialog, IDC_PRODUCT);
  EXPECT_TRUE(PostMessageA(iconButton, BM_SETIMAGE, IMAGE_ICON, LPARAM(ProgramIcon())));
  EXPECT_TRUE(PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kPostedCommand, BN_CLICKED), 0));
  EXPECT_EQ(SendMessageA(iconButton, BM_GETIMAGE, IMAGE_ICON, 0), 0);
}

INT_PTR CALLBACK WorkingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      events += "init ";
      WorkControls(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        events += "cancel ";
        EXPECT_TRUE(EndDialog(dialog, 77));
        return TRUE;
      }
      if (LOWORD(wParam) != kPostedCommand) return FALSE;
      events += "posted ";
      EXPECT_NE(ProgramIcon(), nullptr);
      EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDC_PRODUCT), BM_GETIMAGE, IMAGE_ICON, 0),
                LRESULT(ProgramIcon()));
      // Closing, as by the close box, comes back as IDCANCEL.
      SendMessageA(dialog, WM_CLOSE, 0, 0);
      return TRUE;
    case WM_DESTROY:
      events += "destroy";
      return FALSE;
    default:
      return FALSE;
  }
}

TEST(DialogTest, SettingsTemplateRunsModallyWithItsTextsAndPostedMessages) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') GTEST_SKIP() << "needs an X display";
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "DialogTestOwner";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  owner = CreateWindowExA(0, "DialogTestOwner", "Owner", WS_POPUP, 0, 0, 40, 30, nullptr, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), owner,
                            WorkingProc, 0),
            77);
  EXPECT_EQ(events, "init posted cancel destroy");
  EXPECT_FALSE(ownerEnabledDuring);
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}

}  // namespace
