// The transition steps of the tests: each copy and pause is written down in
// order instead of being made.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32.h"

// A copy's rectangle, or a pause's length.
struct RecordedStep {
  bool pause;
  int32_t x, y, width, height;
  DWORD milliseconds;
};

// Every step so far, oldest first; the tests clear it between effects.
extern std::vector<RecordedStep> recordedSteps;
