// The benchmarks' timing: the fastest of several runs.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

// Runs each of runs in turn, repetitions times over, so that all of them see
// the same load on a shared machine; the fastest time of each, in milliseconds.
inline std::vector<double> BestMilliseconds(int repetitions,
                                            const std::vector<std::function<void()>>& runs) {
  using Clock = std::chrono::steady_clock;
  std::vector<double> best(runs.size(), 1e30);
  for (int k = 0; k < repetitions; ++k) {
    for (size_t i = 0; i < runs.size(); ++i) {
      const Clock::time_point start = Clock::now();
      runs[i]();
      best[i] = std::min(best[i],
                         std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
  }
  return best;
}
