// The transition effects with their copies and pauses recorded instead of made:
// the random numbers, the pieces' order and geometry, the pauses, the coverage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "effects/transition.h"
#include "show/show_random.h"
#include "tests/support/recording_steps.h"

namespace {

using Effect = void (*)(HDC, HDC, const RECT&);
using Steps = std::vector<RecordedStep>;

// The steps of one effect, the random sequence restarted from 1.
Steps Record(Effect effect, int32_t width = 1024, int32_t height = 768) {
  ResetShowRandom(1);
  recordedSteps.clear();
  effect(nullptr, nullptr, RECT{0, 0, width, height});
  return recordedSteps;
}

bool IsCopy(const RecordedStep& s, int32_t x, int32_t y, int32_t width, int32_t height) {
  return !s.pause && s.x == x && s.y == y && s.width == width && s.height == height;
}

bool IsPause(const RecordedStep& s, DWORD milliseconds) {
  return s.pause && s.milliseconds == milliseconds;
}

// The number of pauses and their milliseconds together.
std::pair<int32_t, uint32_t> Pauses(const Steps& steps) {
  std::pair<int32_t, uint32_t> p{0, 0};
  for (const RecordedStep& s : steps)
    if (s.pause) p = {p.first + 1, p.second + s.milliseconds};
  return p;
}

// Marks the pixels of a width x height client area that step `s` copies.
void Paint(std::vector<bool>& shown, int32_t width, int32_t height, const RecordedStep& s) {
  int64_t left = std::max(s.x, 0), right = std::min<int64_t>(int64_t(s.x) + s.width, width);
  for (int64_t y = std::max(s.y, 0); y < std::min<int64_t>(int64_t(s.y) + s.height, height); ++y)
    if (left < right)
      std::fill(shown.begin() + y * width + left, shown.begin() + y * width + right, true);
}

TEST(ShowRandomTest, DrawsTheSequence) {
  ResetShowRandom(1);
  for (int expected : {41, 18467, 6334, 26500, 19169})
    EXPECT_EQ(ShowRandom(), expected);
}

// The smallest stride from 7 that is coprime with the count.
TEST(DissolveStrideTest, SmallestCoprimeStrideFromSeven) {
  for (auto [n, stride] : {std::pair{34454, 9}, {87894, 7}, {1, 1}, {2, 1}})
    EXPECT_EQ(DissolveStride(n), stride) << n;
}

// Screen sizes matter to the effects whose cells come from sines and cosines
// truncated to integers, where the builds may round differently.
TEST(EffectsTest, EveryPixelIsCopiedAtEverySize) {
  const std::pair<int32_t, int32_t> sizes[] = {
      {1, 1},       {7, 5},      {1024, 768},  {640, 480},   {800, 600},
      {1280, 1024}, {1366, 768}, {1920, 1080}, {2560, 1440}, {3840, 2160}};
  for (const TransitionEffect& effect : kTransitionEffects) {
    const bool sines = effect.run == RingBurst || effect.run == ClockSweep;
    for (auto [width, height] : std::vector(sizes, sizes + (sines ? std::size(sizes) : 3))) {
      std::vector<bool> covered(size_t(width) * height, false);
      for (const RecordedStep& s : Record(effect.run, width, height))
        Paint(covered, width, height, s);
      EXPECT_EQ(std::count(covered.begin(), covered.end(), false), 0)
          << effect.name << " on " << width << "x" << height;
    }
  }
}

// A cell dissolve on 1024x768: cell k of the walk is cell k × 7 modulo the
// count, and each pause directly follows the copy of a first-column cell.
TEST(EffectsTest, CellDissolves) {
  const struct {
    Effect effect;
    int32_t cell, columns, rows;
    DWORD pause;
  } cases[] = {{FineDissolve, 3, 342, 257, 0},
               {CoarseDissolve, 15, 69, 52, 10},
               {MediumDissolve, 9, 114, 86, 10}};
  for (const auto& c : cases) {
    Steps steps = Record(c.effect);
    int32_t count = c.columns * c.rows, k = 0;
    for (size_t at = 0; at < steps.size(); ++at) {
      if (steps[at].pause) {
        ASSERT_TRUE(IsPause(steps[at], c.pause) && at > 0 && steps[at - 1].x == 0) << at;
        continue;
      }
      int32_t i = int32_t(int64_t(k++) * 7 % count);
      ASSERT_TRUE(IsCopy(steps[at], i % c.columns * c.cell, i / c.columns * c.cell, c.cell, c.cell))
          << k;
    }
    EXPECT_EQ(k, count);
    EXPECT_EQ(Pauses(steps), std::make_pair(c.pause ? c.rows : 0, uint32_t(c.pause * c.rows)));
  }
}

// 129 strips and 53 squares, each copy followed by a pause; the square grows
// from the middle.
TEST(EffectsTest, StripDissolveAndGrowingSquare) {
  EXPECT_EQ(Pauses(Record(StripDissolve)), std::make_pair(129, 645u));
  Steps squares = Record(GrowingSquare);
  ASSERT_EQ(squares.size(), 2u * 53);
  for (int32_t k = 0; k < 53; ++k) {
    EXPECT_TRUE(IsCopy(squares[2 * k], 510 - 10 * k, 380 - 10 * k, 20 * k, 20 * k) &&
                IsPause(squares[2 * k + 1], 20))
        << k;
  }
}

// Each pause comes before the row it fills; the sparkles before it fall in
// the 16 rows below that one.
TEST(EffectsTest, SparkleDrop) {
  Steps steps = Record(SparkleDrop);
  EXPECT_EQ(Pauses(steps), std::make_pair(129, 1935u));
  int32_t row = 0, deepest = 0;
  for (size_t k = 0; k < steps.size(); ++k) {
    const RecordedStep& s = steps[k];
    if (s.pause) {
      ASSERT_TRUE(IsPause(s, 15) && IsCopy(steps.at(++k), 0, row++ * 6, 1024, 6)) << row;
      continue;
    }
    int32_t below = s.y / 6 - row;
    ASSERT_TRUE(s.width == 6 && s.height == 6 && s.x % 6 == 0 && s.y % 6 == 0 && s.x >= 0 &&
                s.x <= 171 * 6 && below >= 1 && below <= 16)
        << k;
    deepest = std::max(deepest, below);
  }
  EXPECT_EQ(row, 129);
  EXPECT_EQ(deepest, 16);
}

// After a top strip, each pass shows column j of blocks down to one block
// more than the pass count, lagging j mod 3 blocks behind, and nothing below.
TEST(EffectsTest, StaggeredWipeMovesASawtoothFrontDownABlockAPass) {
  Steps steps = Record(StaggeredWipe);
  EXPECT_EQ(Pauses(steps), std::make_pair(77, 1540u));
  std::vector<bool> shown(1024 * 768, false);
  int32_t pass = 0;
  for (const RecordedStep& s : steps) {
    Paint(shown, 1024, 768, s);
    for (int32_t x = 0; s.pause && x < 1024; x += 10) {
      int32_t front = std::max(std::min(768, (pass + 1 + x / 10 % 3) * 10), 20);
      for (int32_t y = 0; y < 768; ++y)
        ASSERT_EQ(shown[size_t(y) * 1024 + x], y < front) << pass << " " << x << " " << y;
    }
    pass += s.pause;
  }
}

// Ring by ring around the middle 5-pixel cell (102, 77) of 205x154: cells
// scattered up to 30 cells beyond the ring, the pause, blocks on it, give or
// take a cell. A block's cell is its bottom-right one; ring 0 is the middle
// cell's block.
TEST(EffectsTest, RingBurst) {
  Steps steps = Record(RingBurst);
  ASSERT_EQ(Pauses(steps), std::make_pair(129, 1290u));
  int32_t pauses = 0;
  for (const RecordedStep& s : steps) {
    pauses += s.pause;
    const bool block = s.width == 10;
    const int32_t ring = pauses - block;
    const double d = std::hypot(s.x / 5 + block - 102, s.y / 5 + block - 77);
    ASSERT_TRUE(s.pause || (d >= ring - 1.5 && d <= ring + (block ? 1.5 : 31.5))) << ring;
    ASSERT_TRUE(ring != 0 || !block || IsCopy(s, 101 * 5, 76 * 5, 10, 10));
  }
}

// Ray 0 runs right from the middle cell's block out of the 205 columns, then a
// pause; 410 rays in all.
TEST(EffectsTest, ClockSweep) {
  Steps steps = Record(ClockSweep);
  ASSERT_EQ(Pauses(steps), std::make_pair(410, 820u));
  for (int32_t j = 0; j <= 103; ++j)
    ASSERT_TRUE(IsCopy(steps.at(j), (101 + j) * 5, 76 * 5, 10, 10)) << j;
  EXPECT_TRUE(IsPause(steps[104], 2));
}

// From state 1 the draws are 41 (effect 5, drawn again) and 18467 (effect 8).
// Over many runs every effect comes, never twice in a row.
TEST(RunTransitionTest, DrawsAnEffectOtherThanTheLast) {
  ResetShowRandom(1);
  LastEffectIndex = 5;
  RunTransition(nullptr, nullptr, RECT{0, 0, 7, 5});
  ASSERT_EQ(LastEffectIndex, 8);
  int picked[9] = {};
  for (int k = 0, previous = LastEffectIndex; k < 400; ++k, previous = LastEffectIndex) {
    RunTransition(nullptr, nullptr, RECT{0, 0, 7, 5});
    ASSERT_TRUE(LastEffectIndex >= 0 && LastEffectIndex <= 8 && LastEffectIndex != previous) << k;
    ++picked[LastEffectIndex];
  }
  for (int e = 0; e < 9; ++e)
    EXPECT_GT(picked[e], 0) << kTransitionEffects[e].name;
}

}  // namespace
