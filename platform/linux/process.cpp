// Process and module calls.
//
// Implemented:
//   GetModuleHandleA   NULL gives the program's own module; a named module is
//                      never loaded here, so a name gives NULL.
//   GetModuleFileNameA the program's own file (/proc/self/exe), cut to the
//                      buffer like Windows Vista and later: NUL-terminated,
//                      returns the buffer size when cut.
//   GetCommandLineA    the process's arguments (/proc/self/cmdline) joined by
//                      blanks; an argument holding a blank or control byte,
//                      or an empty one, is put in double quotes, the program
//                      path included. Built once.
//   CharNextA          one byte on, never past the terminator: the ANSI code
//                      page is single-byte here, and UTF-8 text stepped byte by
//                      byte looks the same to scans for ASCII delimiters.
//   GetVersionExA      an NT-family system, 6.2 build 9200 (what Windows 8 and
//                      later report to programs without a manifest); FALSE for
//                      a size other than OSVERSIONINFOA's 148 bytes.
//   ExitProcess        exit() with the code: streams are flushed.
// Not implemented: module handles of shared objects, OSVERSIONINFOEXA,
//   double quotes inside arguments (they are copied as they are).
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

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

LPSTR WINAPI GetCommandLineA(void) {
  static std::string commandLine = [] {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string joined;
    size_t start = 0;
    while (start < raw.size()) {
      size_t end = raw.find('\0', start);
      if (end == std::string::npos) end = raw.size();
      std::string arg = raw.substr(start, end - start);
      bool quote = arg.empty();
      for (char c : arg)
        quote = quote || static_cast<unsigned char>(c) <= 0x20;
      if (!joined.empty()) joined += ' ';
      joined += quote ? '"' + arg + '"' : arg;
      start = end + 1;
    }
    return joined;
  }();
  return &commandLine[0];
}

LPSTR WINAPI CharNextA(LPCSTR text) {
  return const_cast<LPSTR>(*text != '\0' ? text + 1 : text);
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  constexpr DWORD kVersionInfoExSize = 156;
  if (info->dwOSVersionInfoSize == kVersionInfoExSize)
    PlatformUnsupported("GetVersionExA", "OSVERSIONINFOEXA");
  if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
  info->dwMajorVersion = 6;
  info->dwMinorVersion = 2;
  info->dwBuildNumber = 9200;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  info->szCSDVersion[0] = '\0';
  return TRUE;
}
