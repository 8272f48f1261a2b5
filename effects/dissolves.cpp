#include "effects/transition.h"
#include "effects/transition_steps.h"

void FineDissolve(HDC window, HDC frame, const RECT& client) {
  CellDissolve(window, frame, client, 3, 0);
}

void CoarseDissolve(HDC window, HDC frame, const RECT& client) {
  CellDissolve(window, frame, client, 15, 10);
}

void MediumDissolve(HDC window, HDC frame, const RECT& client) {
  CellDissolve(window, frame, client, 9, 10);
}

void StripDissolve(HDC window, HDC frame, const RECT& client) {
  int32_t count = client.right / 8 + 1;
  int32_t stride = DissolveStride(count);
  int32_t step = 0;
  for (int32_t visited = 0; visited < count; ++visited) {
    CopyPiece(window, frame, step * 8, 0, 8, client.bottom);
    PauseTransition(5);
    step = (step + stride) % count;
  }
}
