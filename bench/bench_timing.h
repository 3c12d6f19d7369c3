// Wall-clock timing shared by the benchmarks: the median and the fastest of
// repeated runs. Windows only.

#ifndef ZLM_BENCH_BENCH_TIMING_H_
#define ZLM_BENCH_BENCH_TIMING_H_

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace bench {

constexpr std::size_t kMinRuns = 15;
constexpr std::size_t kMaxRuns = 400;
constexpr double kMinSeconds = 0.5;

inline double Seconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}

struct Timing {
  double medianMs;
  double minMs;
};

// Runs |work| once to warm up, then at least min_runs times and for at least
// kMinSeconds (at most kMaxRuns times).
template <typename Work>
Timing Measure(Work&& work, std::size_t min_runs = kMinRuns) {
  work();
  std::vector<double> runs;
  const double start = Seconds();
  while (runs.size() < kMaxRuns && (runs.size() < min_runs || Seconds() - start < kMinSeconds)) {
    const double before = Seconds();
    work();
    runs.push_back((Seconds() - before) * 1000.0);
  }
  std::sort(runs.begin(), runs.end());
  return {runs[runs.size() / 2], runs.front()};
}

}  // namespace bench

#endif  // ZLM_BENCH_BENCH_TIMING_H_
