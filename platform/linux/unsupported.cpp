#include "platform/linux/unsupported.h"

#include <cstdio>
#include <cstdlib>

void PlatformUnsupported(const char* call, const char* what) {
  std::fprintf(stderr, "lumivane: %s: not supported by the Linux platform layer: %s\n", call, what);
  std::abort();
}
