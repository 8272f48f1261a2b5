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
  std::vector<double> best(runs.size(), 1e30);
  for (int k = 0; k < repetitions; ++k) {
    for (size_t i = 0; i < runs.size(); ++i) {
      const auto start = std::chrono::steady_clock::now();
      runs[i]();
      const std::chrono::duration<double, std::milli> took =
          std::chrono::steady_clock::now() - start;
      best[i] = std::min(best[i], took.count());
    }
  }
  return best;
}
