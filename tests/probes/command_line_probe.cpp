// Prints the raw command line and the argument found in it, one per line, so
// that tests can see how a start's arguments reach the player.
#include <cstdio>

#include "host/command_line.h"
#include "platform/win32.h"

int main() {
  const char* commandLine = GetCommandLineA();
  std::printf("line=%s\nargument=%s\n", commandLine, LocateArgument(commandLine));
  return 0;
}
