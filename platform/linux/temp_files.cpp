// Temporary files.
//
// Implemented:
//   GetTempPathA      $TMPDIR when set and not empty, else /tmp/, always
//                     ending in a slash. Returns its length, or when the
//                     buffer is too small the size it needs, its terminator
//                     counted, as Windows does.
//   GetTempFileNameA  path, a slash when path lacks one, up to three
//                     characters of the prefix, four upper-case hex digits of
//                     the unique number and ".TMP". With unique 0 it tries
//                     numbers from one taken from the clock, creating each
//                     file exclusively until one is new, and returns the
//                     number used; otherwise it only forms the name and
//                     returns unique. 0 on failure (no folder, no access, a
//                     name of MAX_PATH characters or more, every number
//                     taken).
//   DeleteFileA       removes a file; FALSE when that fails.
// The last error is not set. Not implemented: the TMP, TEMP and USERPROFILE
//   variables that Windows reads.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/win32_api.h"

namespace {

// Forms the name; false when it does not fit in MAX_PATH characters.
bool FormName(const std::string& folder, LPCSTR prefix, UINT unique, LPSTR name) {
  char digits[5];
  std::snprintf(digits, sizeof digits, "%04X", unique & 0xFFFFu);
  std::string formed = folder + std::string(prefix ? prefix : "").substr(0, 3) + digits + ".TMP";
  if (formed.size() >= MAX_PATH) return false;
  std::memcpy(name, formed.c_str(), formed.size() + 1);
  return true;
}

}  // namespace

DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer) {
  const char* variable = std::getenv("TMPDIR");
  std::string path = variable != nullptr && *variable != '\0' ? variable : "/tmp/";
  if (path.back() != '/') path += '/';
  if (buffer == nullptr || path.size() + 1 > size) return DWORD(path.size() + 1);
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return DWORD(path.size());
}

UINT WINAPI GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
  if (path == nullptr || tempFileName == nullptr) return 0;
  std::string folder = path;
  if (folder.empty() || folder.back() != '/') folder += '/';
  if (unique != 0) return FormName(folder, prefix, unique, tempFileName) ? unique : 0;
  // Starting from the clock keeps programs that run one after another from
  // trying the same taken names first.
  UINT number = (GetTickCount() ^ UINT(getpid())) & 0xFFFFu;
  for (int tries = 0; tries < 0xFFFF; ++tries, number = (number + 1) & 0xFFFFu) {
    if (number == 0) number = 1;
    if (!FormName(folder, prefix, number, tempFileName)) return 0;
    int file = open(tempFileName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file >= 0) {
      close(file);
      return number;
    }
    if (errno != EEXIST) return 0;
  }
  return 0;
}

BOOL WINAPI DeleteFileA(LPCSTR fileName) {
  return fileName != nullptr && unlink(fileName) == 0;
}
