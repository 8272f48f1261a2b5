// What the stand-ins for the system's password components share: a line
// appended to the log file that the test names in LUMIVANE_STANDIN_LOG.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void AppendStandinLine(const char* line) {
  const char* path = std::getenv("LUMIVANE_STANDIN_LOG");
  std::FILE* log = path != nullptr ? std::fopen(path, "ab") : nullptr;
  if (log == nullptr) return;
  std::fputs(line, log);
  std::fclose(log);
}
