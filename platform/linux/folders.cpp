// Making and removing folders.
//
// Implemented:
//   CreateDirectoryA  makes one folder, private to the user (mode 0700, as a
//                     folder made in the user's own profile is on Windows).
//                     Fails when anything, a symbolic link included, already
//                     has the name, or when the folder above is missing: the
//                     name is never followed to another place.
//   RemoveDirectoryA  removes an empty folder; FALSE otherwise. A symbolic
//                     link is not removed, nor what it names.
// The last error is not set. Not implemented: security attributes (reported
// as unsupported); a backslash in a path is part of a name.
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/unsupported.h"
#include "platform/linux/win32_api.h"

BOOL WINAPI CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES security) {
  if (security != nullptr) PlatformUnsupported("CreateDirectoryA", "security attributes");
  return pathName != nullptr && mkdir(pathName, 0700) == 0;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR pathName) {
  return pathName != nullptr && rmdir(pathName) == 0;
}
