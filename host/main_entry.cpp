// The program's entry: finds the argument on the raw command line, runs the
// chosen mode and ends the process with its result, so that the runtime's
// own termination does not run. On Linux it also takes xscreensaver's way of
// naming the window to draw into.
#include <cstdlib>

#include "host/command_line.h"
#include "host/saver_main.h"
#include "platform/win32.h"

#if defined(_WIN32)

int main() {
  ExitProcess(UINT(SaverMain(GetModuleHandleA(nullptr), LocateArgument(GetCommandLineA()))));
}

#else

#include <string>
#include <vector>

#include "host/xscreensaver_start.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::string preview = XScreensaverArgument(args, std::getenv("XSCREENSAVER_WINDOW"));
  const char* argument = preview.empty() ? LocateArgument(GetCommandLineA()) : preview.c_str();
  ExitProcess(UINT(SaverMain(GetModuleHandleA(nullptr), argument)));
}

#endif
