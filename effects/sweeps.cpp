#include <algorithm>
#include <cmath>

#include "effects/transition.h"
#include "effects/transition_steps.h"
#include "show/show_random.h"

namespace {

constexpr double kFullTurn = 6.283185307;
// ShowRandom's largest draw, which scaling divides by.
constexpr int32_t kLargestDraw = 32767;

// A draw from 0 to m, in proportion to the show's random number. The 64-bit
// product gives the 32-bit result wherever that one does not overflow.
int32_t ScaledDraw(int32_t m) {
  return int32_t(int64_t(ShowRandom()) * m / kLargestDraw);
}

// The two radial effects walk a grid of small cells, in pixels, and copy
// blocks of two cells by two.
constexpr int32_t kGridCell = 5;
constexpr int32_t kGridBlock = 2 * kGridCell;

// The grid cells of the client area, its middle cell, and a distance from
// there that reaches past every corner.
struct CellGrid {
  explicit CellGrid(const RECT& client)
      : columns(client.right / kGridCell + 1),
        rows(client.bottom / kGridCell + 1),
        centreX(columns / 2),
        centreY(rows / 2),
        reach(int32_t(std::sqrt(double(centreX * centreX + centreY * centreY))) + 2) {}

  int32_t columns;
  int32_t rows;
  int32_t centreX;
  int32_t centreY;
  int32_t reach;
};

// The volatile doubles below make the 32-bit Windows build round each step to
// double as the native build does: its x87 unit keeps excess precision, which
// would move a point that lies close to a cell border into the next cell.

double TurnStep(int32_t parts) {
  volatile double step = kFullTurn / parts;
  return step;
}

struct Direction {
  explicit Direction(double angle) {
    volatile double c = std::cos(angle);
    volatile double s = std::sin(angle);
    cosine = c;
    sine = s;
  }

  double cosine;
  double sine;
};

Direction DirectionAt(int32_t index, double step) {
  volatile double angle = index * step;
  return Direction(angle);
}

// centre + distance × unit, truncated toward zero.
int32_t Along(int32_t centre, int32_t distance, double unit) {
  volatile double offset = distance * unit;
  volatile double position = centre + offset;
  return int32_t(position);
}

// The block whose top left cell is one up and left of the point at
// the given distance from the middle cell, when it touches the grid.
void CopyBlockAlong(HDC window, HDC frame, const CellGrid& grid, int32_t distance,
                    const Direction& direction) {
  int32_t x = Along(grid.centreX, distance, direction.cosine) - 1;
  int32_t y = Along(grid.centreY, distance, direction.sine) - 1;
  if (x >= -1 && x < grid.columns && y >= -1 && y < grid.rows)
    CopyPiece(window, frame, x * kGridCell, y * kGridCell, kGridBlock, kGridBlock);
}

}  // namespace

// Cells in pixels; sparkles fall up to kSparkleRowsAhead rows below the row
// being filled, which comes after a pause in milliseconds.
constexpr int32_t kSparkleCell = 6;
constexpr int32_t kSparkleRowsAhead = 16;
constexpr DWORD kSparkleRowPause = 15;

void SparkleDrop(HDC window, HDC frame, const RECT& client) {
  int32_t columns = client.right / kSparkleCell + 1;
  int32_t rows = client.bottom / kSparkleCell + 1;
  for (int32_t row = 0; row < rows; ++row) {
    // Sparkles thin out with their distance below the row about to be filled.
    for (int32_t below = std::min(row + kSparkleRowsAhead, rows); below > row; --below) {
      int32_t sparkles = ScaledDraw((columns - (below - row)) / 2);
      for (int32_t k = 0; k < sparkles; ++k)
        CopyPiece(window, frame, ScaledDraw(columns) * kSparkleCell, below * kSparkleCell,
                  kSparkleCell, kSparkleCell);
    }
    PauseTransition(kSparkleRowPause);
    CopyPiece(window, frame, 0, row * kSparkleCell, client.right, kSparkleCell);
  }
}

// Blocks in pixels; the columns start 0, 1 or 2 blocks low, in turn, with a
// pause in milliseconds after each pass.
constexpr int32_t kWipeBlock = 10;
constexpr int32_t kWipeStaggers = 3;
constexpr DWORD kWipePassPause = 20;

void StaggeredWipe(HDC window, HDC frame, const RECT& client) {
  // The columns start up to two blocks low; this strip fills in above them.
  CopyPiece(window, frame, 0, 0, client.right, (kWipeStaggers - 1) * kWipeBlock);
  int32_t columns = client.right / kWipeBlock + 1;
  int32_t passes = client.bottom / kWipeBlock + 1;
  for (int32_t pass = 0; pass < passes; ++pass) {
    for (int32_t column = 0; column < columns; ++column)
      CopyPiece(window, frame, column * kWipeBlock, (pass + column % kWipeStaggers) * kWipeBlock,
                kWipeBlock, kWipeBlock);
    PauseTransition(kWipePassPause);
  }
}

// How far outside its ring, in cells, the burst scatters cells, and the pause
// in milliseconds before each ring.
constexpr int32_t kRingScatter = 30;
constexpr DWORD kRingPause = 10;

void RingBurst(HDC window, HDC frame, const RECT& client) {
  CellGrid grid(client);
  int32_t angles = 2 * grid.columns;
  double step = TurnStep(angles);
  for (int32_t ring = 0; ring < grid.reach; ++ring) {
    // Scattered cells up to kRingScatter cells outside the ring, then the ring itself.
    for (int32_t k = 0; k < angles; ++k) {
      int32_t angle = ScaledDraw(angles);
      int32_t radius = ring + ScaledDraw(kRingScatter);
      Direction direction = DirectionAt(angle, step);
      int32_t x = Along(grid.centreX, radius, direction.cosine);
      int32_t y = Along(grid.centreY, radius, direction.sine);
      if (x >= 0 && x < grid.columns && y >= 0 && y < grid.rows)
        CopyPiece(window, frame, x * kGridCell, y * kGridCell, kGridCell, kGridCell);
    }
    PauseTransition(kRingPause);
    for (int32_t k = 0; k < angles; ++k)
      CopyBlockAlong(window, frame, grid, ring, DirectionAt(k, step));
  }
}

// The square's edge moves out by one step in pixels on each side per pause in
// milliseconds.
constexpr int32_t kSquareStep = 10;
constexpr DWORD kSquarePause = 20;

void GrowingSquare(HDC window, HDC frame, const RECT& client) {
  int32_t halfColumns = (client.right / kSquareStep + 1) / 2;
  int32_t halfRows = (client.bottom / kSquareStep + 1) / 2;
  int32_t steps = std::max(halfColumns, halfRows) + 2;
  int32_t x = halfColumns * kSquareStep;
  int32_t y = halfRows * kSquareStep;
  int32_t size = 0;
  for (int32_t k = 0; k < steps; ++k) {
    CopyPiece(window, frame, x, y, size, size);
    PauseTransition(kSquarePause);
    x -= kSquareStep;
    y -= kSquareStep;
    size += 2 * kSquareStep;
  }
}

// The pause in milliseconds after each ray.
constexpr DWORD kRayPause = 2;

void ClockSweep(HDC window, HDC frame, const RECT& client) {
  CellGrid grid(client);
  int32_t rays = 2 * grid.columns;
  double step = TurnStep(rays);
  for (int32_t ray = 0; ray < rays; ++ray) {
    Direction direction = DirectionAt(ray, step);
    for (int32_t distance = 0; distance < grid.reach; ++distance)
      CopyBlockAlong(window, frame, grid, distance, direction);
    PauseTransition(kRayPause);
  }
}
