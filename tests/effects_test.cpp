// The transition effects with their copies and pauses recorded instead of
// made: the random numbers, the order and geometry of the pieces, the pauses,
// and that every effect leaves no pixel of the window uncopied. The step lists
// of the effects without a case of their own, and those that use sines, are
// pinned by digests, which the 32-bit Windows build must match.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "effects/transition.h"
#include "show/show_random.h"
#include "tests/support/recording_steps.h"

namespace {

using Effect = void (*)(HDC, HDC, const RECT&);

const std::pair<int32_t, int32_t> kSizes[] = {{1, 1}, {7, 5}, {640, 480}, {1024, 768}};

// Handles that only need to arrive unchanged at every copy.
HDC const kWindow = reinterpret_cast<HDC>(uintptr_t(0x1230));
HDC const kFrame = reinterpret_cast<HDC>(uintptr_t(0x4560));

// The steps of one effect on a client area of the given size, the random
// sequence restarted from 1.
std::vector<RecordedStep> Record(Effect effect, int32_t width, int32_t height) {
  ResetShowRandom(1);
  ClearRecordedSteps();
  effect(kWindow, kFrame, RECT{0, 0, width, height});
  return RecordedSteps();
}

std::vector<RecordedStep> Copies(const std::vector<RecordedStep>& steps) {
  std::vector<RecordedStep> copies;
  for (const RecordedStep& step : steps)
    if (!step.pause) copies.push_back(step);
  return copies;
}

int32_t PauseCount(const std::vector<RecordedStep>& steps) {
  int32_t count = 0;
  for (const RecordedStep& step : steps)
    count += step.pause;
  return count;
}

uint32_t PauseTotal(const std::vector<RecordedStep>& steps) {
  uint32_t total = 0;
  for (const RecordedStep& step : steps)
    if (step.pause) total += step.milliseconds;
  return total;
}

std::string Describe(const RecordedStep& step) {
  if (step.pause) return "pause " + std::to_string(step.milliseconds);
  return "copy " + std::to_string(step.x) + "," + std::to_string(step.y) + " " +
         std::to_string(step.width) + "x" + std::to_string(step.height);
}

bool IsCopy(const RecordedStep& step, int32_t x, int32_t y, int32_t width, int32_t height) {
  return !step.pause && step.x == x && step.y == y && step.width == width && step.height == height;
}

bool IsPause(const RecordedStep& step, DWORD milliseconds) {
  return step.pause && step.milliseconds == milliseconds;
}

// Pixels of the client area that no copy reached, as "x,y" of the first.
int64_t Uncovered(const std::vector<RecordedStep>& steps, int32_t width, int32_t height,
                  std::string* first) {
  std::vector<bool> covered(size_t(width) * height, false);
  for (const RecordedStep& step : steps) {
    if (step.pause) continue;
    int64_t left = std::max<int64_t>(step.x, 0);
    int64_t top = std::max<int64_t>(step.y, 0);
    int64_t right = std::min<int64_t>(int64_t(step.x) + step.width, width);
    int64_t bottom = std::min<int64_t>(int64_t(step.y) + step.height, height);
    for (int64_t y = top; y < bottom; ++y)
      for (int64_t x = left; x < right; ++x)
        covered[size_t(y * width + x)] = true;
  }
  int64_t missing = 0;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      if (covered[size_t(y) * width + x]) continue;
      if (missing++ == 0) *first = std::to_string(x) + "," + std::to_string(y);
    }
  }
  return missing;
}

// FNV-1a over every step's kind and numbers.
uint32_t Digest(const std::vector<RecordedStep>& steps) {
  uint32_t hash = 2166136261u;
  auto mix = [&hash](uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
      hash ^= (value >> shift) & 0xFF;
      hash *= 16777619u;
    }
  };
  for (const RecordedStep& step : steps) {
    mix(step.pause);
    mix(uint32_t(step.x));
    mix(uint32_t(step.y));
    mix(uint32_t(step.width));
    mix(uint32_t(step.height));
    mix(step.milliseconds);
  }
  return hash;
}

TEST(ShowRandomTest, DrawsTheSequenceFromStateOne) {
  ResetShowRandom(1);
  EXPECT_EQ(ShowRandom(), 41);
  EXPECT_EQ(ShowRandom(), 18467);
  EXPECT_EQ(ShowRandom(), 6334);
  EXPECT_EQ(ShowRandom(), 26500);
  EXPECT_EQ(ShowRandom(), 19169);
}

