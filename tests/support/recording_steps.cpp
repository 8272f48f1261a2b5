#include "tests/support/recording_steps.h"

#include "effects/transition_steps.h"

std::vector<RecordedStep> recordedSteps;

void CopyPiece(HDC, HDC, int32_t x, int32_t y, int32_t width, int32_t height) {
  recordedSteps.push_back({false, x, y, width, height, 0});
}

void PauseTransition(DWORD milliseconds) {
  recordedSteps.push_back({true, 0, 0, 0, 0, milliseconds});
}
