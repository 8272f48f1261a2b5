// The one pseudo-random generator of the show: picture order, sound choice
// and transition effects all draw from it.
#pragma once

#include <cstdint>

// 0 to 32767. The state starts at 1 with the process.
int32_t ShowRandom();
// Restarts the sequence from the given state; the show window does this once,
// with the calendar time, when it is created.
void ResetShowRandom(uint32_t state);
