#include "tests/support/recording_steps.h"

#include "effects/transition_steps.h"

namespace {

std::vector<RecordedStep> steps;

}  // namespace

const std::vector<RecordedStep>& RecordedSteps() {
  return steps;
}

void ClearRecordedSteps() {
  steps.clear();
}

void CopyPiece(HDC, HDC, int32_t x, int32_t y, int32_t width, int32_t height) {
  steps.push_back({false, x, y, width, height, 0});
}

void PauseTransition(DWORD milliseconds) {
  steps.push_back({true, 0, 0, 0, 0, milliseconds});
}