TEST(ShowRandomTest, RestartsFromAnyStateAndWraps) {
  ResetShowRandom(0);
  EXPECT_EQ(ShowRandom(), 2531011 >> 16);
  // 0xFFFFFFFF × 214013 + 2531011 wraps to 2316998 modulo 2^32.
  ResetShowRandom(0xFFFFFFFFu);
  EXPECT_EQ(ShowRandom(), 2316998 >> 16);
  ResetShowRandom(1);
  EXPECT_EQ(ShowRandom(), 41);
}

TEST(DissolveStrideTest, KnownCounts) {
  EXPECT_EQ(DissolveStride(34454), 9);
  EXPECT_EQ(DissolveStride(87894), 7);
  // 9 would meet every other test but shares the factor 3 with 42.
  EXPECT_EQ(DissolveStride(42), 11);
  EXPECT_EQ(DissolveStride(1), 1);
  EXPECT_EQ(DissolveStride(2), 1);
}

TEST(DissolveStrideTest, SmallestStrideThatAvoidsEveryFault) {
  for (int32_t n = 3; n < 20000; ++n) {
    int32_t stride = DissolveStride(n);
    auto fits = [n](int64_t c) {
      int64_t half = n / 2;
      return n % c != 0 && c * half % n != 0 && c * (half + 1) % n != 0 &&
             std::gcd<int64_t>(c, n) == 1;
    };
    ASSERT_GE(stride, 7) << n;
    ASSERT_TRUE(fits(stride)) << n;
    for (int32_t c = 7; c < stride; ++c)
      ASSERT_FALSE(fits(c)) << n << " " << c;
  }
}

TEST(EffectsTest, EveryCopyGoesFromTheFrameToTheWindow) {
  for (const TransitionEffect& effect : kTransitionEffects) {
    for (const RecordedStep& step : Copies(Record(effect.run, 640, 480))) {
      ASSERT_EQ(step.window, kWindow) << effect.name;
      ASSERT_EQ(step.frame, kFrame) << effect.name;
    }
  }
}

TEST(EffectsTest, EveryPixelIsCopiedAtEverySize) {
  for (const TransitionEffect& effect : kTransitionEffects) {
    for (auto [width, height] : kSizes) {
      std::string first;
      EXPECT_EQ(Uncovered(Record(effect.run, width, height), width, height, &first), 0)
          << effect.name << " on " << width << "x" << height << ", first at " << first;
    }
  }
}

TEST(EffectsTest, StepListsMatchOnEveryBuild) {
  // Digests of the native build's step lists, random sequence from 1, for
  // the effects whose geometry the cases below do not check step by step.
  const struct {
    Effect effect;
    uint32_t digests[4];
  } expected[] = {{FineDissolve, {0x58e525b5, 0x8f42efa6, 0x0f6c7097, 0x77e214f7}},
                  {CoarseDissolve, {0x7e2ab01e, 0x7e2ab01e, 0xb5807e3f, 0x989306a8}},
                  {MediumDissolve, {0xcc1cbe3e, 0xcc1cbe3e, 0x5d6a8ff1, 0xa81a2851}},
                  {GrowingSquare, {0x6570f2dd, 0x6570f2dd, 0xfc4819ea, 0x8a847a36}},
                  {StripDissolve, {0xf9687598, 0x68da1c1c, 0x069ef190, 0xf5645324}},
                  {ClockSweep, {0x27c470bd, 0x10904cdd, 0x0ff337f5, 0xb8da2704}}};
  for (const auto& e : expected) {
    for (int s = 0; s < 4; ++s) {
      auto [width, height] = kSizes[s];
      EXPECT_EQ(Digest(Record(e.effect, width, height)), e.digests[s])
          << std::hex << e.digests[s] << " on " << width << "x" << height;
    }
  }
}

