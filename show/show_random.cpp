#include "show/show_random.h"

namespace {

uint32_t state = 1;

}  // namespace

int32_t ShowRandom() {
  // Unsigned arithmetic wraps modulo 2^32 by definition.
  state = state * 214013u + 2531011u;
  return int32_t((state >> 16) & 0x7FFF);
}

void ResetShowRandom(uint32_t newState) {
  state = newState;
}
