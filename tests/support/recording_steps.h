// The transition steps of the tests: each copy and pause is written down in
// order instead of being made.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32.h"

struct RecordedStep {
  bool pause = false;
  // A copy's device contexts and rectangle.
  HDC window = nullptr;
  HDC frame = nullptr;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  // A pause's length.
  DWORD milliseconds = 0;
};

// Every step since the last ClearRecordedSteps, oldest first.
const std::vector<RecordedStep>& RecordedSteps();
void ClearRecordedSteps();
