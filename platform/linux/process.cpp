// Process and module calls.
//
// Implemented:
//   GetModuleHandleA   NULL gives the program's own module; a named module is
//                      never loaded here, so a name gives NULL.
//   GetModuleFileNameA the program's own file (/proc/self/exe), cut to the
//                      buffer like Windows Vista and later: NUL-terminated,
//                      returns the buffer size when cut.
//   ExitProcess        exit() with the code: streams are flushed.
// Not implemented: module handles of shared objects.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/linux/unsupported.h"
#include "platform/linux/win32_api.h"

namespace {
// Any non-null value serves: the only module there is.
HMODULE const kMainModule = reinterpret_cast<HMODULE>(uintptr_t(0x00400000));
}  // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  return moduleName == nullptr ? kMainModule : nullptr;
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  if (module != nullptr && module != kMainModule) {
    PlatformUnsupported("GetModuleFileNameA", "a module other than the program's own");
  }
  if (size == 0) return 0;
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n < 0) {
    fileName[0] = '\0';
    return 0;
  }
  if (DWORD(n) >= size) {
    std::memcpy(fileName, path, size - 1);
    fileName[size - 1] = '\0';
    return size;
  }
  std::memcpy(fileName, path, size_t(n));
  fileName[n] = '\0';
  return DWORD(n);
}

void WINAPI ExitProcess(UINT exitCode) {
  std::exit(int(exitCode));
}
