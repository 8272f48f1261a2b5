#include "effects/transition.h"
#include "effects/transition_steps.h"

// Square cells of the three cell dissolves, in pixels, and the pause after
// each row of cells in milliseconds; the fine one runs without pauses.
constexpr int32_t kFineCell = 3;
constexpr int32_t kMediumCell = 9;
constexpr int32_t kCoarseCell = 15;
constexpr DWORD kCellRowPause = 10;
constexpr DWORD kNoPause = 0;

void FineDissolve(HDC window, HDC frame, const RECT& client) {
  CellDissolve(window, frame, client, kFineCell, kNoPause);
}

void CoarseDissolve(HDC window, HDC frame, const RECT& client) {
  CellDissolve(window, frame, client, kCoarseCell, kCellRowPause);
}

void MediumDissolve(HDC window, HDC frame, const RECT& client) {
  CellDissolve(window, frame, client, kMediumCell, kCellRowPause);
}

// The strip dissolve's full-height strips in pixels, and its pause in
// milliseconds after each.
constexpr int32_t kStripWidth = 8;
constexpr DWORD kStripPause = 5;

void StripDissolve(HDC window, HDC frame, const RECT& client) {
  int32_t count = client.right / kStripWidth + 1;
  int32_t stride = DissolveStride(count);
  int32_t step = 0;
  for (int32_t visited = 0; visited < count; ++visited) {
    CopyPiece(window, frame, step * kStripWidth, 0, kStripWidth, client.bottom);
    PauseTransition(kStripPause);
    step = (step + stride) % count;
  }
}
