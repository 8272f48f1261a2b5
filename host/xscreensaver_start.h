// Starts by xscreensaver on Linux: its display programs draw into a window
// that it names, given as "-window-id ID" or, with no arguments or just
// "-root", in the environment variable XSCREENSAVER_WINDOW.
#pragma once

#include <string>
#include <vector>

// For such a start, the argument of the preview into that window,
// "/p <decimal id>" ("/p 0", refused later, for an id that is no number);
// otherwise an empty text. args leaves out the program's name; windowVariable
// is XSCREENSAVER_WINDOW's value, or null when it is not set.
std::string XScreensaverArgument(const std::vector<std::string>& args, const char* windowVariable);
