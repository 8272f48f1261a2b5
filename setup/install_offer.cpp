#include "package/install_offer.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "package/show_state.h"
#include "platform/win32.h"
#include "setup/readme.h"

namespace {

// A show's name comes with the show, from anywhere. It becomes a file name
// in the system directory, so a separator of either system, "..", a drive or
// stream colon, or a control character could put the copy somewhere else or
// give it a name no one can see: such a name is not used at all.
bool IsPlainFileName(const char* name) {
  for (const char* c = name; *c != '\0'; ++c) {
    unsigned char byte = static_cast<unsigned char>(*c);
    if (byte < 0x20 || byte == 0x7F || *c == '/' || *c == '\\' || *c == ':') return false;
    if (c[0] == '.' && c[1] == '.') return false;
  }
  return true;
}

// Windows takes CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9 for
// devices, whatever extension follows and with trailing blanks before it:
// "NUL.scr" is no file in the system directory but the device.
bool IsDeviceName(const char* name) {
  size_t length = std::strcspn(name, ".");
  while (length > 0 && name[length - 1] == ' ')
    --length;
  char base[5] = {};
  if (length < 3 || length > 4) return false;
  for (size_t i = 0; i < length; ++i)
    base[i] = char(std::toupper(static_cast<unsigned char>(name[i])));
  if (length == 3) {
    return std::strcmp(base, "CON") == 0 || std::strcmp(base, "PRN") == 0 ||
           std::strcmp(base, "AUX") == 0 || std::strcmp(base, "NUL") == 0;
  }
  return (std::strncmp(base, "COM", 3) == 0 || std::strncmp(base, "LPT", 3) == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

}  // namespace

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
  bool copied = IsPlainFileName(showState.showName) && !IsDeviceName(showState.showName) &&
                folderLength > 0 && folderLength < sizeof systemFolder && targetLength > 0 &&
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
