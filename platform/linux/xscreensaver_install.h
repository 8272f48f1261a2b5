// Making a program the user's xscreensaver hack: ~/.xscreensaver read, edited
// (xscreensaver_prefs.h) and replaced on disk. The Linux layer does it for the
// control panel's screen-saver installer; lumivane-install-saver does it for
// a person.
#pragma once

#include <string>

struct HackInstall {
  bool done = false;
  // One or two sentences for the user: what was done, or what failed and
  // the file it failed on.
  std::string message;
};

// Adds or updates the entry of programPath (made absolute from the current
// folder) in ~/.xscreensaver and selects it. A ~/.xscreensaver that is a
// symbolic link keeps being one: the file it leads to is replaced. The file
// is replaced atomically, its mode kept, every other line as it was; nothing
// is written when the program cannot run or the file cannot be read.
HackInstall InstallXscreensaverHack(const std::string& programPath);