TEST(EffectsTest, RaysAndRingsMatchOnEveryBuildAtScreenSizes) {
  // Their cells come from sines and cosines truncated to integers: where the
  // builds round differently, a cell moves. Digests of the native build.
  const std::pair<int32_t, int32_t> sizes[] = {{800, 600},   {1280, 1024}, {1366, 768},
                                               {1920, 1080}, {2560, 1440}, {3840, 2160}};
  const uint32_t expected[2][6] = {
      {0x67c99f9b, 0xfb01d6cb, 0x3ebef9d3, 0x3185549b, 0xb1cffba6, 0xc420fb97},
      {0xf027a099, 0x6954a0e7, 0xdb2b42ae, 0xf7bf9dde, 0x6b0b840b, 0x4fdbf3ef}};
  const Effect effects[2] = {RingBurst, ClockSweep};
  for (int e = 0; e < 2; ++e) {
    for (int s = 0; s < 6; ++s) {
      auto [width, height] = sizes[s];
      EXPECT_EQ(Digest(Record(effects[e], width, height)), expected[e][s])
          << (e == 0 ? "RingBurst" : "ClockSweep") << " on " << width << "x" << height;
    }
  }
}

// A cell dissolve on 1024x768: cell k of the walk is cell k × 7 modulo the
// count, and each pause directly follows a copy in the first column.
void ExpectCellDissolve(Effect effect, int32_t cell, DWORD pause, int32_t columns, int32_t rows) {
  std::vector<RecordedStep> steps = Record(effect, 1024, 768);
  int32_t count = columns * rows;
  std::vector<RecordedStep> copies = Copies(steps);
  ASSERT_EQ(int32_t(copies.size()), count);
  std::set<std::pair<int32_t, int32_t>> cells;
  for (int32_t k = 0; k < count; ++k) {
    int32_t i = int32_t(int64_t(k) * 7 % count);
    ASSERT_TRUE(IsCopy(copies[k], i % columns * cell, i / columns * cell, cell, cell))
        << k << ": " << Describe(copies[k]);
    cells.insert({copies[k].x, copies[k].y});
  }
  EXPECT_EQ(int32_t(cells.size()), count);
  int32_t pauses = 0;
  for (size_t k = 0; k < steps.size(); ++k) {
    if (steps[k].pause) {
      ++pauses;
      ASSERT_EQ(steps[k].milliseconds, pause);
      ASSERT_TRUE(k > 0 && !steps[k - 1].pause && steps[k - 1].x == 0) << k;
    } else if (pause != 0 && steps[k].x == 0) {
      ASSERT_TRUE(k + 1 < steps.size() && IsPause(steps[k + 1], pause)) << k;
    }
  }
  EXPECT_EQ(pauses, pause != 0 ? rows : 0);
}

TEST(EffectsTest, CellDissolves) {
  ExpectCellDissolve(FineDissolve, 3, 0, 342, 257);
  ExpectCellDissolve(CoarseDissolve, 15, 10, 69, 52);
  EXPECT_EQ(PauseTotal(Record(CoarseDissolve, 1024, 768)), 520u);
  ExpectCellDissolve(MediumDissolve, 9, 10, 114, 86);
  EXPECT_EQ(PauseTotal(Record(MediumDissolve, 1024, 768)), 860u);
}

TEST(EffectsTest, StripDissolve) {
  std::vector<RecordedStep> steps = Record(StripDissolve, 1024, 768);
  ASSERT_EQ(steps.size(), 2u * 129);
  for (int32_t k = 0; k < 129; ++k) {
    EXPECT_TRUE(IsCopy(steps[2 * k], k * 7 % 129 * 8, 0, 8, 768)) << Describe(steps[2 * k]);
    EXPECT_TRUE(IsPause(steps[2 * k + 1], 5));
  }
  EXPECT_EQ(PauseTotal(steps), 645u);
}

TEST(EffectsTest, SparkleDrop) {
  std::vector<RecordedStep> steps = Record(SparkleDrop, 1024, 768);
  EXPECT_EQ(PauseCount(steps), 129);
  EXPECT_EQ(PauseTotal(steps), 1935u);
  // Each pause comes before the row it fills; the sparkles before it fall in
  // the 16 rows below that one, fewer the farther they are: up to half the
  // 171 columns less the distance.
  int32_t row = 0, deepest = 0;
  std::vector<int32_t> perRow(17, 0);
  for (size_t k = 0; k < steps.size(); ++k) {
    if (steps[k].pause) {
      ASSERT_TRUE(IsPause(steps[k], 15));
      ASSERT_TRUE(k + 1 < steps.size() && IsCopy(steps[k + 1], 0, row * 6, 1024, 6)) << row;
      std::fill(perRow.begin(), perRow.end(), 0);
      ++row;
      ++k;
    } else {
      ASSERT_EQ(steps[k].width, 6);
      ASSERT_EQ(steps[k].height, 6);
      ASSERT_EQ(steps[k].x % 6, 0);
      ASSERT_EQ(steps[k].y % 6, 0);
      ASSERT_GE(steps[k].x, 0);
      ASSERT_LE(steps[k].x, 171 * 6);
      int32_t below = steps[k].y / 6 - row;
      ASSERT_GE(below, 1);
      ASSERT_LE(below, 16);
      ASSERT_LE(++perRow[below], (171 - below) / 2) << row << " " << below;
      deepest = std::max(deepest, below);
    }
  }
  EXPECT_EQ(row, 129);
  EXPECT_EQ(deepest, 16);
}

