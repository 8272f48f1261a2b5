// The system directory and copying files into it.
//
// Implemented:
//   GetSystemDirectoryA  a folder of the user's own standing in for the
//                        Windows system directory: $XDG_DATA_HOME/lumivane/savers
//                        ($XDG_DATA_HOME when set to an absolute path, else
//                        ~/.local/share), created when missing, without a
//                        trailing slash. Returns its length, or when the buffer
//                        is too small the size it needs, terminator counted, as
//                        Windows does. The path is returned even when the
//                        folder cannot be created; copies into it then fail.
//   CopyFileA            copies into a temporary file beside the target and
//                        renames it over the target, so a failed copy leaves
//                        no half-written file and the old target intact. The
//                        copy gets the mode 0666 less the umask, plus the
//                        source's execute bits. With failIfExists the target
//                        must not exist (it is linked in, never replaced).
// Both read a backslash in a path as a directory separator, as Windows does:
// the player forms "<system directory>\<name>.scr".
// The last error is not set. Not implemented: file attributes, times and
//   ownership are not copied.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/win32_api.h"

namespace {

std::string UnixPath(const char* path) {
  std::string unix = path;
  for (char& c : unix)
    if (c == '\\') c = '/';
  return unix;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  const passwd* user = getpwuid(getuid());
  return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "/";
}

std::string SaverFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::string base =
      data != nullptr && data[0] == '/' ? std::string(data) : HomeFolder() + "/.local/share";
  while (base.size() > 1 && base.back() == '/')
    base.pop_back();
  return base + "/lumivane/savers";
}

// mkdir -p; false when a part cannot be made or is not a folder.
bool MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    std::string part = path.substr(0, slash);
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CopyBytes(int from, int to) {
  char buffer[1 << 16];
  while (true) {
    ssize_t n = read(from, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (ssize_t done = 0; done < n;) {
      ssize_t w = write(to, buffer + done, size_t(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += w;
    }
  }
}

mode_t CurrentUmask() {
  mode_t mask = umask(0);
  umask(mask);
  return mask;
}

}  // namespace

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
  std::string folder = SaverFolder();
  MakeFolders(folder);
  if (buffer == nullptr || folder.size() + 1 > size) return UINT(folder.size() + 1);
  std::memcpy(buffer, folder.c_str(), folder.size() + 1);
  return UINT(folder.size());
}

BOOL WINAPI CopyFileA(LPCSTR existingFile, LPCSTR newFile, BOOL failIfExists) {
  if (existingFile == nullptr || newFile == nullptr) return FALSE;
  const std::string source = UnixPath(existingFile), target = UnixPath(newFile);
  int from = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (from < 0) return FALSE;
  struct stat info;
  if (fstat(from, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(from);
    return FALSE;
  }
  std::string temporary = target + ".XXXXXX";
  int to = mkostemp(&temporary[0], O_CLOEXEC);
  if (to < 0) {
    close(from);
    return FALSE;
  }
  mode_t mode = (0666 | (info.st_mode & 0111)) & ~CurrentUmask();
  bool copied = CopyBytes(from, to) && fchmod(to, mode) == 0 && fsync(to) == 0;
  copied = close(to) == 0 && copied;
  close(from);
  if (copied) {
    if (failIfExists) {
      copied = link(temporary.c_str(), target.c_str()) == 0;
      unlink(temporary.c_str());
      return copied;
    }
    if (rename(temporary.c_str(), target.c_str()) == 0) return TRUE;
  }
  unlink(temporary.c_str());
  return FALSE;
}
