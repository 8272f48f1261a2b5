// The program's entry: finds the argument on the raw command line, runs the
// chosen mode and ends the process with its result, so that the runtime's
// own termination does not run. On Linux it also takes xscreensaver's way of
// naming the window to draw into, and says on standard error why it refuses
// a command line it does not understand.
#include <cstdlib>

#include "host/command_line.h"
#include "host/saver_main.h"
#include "platform/win32.h"

#if defined(_WIN32)

int main() {
  ExitProcess(UINT(SaverMain(GetModuleHandleA(nullptr), LocateArgument(GetCommandLineA()))));
}

#else

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/xscreensaver_start.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  LinuxStart start =
      ChooseLinuxStart(args, std::getenv("XSCREENSAVER_WINDOW"), LocateArgument(GetCommandLineA()));
  if (!start.refusal.empty()) {
    const char* name = argc > 0 ? argv[0] : "lumivane";
    const char* slash = std::strrchr(name, '/');
    std::fprintf(stderr, "%s: %s\n", slash != nullptr ? slash + 1 : name, start.refusal.c_str());
    ExitProcess(UINT(-1));
  }
  ExitProcess(UINT(SaverMain(GetModuleHandleA(nullptr), start.argument.c_str())));
}

#endif
