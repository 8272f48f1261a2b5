// lumivane-install-saver PATH: makes the screen saver at PATH the user's
// xscreensaver hack. It stands in for the Windows control panel's installer,
// which the player starts after copying a show into the system directory.
//
// It adds an entry for PATH to the "programs" list of ~/.xscreensaver, or
// updates the one already there, and selects it ("mode: one", "selected:").
// The file is created when missing and replaced atomically, every other line
// kept. What it did goes to standard output and, with a display, into a
// message box.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/win32.h"
#include "tools/install_saver/xscreensaver_prefs.h"

namespace {

constexpr char kCaption[] = "Lumivane";

void Report(const std::string& message, bool failed) {
  std::fprintf(failed ? stderr : stdout, "%s\n", message.c_str());
  std::fflush(nullptr);
  const char* display = std::getenv("DISPLAY");
  if (display != nullptr && *display != '\0') {
    MessageBoxA(nullptr, message.c_str(), kCaption,
                MB_OK | (failed ? MB_ICONERROR : MB_ICONINFORMATION));
  }
}

bool ReadWholeFile(const std::string& path, std::string* bytes, bool* missing) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *missing = errno == ENOENT;
    return *missing;
  }
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Writes a temporary file beside path and renames it over path, keeping the
// old file's mode.
bool ReplaceFile(const std::string& path, const std::string& bytes) {
  std::string temporary = path + ".XXXXXX";
  int file = mkstemp(&temporary[0]);
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
  written = close(file) == 0 && written;
  if (written && rename(temporary.c_str(), path.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0' || std::strcmp(argv[1], "--help") == 0) {
    std::fprintf(stderr,
                 "usage: lumivane-install-saver PATH\n"
                 "Makes the screen saver at PATH the current xscreensaver hack.\n");
    return 2;
  }
  std::string program = argv[1];
  if (program.find_first_of("\\\n") != std::string::npos) {
    Report("Cannot install " + program + ": the path holds a backslash or a line break.", true);
    return 2;
  }
  if (program[0] != '/') {
    char here[4096];
    if (getcwd(here, sizeof here) != nullptr) program = std::string(here) + "/" + program;
  }
  if (access(program.c_str(), X_OK) != 0) {
    Report("Cannot install " + program + ": " + std::strerror(errno) + ".", true);
    return 1;
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    Report("Cannot install " + program + ": HOME is not set.", true);
    return 1;
  }
  const std::string prefsPath = std::string(home) + "/.xscreensaver";
  std::string prefs;
  bool missing = false;
  if (!ReadWholeFile(prefsPath, &prefs, &missing)) {
    Report("Cannot read " + prefsPath + ".", true);
    return 1;
  }
  SaverSelection selection = SelectSaverProgram(prefs, program);
  if (!ReplaceFile(prefsPath, selection.prefs)) {
    Report("Cannot write " + prefsPath + ": " + std::strerror(errno) + ".", true);
    return 1;
  }
  Report(program + "\nis now your screen saver: entry " + std::to_string(selection.index) +
             (selection.added ? " added to " : " updated in ") + prefsPath +
             (missing ? " (a new file)" : "") + "\nand selected.",
         false);
  return 0;
}
