// ~/.xscreensaver on disk for making a program the screen saver.
//
// Implemented: following symbolic links (up to 40) to the file itself, which
//   may not exist yet; reading it whole, refusing anything but a plain file
//   (a folder, a FIFO) without blocking; replacing it through a temporary
//   file in its own folder and a rename, its mode kept.
// Not implemented: its owner and group are not copied to the new file (it is
//   the user's own file, written by the user); no lock against another
//   program writing it at the same moment.
#include "platform/linux/xscreensaver_install.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/xscreensaver_prefs.h"

namespace {

// Links followed before giving up, as the kernel's own limit.
constexpr int kMaxLinks = 40;

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  const passwd* user = getpwuid(getuid());
  return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file that path names once every symbolic link on the way is followed,
// whether or not it exists yet; empty when the links go round.
std::string FollowLinks(std::string path) {
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char target[4096];
    ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    if (n <= 0) return path;
    target[n] = '\0';
    path = target[0] == '/' ? std::string(target) : FolderOf(path) + "/" + target;
  }
  return "";
}

// The whole file; false with errno set when it cannot be read. A missing
// file reads as empty.
bool ReadPrefs(const std::string& path, std::string* bytes, bool* missing) {
  int file = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (file < 0) {
    *missing = errno == ENOENT;
    return *missing;
  }
  struct stat info;
  bool read = fstat(file, &info) == 0;
  if (read && !S_ISREG(info.st_mode)) {
    errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    read = false;
  }
  char buffer[1 << 14];
  while (read) {
    ssize_t n = ::read(file, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      read = n == 0;
      break;
    }
    bytes->append(buffer, size_t(n));
  }
  int error = errno;
  close(file);
  errno = error;
  return read;
}

// Writes a temporary file in path's folder and renames it over path, keeping
// the old file's mode; false with errno set when it cannot.
bool ReplaceFile(const std::string& path, const std::string& bytes) {
  std::string temporary = path + ".XXXXXX";
  int file = mkostemp(&temporary[0], O_CLOEXEC);
  if (file < 0) return false;
  struct stat old;
  mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  bool written = fchmod(file, mode) == 0;
  for (size_t done = 0; written && done < bytes.size();) {
    ssize_t n = write(file, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    written = n > 0;
    if (written) done += size_t(n);
  }
  written = written && fsync(file) == 0;
  int error = errno;
  if (close(file) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written) {
    if (rename(temporary.c_str(), path.c_str()) == 0) return true;
    error = errno;
  }
  unlink(temporary.c_str());
  errno = error;
  return false;
}

HackInstall Failed(const std::string& program, const std::string& why) {
  return {false, "Cannot make " + program + " your screen saver: " + why + "."};
}

}  // namespace

HackInstall InstallXscreensaverHack(const std::string& programPath) {
  std::string program = programPath;
  if (program.empty()) return Failed("an empty path", "no program named");
  // Backslashes would be read again by the file's own escapes.
  if (program.find_first_of("\\\n") != std::string::npos) {
    return Failed(program, "the path holds a backslash or a line break");
  }
  if (program[0] != '/') {
    char here[4096];
    if (getcwd(here, sizeof here) == nullptr) return Failed(program, "no current folder");
    program = std::string(here) + "/" + program;
  }
  if (access(program.c_str(), X_OK) != 0) return Failed(program, std::strerror(errno));
  const std::string home = HomeFolder();
  if (home.empty()) return Failed(program, "no home folder");
  const std::string prefsPath = home + "/.xscreensaver";
  const std::string target = FollowLinks(prefsPath);
  if (target.empty()) return Failed(program, prefsPath + " is a loop of links");
  const std::string shown = target == prefsPath ? prefsPath : prefsPath + " (" + target + ")";

  std::string prefs;
  bool missing = false;
  if (!ReadPrefs(target, &prefs, &missing)) {
    return Failed(program, "cannot read " + shown + ": " + std::strerror(errno));
  }
  // Renaming over a file that its owner made read-only would go past that.
  if (!missing && access(target.c_str(), W_OK) != 0) {
    return Failed(program, "cannot write " + shown + ": " + std::strerror(errno));
  }
  SaverSelection selection = SelectSaverProgram(prefs, program);
  if (!ReplaceFile(target, selection.prefs)) {
    return Failed(program, "cannot write " + shown + ": " + std::strerror(errno));
  }
  return {true, program + " is now your screen saver: entry " + std::to_string(selection.index) +
                    (selection.added ? " added to " : " updated in ") + shown +
                    (missing ? " (a new file)" : "") + " and selected."};
}
