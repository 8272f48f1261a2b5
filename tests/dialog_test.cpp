// The settings dialog's template, run by the platform's dialog manager (the
// real one under Wine, the GTK one natively): what settings_dialog_test does
// not see of it. The texts, lists, boxes and enabling are that test's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/win32.h"
#include "resources/resource_ids.h"
#include "tests/support/window_class.h"

namespace {

// What the procedure saw, for the test to check once the dialog is gone.
std::string events;
HWND owner = nullptr;
BOOL ownerEnabledDuring = TRUE;
constexpr int kPostedCommand = 4321;
HICON Icon() {
  return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM));
}

INT_PTR CALLBACK WorkingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  HWND iconButton = GetDlgItem(dialog, IDC_PRODUCT);
  switch (message) {
    case WM_INITDIALOG:
      events += "init ";
      ownerEnabledDuring = IsWindowEnabled(owner);
      // Posted messages arrive through the dialog's own loop, in order: the
      // image first, then the command.
      EXPECT_TRUE(PostMessageA(iconButton, BM_SETIMAGE, IMAGE_ICON, LPARAM(Icon())));
      EXPECT_TRUE(PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kPostedCommand, BN_CLICKED), 0));
      EXPECT_EQ(SendMessageA(iconButton, BM_GETIMAGE, IMAGE_ICON, 0), 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        events += "cancel ";
        EXPECT_TRUE(EndDialog(dialog, 77));
        return TRUE;
      }
      if (LOWORD(wParam) != kPostedCommand) return FALSE;
      events += "posted ";
      EXPECT_TRUE(Icon() != nullptr &&
                  SendMessageA(iconButton, BM_GETIMAGE, IMAGE_ICON, 0) == LRESULT(Icon()));
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

TEST(DialogTest, SettingsTemplateRunsModallyWithPostedMessages) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') GTEST_SKIP() << "needs an X display";
  ASSERT_NE(RegisterTestClass("DialogTestOwner"), 0);
  owner = CreateWindowExA(0, "DialogTestOwner", "Owner", WS_POPUP, 0, 0, 40, 30, nullptr, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), owner,
                            WorkingProc, 0),
            77);
  EXPECT_EQ(events, "init posted cancel destroy");
  EXPECT_FALSE(ownerEnabledDuring);
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}

}  // namespace