// After each pass of the wipe, column j of blocks is shown from the top down
// to one block more than the pass count, lagging j mod 3 blocks behind the
// pass (the top strip stands in for the rows a lagging column skips), and
// nothing below it is shown yet.
TEST(EffectsTest, StaggeredWipeMovesASawtoothFrontDownABlockAPass) {
  const int32_t width = 1024, height = 768;
  std::vector<RecordedStep> steps = Record(StaggeredWipe, width, height);
  EXPECT_EQ(PauseCount(steps), 77);
  EXPECT_EQ(PauseTotal(steps), 1540u);
  ASSERT_FALSE(steps.empty());
  EXPECT_TRUE(IsCopy(steps[0], 0, 0, width, 20));
  std::vector<bool> shown(size_t(width) * height, false);
  int32_t pass = 0;
  for (const RecordedStep& step : steps) {
    if (step.pause) {
      ASSERT_TRUE(IsPause(step, 20));
      for (int32_t x = 0; x < width; x += 10) {
        int32_t front = std::min(height, (pass + 1 + x / 10 % 3) * 10);
        front = std::max(front, 20);
        for (int32_t y = 0; y < height; ++y)
          ASSERT_EQ(shown[size_t(y) * width + x], y < front)
              << "pass " << pass << " column " << x / 10 << " row " << y;
      }
      ++pass;
      continue;
    }
    if (&step != &steps[0]) {
      ASSERT_EQ(step.width, 10);
      ASSERT_EQ(step.height, 10);
      ASSERT_EQ(step.x % 10, 0);
      ASSERT_EQ(step.y % 10, 0);
    }
    for (int32_t y = std::max(step.y, 0); y < std::min(step.y + step.height, height); ++y)
      for (int32_t x = std::max(step.x, 0); x < std::min(step.x + step.width, width); ++x)
        shown[size_t(y) * width + x] = true;
  }
  EXPECT_EQ(pass, 77);
}

TEST(EffectsTest, RingBurst) {
  std::vector<RecordedStep> steps = Record(RingBurst, 1024, 768);
  ASSERT_EQ(PauseCount(steps), 129);
  EXPECT_EQ(PauseTotal(steps), 1290u);
  // Ring by ring: up to 410 scattered cells, the pause, up to 410 blocks.
  // Seen in 5-pixel cells from the middle cell of 205x154, (102, 77): a
  // ring's blocks lie at its number of cells from there, its sparkles up to
  // 30 cells farther out, give or take the cell that a point falls in. A
  // block's cell is its bottom-right one.
  auto distance = [](int32_t cellX, int32_t cellY) { return std::hypot(cellX - 102, cellY - 77); };
  size_t k = 0;
  for (int32_t ring = 0; ring < 129; ++ring) {
    int32_t cells = 0;
    for (; !steps[k].pause; ++k, ++cells) {
      ASSERT_EQ(steps[k].width, 5);
      ASSERT_EQ(steps[k].height, 5);
      double d = distance(steps[k].x / 5, steps[k].y / 5);
      ASSERT_GE(d, ring - 1.5) << ring;
      ASSERT_LE(d, ring + 31.5) << ring;
    }
    ASSERT_LE(cells, 410);
    ASSERT_TRUE(IsPause(steps[k++], 10));
    int32_t blocks = 0;
    for (; k < steps.size() && steps[k].width == 10; ++k, ++blocks) {
      ASSERT_EQ(steps[k].height, 10);
      double d = distance(steps[k].x / 5 + 1, steps[k].y / 5 + 1);
      ASSERT_GE(d, ring - 1.5) << ring;
      ASSERT_LE(d, ring + 1.5) << ring;
    }
    ASSERT_LE(blocks, 410);
    // Ring 0 is the middle cell's block, 410 times.
    if (ring == 0) {
      ASSERT_EQ(blocks, 410);
      ASSERT_TRUE(IsCopy(steps[k - 1], 101 * 5, 76 * 5, 10, 10)) << Describe(steps[k - 1]);
    }
  }
  EXPECT_EQ(k, steps.size());
}

