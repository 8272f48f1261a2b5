// What of a window's pixels changed since they last reached the screen, so
// that presenting copies only that: the drawing calls report each rectangle
// they write into a window, and presenting takes a few rectangles that cover
// all of them. An effect that copies small pieces between its pauses then
// costs the screen what it copies, not a whole window each time.
// Kept per window with pixels of its own (a root window), in its pixel
// coordinates, on a grid of square tiles: marking is cheap and the rectangles
// handed out stay few however many small pieces were drawn.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/linux/gdi_target.h"
#include "platform/linux/win32_api.h"

// A drawing call wrote area (in target's coordinates) of target; nothing for
// a memory bitmap.
void TargetDrawn(const GdiTarget& target, const RECT& area);
// Everything the root window shows is to be brought to the screen again.
void WholeWindowChanged(HWND root);
// Takes what changed since the last call: rectangles within width x height
// that do not overlap; none when nothing changed.
std::vector<RECT> TakeChangedArea(HWND root, int32_t width, int32_t height);
// The root window is gone.
void ForgetChangedArea(HWND root);
