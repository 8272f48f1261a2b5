// The Linux player's command line: xscreensaver starts its display programs
// as "PROGRAM --root" (older versions "-root") with the window to draw into
// in XSCREENSAVER_WINDOW, or with "--window-id ID"; people and scripts use
// the screen saver's own "/s", "/p ID", "/c" and "/a".
#pragma once

#include <string>
#include <vector>

struct LinuxStart {
  // SaverMain's argument; unused when refusal is set.
  std::string argument;
  // One line for standard error when the command line is not understood:
  // what was refused and the forms that are.
  std::string refusal;
};

// args leaves out the program's name; windowVariable is XSCREENSAVER_WINDOW's
// value, or null when it is not set; screenSaverArgument is the argument as
// the screen saver's own command line reads it (LocateArgument). Any of the
// xscreensaver options makes it an xscreensaver start, which then takes
// nothing else: into the window named by --window-id, else by the variable,
// else, for a bare --root, full screen. An empty command line with the
// variable set is xscreensaver's too.
LinuxStart ChooseLinuxStart(const std::vector<std::string>& args, const char* windowVariable,
                            const char* screenSaverArgument);
