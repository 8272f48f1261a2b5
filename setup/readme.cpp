#include "setup/readme.h"

#include <cstdio>

#include "package/show_state.h"
#include "platform/win32.h"

namespace {

// Line ends become CR LF, written byte by byte so that both builds give the
// same file. A CR LF already in the text stays as it is rather than gaining a
// second CR.
bool WriteWithCrLf(FILE* file, const char* text, int32_t length) {
  for (int32_t i = 0; i < length; ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r') && std::fputc('\r', file) == EOF)
      return false;
    if (std::fputc(text[i], file) == EOF) return false;
  }
  return true;
}

}  // namespace

void ShowReadme() {
  if (showState.readmeLength <= 0 || showState.readmeText == nullptr) return;
  char tempFolder[MAX_PATH];
  DWORD folderLength = GetTempPathA(sizeof tempFolder, tempFolder);
  if (folderLength == 0 || folderLength >= sizeof tempFolder) return;
  char path[MAX_PATH];
  int pathLength = std::snprintf(path, sizeof path, "%sreadme.txt", tempFolder);
  if (pathLength < 0 || size_t(pathLength) >= sizeof path) return;

  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return;
  WriteWithCrLf(file, showState.readmeText, showState.readmeLength);
  std::fclose(file);

  ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
  Sleep(1000);
  DeleteFileA(path);
}
