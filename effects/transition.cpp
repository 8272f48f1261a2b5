#include "effects/transition.h"

#include <numeric>

#include "effects/transition_steps.h"
#include "show/show_random.h"

int16_t LastEffectIndex = -1;

namespace {

// The smallest stride tried: small enough to scatter, large enough that
// neighbouring steps land apart.
constexpr int32_t kFirstStride = 7;

}  // namespace

const TransitionEffect kTransitionEffects[kTransitionEffectCount] = {
    {"FineDissolve", FineDissolve},     {"CoarseDissolve", CoarseDissolve},
    {"MediumDissolve", MediumDissolve}, {"SparkleDrop", SparkleDrop},
    {"StaggeredWipe", StaggeredWipe},   {"RingBurst", RingBurst},
    {"GrowingSquare", GrowingSquare},   {"StripDissolve", StripDissolve},
    {"ClockSweep", ClockSweep}};

void RunTransition(HDC window, HDC frame, const RECT& client) {
  int16_t index;
  do {
    index = int16_t(ShowRandom() % kTransitionEffectCount);
  } while (index == LastEffectIndex);
  LastEffectIndex = index;
  kTransitionEffects[index].run(window, frame, client);
}

int32_t DissolveStride(int32_t n) {
  // One or two pieces leave no scattering to do.
  if (n <= 2) return 1;
  // A stride coprime with n walks through every piece once. For n of 3 or
  // more it also steps off every multiple of n at n/2 and n/2 + 1 steps, and
  // does not divide n, which is all that the stride ever had to avoid.
  int32_t stride = kFirstStride;
  while (std::gcd(stride, n) != 1)
    ++stride;
  return stride;
}

void CellDissolve(HDC window, HDC frame, const RECT& client, int32_t cell, DWORD pause) {
  int32_t columns = client.right / cell + 1;
  int32_t rows = client.bottom / cell + 1;
  int32_t count = columns * rows;
  int32_t stride = DissolveStride(count);
  // Kept below count, which visits the same pieces as an ever-growing sum.
  int32_t step = 0;
  for (int32_t visited = 0; visited < count; ++visited) {
    int32_t column = step % columns;
    int32_t row = step / columns;
    CopyPiece(window, frame, column * cell, row * cell, cell, cell);
    if (pause != 0 && column == 0) PauseTransition(pause);
    step = (step + stride) % count;
  }
}
