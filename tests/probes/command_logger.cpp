// Appends its own command line, as the system handed it over, and a line
// break to the file named by LV_COMMAND_LOG. The install tests put a copy of
// it where the system looks first for the programs that the player starts.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main() {
  const char* log = std::getenv("LV_COMMAND_LOG");
  FILE* file = log != nullptr ? std::fopen(log, "ab") : nullptr;
  if (file == nullptr) return 1;
  std::fprintf(file, "%s\n", GetCommandLineA());
  std::fclose(file);
  return 0;
}
