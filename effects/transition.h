// Transition effects: the next frame, composed in a memory device context,
// replaces the window's contents piece by piece, each piece one SRCCOPY of
// the same rectangle, paced by fixed pauses.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// The effect run last, 0 to 8; -1 before the first transition.
extern int16_t LastEffectIndex;

struct TransitionEffect {
  const char* name;
  void (*run)(HDC window, HDC frame, const RECT& client);
};

// The nine effects, by the index that RunTransition draws.
constexpr int kTransitionEffectCount = 9;
extern const TransitionEffect kTransitionEffects[kTransitionEffectCount];

// Chooses an effect other than the last one and runs it.
void RunTransition(HDC window, HDC frame, const RECT& client);

// The step of the walk that visits n pieces in a scattered order.
int32_t DissolveStride(int32_t n);
void CellDissolve(HDC window, HDC frame, const RECT& client, int32_t cell, DWORD pause);

void FineDissolve(HDC window, HDC frame, const RECT& client);
void CoarseDissolve(HDC window, HDC frame, const RECT& client);
void MediumDissolve(HDC window, HDC frame, const RECT& client);
void SparkleDrop(HDC window, HDC frame, const RECT& client);
void StaggeredWipe(HDC window, HDC frame, const RECT& client);
void RingBurst(HDC window, HDC frame, const RECT& client);
void GrowingSquare(HDC window, HDC frame, const RECT& client);
void StripDissolve(HDC window, HDC frame, const RECT& client);
void ClockSweep(HDC window, HDC frame, const RECT& client);
