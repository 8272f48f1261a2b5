#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "tools/showpack/file_ops.h"

FILE* CreateNewFile(const std::string& path, const std::string& modeSource, bool* exists) {
  *exists = false;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    *exists = errno == EEXIST;
    return nullptr;
  }
  struct stat source, created;
  // The execute bits are added after the umask has applied, so that a player
  // that can run gives an output that can run.
  bool modeOk =
      modeSource.empty() || (stat(modeSource.c_str(), &source) == 0 && fstat(fd, &created) == 0 &&
                             fchmod(fd, (created.st_mode & 07777) | (source.st_mode & 0111)) == 0);
  FILE* file = modeOk ? fdopen(fd, "wb") : nullptr;
  if (file == nullptr) {
    close(fd);
    unlink(path.c_str());
  }
  return file;
}

bool RenameOver(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool IsTerminal(FILE* stream) {
  return isatty(fileno(stream)) != 0;
}

const char* const kProgressArrow = "\u2192";
