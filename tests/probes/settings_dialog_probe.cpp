// Runs the settings dialog of the show appended to this program's own file,
// prints what it shows once open, then follows the steps in LV_DIALOG_STEPS:
//   select:ID:INDEX  selects an entry of a list (-1: none)
//   check:ID:0|1     sets a check box
//   command:ID       posts WM_COMMAND with the id, as a click does
// Each command's answer and the dialog's result follow.
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "host/host_state.h"
#include "package/show_state.h"
#include "platform/win32.h"
#include "resources/resource_ids.h"
#include "setup/settings_dialog.h"

namespace {

// The control's text, or the caption for id 0; the lists' cut to 3 characters.
std::string Text(HWND dialog, int id, int size = 256) {
  char text[256] = {};
  SendMessageA(id == 0 ? dialog : GetDlgItem(dialog, id), WM_GETTEXT, WPARAM(size),
               reinterpret_cast<LPARAM>(text));
  return text;
}

void Report(HWND dialog) {
  std::printf("redraw=%s\nsound=%s\n", Text(dialog, IDC_REDRAW_SPEED, 4).c_str(),
              Text(dialog, IDC_SOUND_SPEED, 4).c_str());
  std::string texts;
  for (int id : {0, IDC_SHOW_TITLE, IDC_CREDIT_LINE, IDC_INFO_LINE, IDC_CREDIT_SIGN, IDC_RESIZE})
    texts += (id == 0 ? "" : "|") + Text(dialog, id);
  std::printf("texts=%s\nsoundEnabled=%d muteEnabled=%d\n", texts.c_str(),
              IsWindowEnabled(GetDlgItem(dialog, IDC_SOUND_SPEED)) ? 1 : 0,
              IsWindowEnabled(GetDlgItem(dialog, IDC_MUTE)) ? 1 : 0);
}

void FollowSteps(HWND dialog) {
  const char* steps = std::getenv("LV_DIALOG_STEPS");
  std::istringstream in(steps ? steps : "");
  for (std::string step; in >> step;) {
    int id = 0, value = 0;
    if (std::sscanf(step.c_str(), "select:%d:%d", &id, &value) == 2)
      SendMessageA(GetDlgItem(dialog, id), CB_SETCURSEL, WPARAM(value), 0);
    else if (std::sscanf(step.c_str(), "check:%d:%d", &id, &value) == 2)
      CheckDlgButton(dialog, id, value ? BST_CHECKED : BST_UNCHECKED);
    else if (std::sscanf(step.c_str(), "command:%d", &id) == 1)
      PostMessageA(dialog, WM_COMMAND, WPARAM(id), 0);
  }
}

INT_PTR CALLBACK ProbeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR answer = SettingsDialogProc(dialog, message, wParam, lParam);
  if (message == WM_INITDIALOG) {
    Report(dialog);
    FollowSteps(dialog);
  } else if (message == WM_COMMAND && HIWORD(wParam) == 0) {  // not a list's notification
    std::printf("command %d -> %d\n", int(LOWORD(wParam)), int(answer));
  }
  std::fflush(stdout);
  return answer;
}

}  // namespace

int main() {
  hostState.instance = GetModuleHandleA(nullptr);  // as SaverMain sets it
  INT_PTR result =
      DialogBoxParamA(hostState.instance, MAKEINTRESOURCEA(IDD_SETTINGS), nullptr, ProbeProc, 0);
  std::printf("result=%d\nsoundAvailable=%d\n", int(result), int(showState.soundAvailable));
  return 0;
}
