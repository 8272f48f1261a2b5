#include "setup/readme.h"

#include <cstdio>

#include "package/show_state.h"
#include "platform/win32.h"

namespace {

// Line ends become CR LF, gathered in a buffer so that the file is written in
// a few calls. A CR LF already in the text stays as it is rather than gaining
// a second CR.
bool WriteWithCrLf(HANDLE file, const char* text, int32_t length) {
  char buffer[4096];
  DWORD used = 0, written = 0;
  for (int32_t i = 0; i < length; ++i) {
    if (used + 2 > sizeof buffer) {
      if (!WriteFile(file, buffer, used, &written, nullptr)) return false;
      used = 0;
    }
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) buffer[used++] = '\r';
    buffer[used++] = text[i];
  }
  return used == 0 || WriteFile(file, buffer, used, &written, nullptr);
}

// Makes a folder of this process's own in the temporary folder, under a name
// nobody else has taken: anyone may have planted files or links there, so
// the readme never goes to a fixed name in it. False when none can be made.
bool MakePrivateFolder(const char* tempFolder, char (&folder)[MAX_PATH]) {
  DWORD number = GetTickCount();
  for (int tries = 0; tries < 100; ++tries, number = number * 69069u + 1u) {
    int length = std::snprintf(folder, sizeof folder, "%sLVR%08lX", tempFolder,
                               static_cast<unsigned long>(number));
    if (length < 0 || size_t(length) >= sizeof folder) return false;
    if (CreateDirectoryA(folder, nullptr)) return true;
  }
  return false;
}

}  // namespace

void ShowReadme() {
  if (showState.readmeLength <= 0 || showState.readmeText == nullptr) return;
  char tempFolder[MAX_PATH];
  DWORD folderLength = GetTempPathA(sizeof tempFolder, tempFolder);
  if (folderLength == 0 || folderLength >= sizeof tempFolder) return;
  char folder[MAX_PATH];
  if (!MakePrivateFolder(tempFolder, folder)) return;
  // The temporary folder's path ends in the system's own separator.
  char path[MAX_PATH];
  int pathLength =
      std::snprintf(path, sizeof path, "%s%creadme.txt", folder, tempFolder[folderLength - 1]);
  HANDLE file = INVALID_HANDLE_VALUE;
  if (pathLength > 0 && size_t(pathLength) < sizeof path) {
    file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) {
    RemoveDirectoryA(folder);
    return;
  }
  WriteWithCrLf(file, showState.readmeText, showState.readmeLength);
  CloseHandle(file);

  ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
  Sleep(1000);
  DeleteFileA(path);
  RemoveDirectoryA(folder);
}