TEST(EffectsTest, GrowingSquare) {
  std::vector<RecordedStep> steps = Record(GrowingSquare, 1024, 768);
  ASSERT_EQ(steps.size(), 2u * 53);
  for (int32_t k = 0; k < 53; ++k) {
    EXPECT_TRUE(IsCopy(steps[2 * k], 510 - 10 * k, 380 - 10 * k, 20 * k, 20 * k))
        << Describe(steps[2 * k]);
    EXPECT_TRUE(IsPause(steps[2 * k + 1], 20));
  }
  EXPECT_TRUE(IsCopy(steps[104], -10, -140, 1040, 1040));
  EXPECT_EQ(PauseTotal(steps), 1060u);
}

TEST(EffectsTest, ClockSweep) {
  std::vector<RecordedStep> steps = Record(ClockSweep, 1024, 768);
  ASSERT_EQ(PauseCount(steps), 410);
  ASSERT_GT(steps.size(), 104u);
  EXPECT_EQ(PauseTotal(steps), 820u);
  // Ray 0 points right from the block of the middle cell (102, 77) until its
  // blocks leave the 205 columns.
  for (int32_t j = 0; j <= 103; ++j)
    ASSERT_TRUE(IsCopy(steps[j], (101 + j) * 5, 76 * 5, 10, 10)) << j;
  EXPECT_TRUE(IsPause(steps[104], 2));
  int32_t blocks = 0;
  for (const RecordedStep& step : steps) {
    if (step.pause) {
      ASSERT_TRUE(IsPause(step, 2));
      ASSERT_LE(blocks, 129);
      blocks = 0;
    } else {
      ASSERT_EQ(step.width, 10);
      ASSERT_EQ(step.height, 10);
      ++blocks;
    }
  }
}

TEST(RunTransitionTest, FirstPickFromStateOneIsRingBurst) {
  ResetShowRandom(1);
  LastEffectIndex = -1;
  ClearRecordedSteps();
  RunTransition(kWindow, kFrame, RECT{0, 0, 640, 480});
  EXPECT_EQ(LastEffectIndex, 41 % 9);
  std::vector<RecordedStep> ran = RecordedSteps();
  // The same steps as RingBurst's after the one draw that picked it.
  ResetShowRandom(1);
  ShowRandom();
  ClearRecordedSteps();
  RingBurst(kWindow, kFrame, RECT{0, 0, 640, 480});
  EXPECT_EQ(Digest(ran), Digest(RecordedSteps()));
}

TEST(RunTransitionTest, DrawsAgainWhenThePickRepeatsTheLast) {
  ResetShowRandom(1);
  LastEffectIndex = 5;
  ClearRecordedSteps();
  RunTransition(kWindow, kFrame, RECT{0, 0, 640, 480});
  EXPECT_EQ(LastEffectIndex, 18467 % 9);
  std::vector<RecordedStep> ran = RecordedSteps();
  EXPECT_EQ(Digest(ran), Digest(Record(ClockSweep, 640, 480)));
}

TEST(RunTransitionTest, NeverRunsTheSameEffectTwiceInARow) {
  ResetShowRandom(1);
  LastEffectIndex = -1;
  int16_t previous = -1;
  int picked[9] = {};
  for (int k = 0; k < 400; ++k) {
    ClearRecordedSteps();
    RunTransition(kWindow, kFrame, RECT{0, 0, 7, 5});
    ASSERT_GE(LastEffectIndex, 0);
    ASSERT_LE(LastEffectIndex, 8);
    ASSERT_NE(LastEffectIndex, previous) << k;
    ASSERT_FALSE(RecordedSteps().empty());
    previous = LastEffectIndex;
    ++picked[previous];
  }
  for (int e = 0; e < 9; ++e)
    EXPECT_GT(picked[e], 0) << kTransitionEffects[e].name;
}

}  // namespace
