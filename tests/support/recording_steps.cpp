#include "tests/support/recording_steps.h"

#include "effects/transition_steps.h"

namespace {

std::vector<RecordedStep>& Steps() {
  static std::vector<RecordedStep> steps;
  return steps;
}

}  // namespace

const std::vector<RecordedStep>& RecordedSteps() {
  return Steps();
}

void ClearRecordedSteps() {
  Steps().clear();
}

void CopyPiece(HDC window, HDC frame, int32_t x, int32_t y, int32_t width, int32_t height) {
  RecordedStep step;
  step.window = window;
  step.frame = frame;
  step.x = x;
  step.y = y;
  step.width = width;
  step.height = height;
  Steps().push_back(step);
}

void PauseTransition(DWORD milliseconds) {
  RecordedStep step;
  step.pause = true;
  step.milliseconds = milliseconds;
  Steps().push_back(step);
}
