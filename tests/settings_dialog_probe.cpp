// Runs the settings dialog of the show appended to this program's own file,
// with SettingsDialogProc behind a procedure that reports what the dialog
// shows once it is open, then acts as a person would, following the steps in
// LV_DIALOG_STEPS (separated by blanks):
//   select:ID:INDEX  selects an entry of a list (-1: none)
//   check:ID:0|1     sets a check box
//   command:ID       posts WM_COMMAND with the id, as a click does
// Each command's answer and DialogBoxParamA's result are printed as well.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "host/host_state.h"
#include "package/show_state.h"
#include "platform/win32.h"
#include "resources/resource_ids.h"
#include "setup/settings_dialog.h"

namespace {

std::string ControlText(HWND dialog, int id) {
  char text[4] = {};
  SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

std::string WindowText(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

void Report(HWND dialog) {
  std::printf("redraw=%s\n", ControlText(dialog, IDC_REDRAW_SPEED).c_str());
  std::printf("sound=%s\n", ControlText(dialog, IDC_SOUND_SPEED).c_str());
  std::printf("soundEnabled=%d muteEnabled=%d\n",
              IsWindowEnabled(GetDlgItem(dialog, IDC_SOUND_SPEED)) ? 1 : 0,
              IsWindowEnabled(GetDlgItem(dialog, IDC_MUTE)) ? 1 : 0);
  std::printf("boxes=%u,%u,%u,%u\n", IsDlgButtonChecked(dialog, IDC_RESIZE),
              IsDlgButtonChecked(dialog, IDC_SHUFFLE), IsDlgButtonChecked(dialog, IDC_MUTE),
              IsDlgButtonChecked(dialog, IDC_USE_EFFECTS));
  std::printf("caption=%s\n", WindowText(dialog).c_str());
  std::printf("titleLine=%s\n", WindowText(GetDlgItem(dialog, IDC_SHOW_TITLE)).c_str());
  std::printf("creditLine=%s\n", WindowText(GetDlgItem(dialog, IDC_CREDIT_LINE)).c_str());
  std::printf("infoLine=%s\n", WindowText(GetDlgItem(dialog, IDC_INFO_LINE)).c_str());
  std::fflush(stdout);
}

void FollowSteps(HWND dialog) {
  const char* steps = std::getenv("LV_DIALOG_STEPS");
  std::istringstream in(steps ? steps : "");
  std::string step;
  while (in >> step) {
    int id = 0, value = 0;
    if (std::sscanf(step.c_str(), "select:%d:%d", &id, &value) == 2) {
      SendMessageA(GetDlgItem(dialog, id), CB_SETCURSEL, WPARAM(value), 0);
    } else if (std::sscanf(step.c_str(), "check:%d:%d", &id, &value) == 2) {
      CheckDlgButton(dialog, id, value ? BST_CHECKED : BST_UNCHECKED);
    } else if (std::sscanf(step.c_str(), "command:%d", &id) == 1) {
      PostMessageA(dialog, WM_COMMAND, WPARAM(id), 0);
    }
  }
}

INT_PTR CALLBACK ProbeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR answer = SettingsDialogProc(dialog, message, wParam, lParam);
  if (message == WM_INITDIALOG) {
    std::printf("init=%d\n", int(answer));
    Report(dialog);
    FollowSteps(dialog);
  } else if (message == WM_COMMAND) {
    std::printf("command %d -> %d\n", int(LOWORD(wParam)), int(answer));
    std::fflush(stdout);
  }
  return answer;
}

}  // namespace

int main() {
  hostState.instance = GetModuleHandleA(nullptr);  // as SaverMain sets it
  INT_PTR result =
      DialogBoxParamA(hostState.instance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, ProbeProc, 0);
  std::printf("result=%d\n", int(result));
  std::printf("soundAvailable=%d\n", int(showState.soundAvailable));
  const UserSettings& s = showState.settings;
  std::printf("settings=%d,%d,%d,%d,%d,%d\n", int(s.RedrawSpeed), int(s.SoundSpeed), int(s.Resize),
              int(s.Shuffle), int(s.Mute), int(s.UseEff));
  std::fflush(stdout);
  return 0;
}
