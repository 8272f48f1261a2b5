#include "setup/install_offer.h"

#include <cstdio>

#include "package/show_state.h"
#include "platform/win32.h"
#include "setup/readme.h"

void OfferInstall(const char* programPath) {
  char caption[MAX_PATH], question[MAX_PATH];
  std::snprintf(caption, sizeof caption, "%s install", showState.showTitle);
  std::snprintf(question, sizeof question,
                "Do you want to install %s as your default screen saver?", showState.showTitle);
  if (MessageBoxA(nullptr, question, caption, MB_ICONQUESTION | MB_YESNO) != IDYES) return;

  ShowReadme();

  char systemFolder[MAX_PATH];
  UINT folderLength = GetSystemDirectoryA(systemFolder, sizeof systemFolder);
  char target[MAX_PATH];
  int targetLength =
      std::snprintf(target, sizeof target, "%s\\%s.scr", systemFolder, showState.showName);
  // A path cut to the buffer would name another file: that counts as a
  // failed copy.
  bool copied = folderLength > 0 && folderLength < sizeof systemFolder && targetLength > 0 &&
                size_t(targetLength) < sizeof target && CopyFileA(programPath, target, FALSE);
  if (!copied) {
    MessageBoxA(nullptr, "Copy error!", caption, MB_ICONERROR | MB_OK);
    return;
  }
  // Room for the whole target path after the command's words, so the
  // installer never gets a cut path.
  char command[MAX_PATH + 64];
  std::snprintf(command, sizeof command, "rundll32.exe desk.cpl,InstallScreenSaver %s", target);
  WinExec(command, SW_SHOW);
}
