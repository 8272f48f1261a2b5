#include "setup/settings_dialog.h"

#include <cstdio>
#include <cstdlib>

#include "package/show_state.h"
#include "package/user_settings.h"
#include "platform/win32.h"
#include "resources/resource_ids.h"
#include "setup/readme.h"

namespace {

// The web page of the product that makes shows, opened from the icon button.
constexpr const char* kProductPageAddress = "https://lumivane.example.org/";

constexpr int kLastListedSeconds = 59;

void CorrectInterval(int32_t& seconds) {
  if (seconds < 1 || seconds > 60) seconds = 15;
}

// The list holds "1" to "59"; the entry equal to seconds is selected, so 60
// shows no selection.
void FillIntervalList(HWND dialog, int id, int32_t seconds) {
  HWND list = GetDlgItem(dialog, id);
  SendMessageA(list, CB_RESETCONTENT, 0, 0);
  for (int n = 1; n <= kLastListedSeconds; ++n) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", n);
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (n == seconds) SendMessageA(list, CB_SETCURSEL, WPARAM(n - 1), 0);
  }
}

// An empty list text (no selection, as for a stored 60, or the emptied sound
// list) keeps the interval the dialog opened with, so OK never stores 0.
void ReadIntervalList(HWND dialog, int id, int32_t& seconds) {
  char text[4] = {};
  SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  if (text[0] != '\0') seconds = std::atoi(text);
}

void SetBox(HWND dialog, int id, int32_t flag) {
  CheckDlgButton(dialog, id, flag != 0 ? BST_CHECKED : BST_UNCHECKED);
}

int32_t BoxFlag(HWND dialog, int id) {
  return IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0;
}

void SetTextIfPresent(HWND dialog, int id, const char* text) {
  HWND control = GetDlgItem(dialog, id);
  if (control != nullptr) SetWindowTextA(control, text);
}

void OpenDialog(HWND dialog) {
  std::fclose(LoadShow());
  UserSettings& settings = showState.settings;

  HICON icon = LoadIconA(SettingsDialogInstance(), MAKEINTRESOURCEA(IDI_PROGRAM));
  PostMessageA(GetDlgItem(dialog, IDC_PRODUCT), BM_SETIMAGE, IMAGE_ICON,
               reinterpret_cast<LPARAM>(icon));

  CorrectInterval(settings.RedrawSpeed);
  CorrectInterval(settings.SoundSpeed);

  FillIntervalList(dialog, IDC_REDRAW_SPEED, settings.RedrawSpeed);
  if (showState.soundAvailable) {
    FillIntervalList(dialog, IDC_SOUND_SPEED, settings.SoundSpeed);
  } else {
    EnableWindow(GetDlgItem(dialog, IDC_SOUND_SPEED), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_MUTE), FALSE);
  }

  SetBox(dialog, IDC_RESIZE, settings.Resize);
  SetBox(dialog, IDC_SHUFFLE, settings.Shuffle);
  SetBox(dialog, IDC_MUTE, settings.Mute);
  SetBox(dialog, IDC_USE_EFFECTS, settings.UseEff);

  SetWindowTextA(dialog, showState.showTitle);
  SetTextIfPresent(dialog, IDC_CREDIT_LINE, showState.creditLine);
  SetTextIfPresent(dialog, IDC_INFO_LINE, showState.infoLine);
  SetTextIfPresent(dialog, IDC_SHOW_TITLE, showState.showTitle);
}

void SaveDialog(HWND dialog) {
  UserSettings& settings = showState.settings;
  ReadIntervalList(dialog, IDC_REDRAW_SPEED, settings.RedrawSpeed);
  ReadIntervalList(dialog, IDC_SOUND_SPEED, settings.SoundSpeed);
  settings.Resize = BoxFlag(dialog, IDC_RESIZE);
  settings.Shuffle = BoxFlag(dialog, IDC_SHUFFLE);
  settings.Mute = BoxFlag(dialog, IDC_MUTE);
  settings.UseEff = BoxFlag(dialog, IDC_USE_EFFECTS);
  SaveSettings();
}

void OfferProductPage(HWND dialog) {
  int answer = MessageBoxA(dialog,
                           "This screen saver has been created with Lumivane.\n"
                           "Create your own screen savers for fun and profit.\n"
                           "Do you want to visit Lumivane web site?",
                           "Lumivane", MB_ICONQUESTION | MB_YESNO);
  if (answer == IDYES) {
    ShellExecuteA(nullptr, "open", kProductPageAddress, nullptr, nullptr, SW_SHOWNORMAL);
  }
}

}  // namespace

INT_PTR OpenSettingsDialog(HWND owner) {
  return DialogBoxParamA(SettingsDialogInstance(), MAKEINTRESOURCEA(IDD_SETTINGS), owner,
                         SettingsDialogProc, 0);
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    OpenDialog(dialog);
    return 1;
  }
  if (message != WM_COMMAND) return 0;
  switch (LOWORD(wParam)) {
    case IDC_OK:
      SaveDialog(dialog);
      EndDialog(dialog, 1);
      return 1;
    case IDC_CANCEL:
      EndDialog(dialog, 0);
      return 1;
    case IDC_README:
      ShowReadme();
      return 0;
    case IDC_PRODUCT:
      OfferProductPage(dialog);
      return 0;
    default:
      return 0;
  }
}
