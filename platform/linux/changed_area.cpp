#include "platform/linux/changed_area.h"

#include <algorithm>
#include <cstring>

namespace {

// Small enough that a 10x10 piece costs little more than itself, large
// enough that a full-screen grid stays a few thousand bytes.
constexpr int32_t kTile = 32;

struct Changes {
  HWND root = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t columns = 0;
  int32_t rows = 0;
  bool whole = false;
  bool any = false;
  std::vector<uint8_t> tiles;  // 1 where something was drawn, row by row
};

std::vector<Changes> windowChanges;

Changes& ChangesOf(HWND root) {
  for (Changes& changes : windowChanges) {
    if (changes.root == root) return changes;
  }
  windowChanges.push_back(Changes{});
  windowChanges.back().root = root;
  return windowChanges.back();
}

// A grid of another size than the window's no longer says where anything is:
// the window is shown whole once.
void FitGrid(Changes& changes, int32_t width, int32_t height) {
  if (changes.width == width && changes.height == height && !changes.tiles.empty()) return;
  changes.width = std::max(width, 0);
  changes.height = std::max(height, 0);
  changes.columns = (changes.width + kTile - 1) / kTile;
  changes.rows = (changes.height + kTile - 1) / kTile;
  changes.tiles.assign(size_t(changes.columns) * size_t(changes.rows), 0);
  changes.whole = true;
}

}  // namespace

void TargetDrawn(const GdiTarget& target, const RECT& area) {
  if (target.window == nullptr) return;
  Changes& changes = ChangesOf(target.window);
  FitGrid(changes, target.width, target.height);
  if (changes.whole) return;
  int64_t left = std::max<int64_t>(int64_t(area.left) + target.origin.x, 0);
  int64_t top = std::max<int64_t>(int64_t(area.top) + target.origin.y, 0);
  int64_t right = std::min<int64_t>(int64_t(area.right) + target.origin.x, changes.width);
  int64_t bottom = std::min<int64_t>(int64_t(area.bottom) + target.origin.y, changes.height);
  if (left >= right || top >= bottom) return;
  int64_t firstColumn = left / kTile;
  int64_t endColumn = (right + kTile - 1) / kTile;
  for (int64_t row = top / kTile; row < (bottom + kTile - 1) / kTile; ++row) {
    std::memset(&changes.tiles[size_t(row) * changes.columns + firstColumn], 1,
                size_t(endColumn - firstColumn));
  }
  changes.any = true;
}

void WholeWindowChanged(HWND root) {
  ChangesOf(root).whole = true;
}

std::vector<RECT> TakeChangedArea(HWND root, int32_t width, int32_t height) {
  Changes& changes = ChangesOf(root);
  FitGrid(changes, width, height);
  std::vector<RECT> taken;
  if (changes.whole) {
    if (width > 0 && height > 0) taken.push_back(RECT{0, 0, width, height});
  } else if (changes.any) {
    // Runs of changed tiles in each row of tiles, each run joined to the one
    // of the same columns in the row above: a changed band or block comes
    // out as one rectangle.
    std::vector<RECT> open;
    std::vector<RECT> next;
    for (int32_t row = 0; row < changes.rows; ++row) {
      const uint8_t* tiles = &changes.tiles[size_t(row) * changes.columns];
      LONG top = row * kTile;
      LONG bottom = std::min(top + kTile, height);
      next.clear();
      for (int32_t column = 0; column < changes.columns;) {
        if (tiles[column] == 0) {
          ++column;
          continue;
        }
        int32_t end = column;
        while (end < changes.columns && tiles[end] != 0)
          ++end;
        RECT run = {column * kTile, top, std::min(end * kTile, width), bottom};
        auto above = std::find_if(open.begin(), open.end(), [&](const RECT& r) {
          return r.left == run.left && r.right == run.right;
        });
        if (above != open.end()) {
          run.top = above->top;
          open.erase(above);
        }
        next.push_back(run);
        column = end;
      }
      taken.insert(taken.end(), open.begin(), open.end());
      open.swap(next);
    }
    taken.insert(taken.end(), open.begin(), open.end());
  }
  std::fill(changes.tiles.begin(), changes.tiles.end(), 0);
  changes.whole = false;
  changes.any = false;
  return taken;
}

void ForgetChangedArea(HWND root) {
  windowChanges.erase(std::remove_if(windowChanges.begin(), windowChanges.end(),
                                     [&](const Changes& changes) { return changes.root == root; }),
                      windowChanges.end());
}
