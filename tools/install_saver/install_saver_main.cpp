// lumivane-install-saver PATH: makes the screen saver at PATH the user's
// xscreensaver hack, for a person at a terminal. The player does the same
// itself when a show is installed.
//
// It adds an entry for PATH to the "programs" list of ~/.xscreensaver, or
// updates the one already there, and selects it ("mode: one", "selected:").
// The file is created when missing and replaced atomically, every other line
// kept. What it did goes to standard output (a failure to standard error)
// and, with a display, into a message box.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/xscreensaver_install.h"
#include "platform/win32.h"

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0' || std::strcmp(argv[1], "--help") == 0) {
    std::fprintf(stderr,
                 "usage: lumivane-install-saver PATH\n"
                 "Makes the screen saver at PATH the current xscreensaver hack.\n");
    return 2;
  }
  HackInstall install = InstallXscreensaverHack(argv[1]);
  std::fprintf(install.done ? stdout : stderr, "%s\n", install.message.c_str());
  std::fflush(nullptr);
  const char* display = std::getenv("DISPLAY");
  if (display != nullptr && *display != '\0') {
    MessageBoxA(nullptr, install.message.c_str(), "Lumivane",
                MB_OK | (install.done ? MB_ICONINFORMATION : MB_ICONERROR));
  }
  return install.done ? 0 : 1;
}
