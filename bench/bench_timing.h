// Wall-clock timing shared by the benchmarks: the median and the fastest of
// repeated runs, and the line that `make bench` gathers into its closing
// table of ratios. Windows only.

#ifndef ZLM_BENCH_BENCH_TIMING_H_
#define ZLM_BENCH_BENCH_TIMING_H_

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
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
  std::size_t runs;
};

// One piece of work to time, and what puts things back after it, untimed.
struct Work {
  Work(std::function<void()> run, std::function<void()> after = {})
      : run(std::move(run)), after(std::move(after)) {}

  std::function<void()> run;
  std::function<void()> after;
};

// Runs every work once to warm up, then each once per round, in turn, so
// that a change in the machine's load (other programs, a busy emulator) meets
// them all alike: at least |minRounds| rounds and for at least |minSeconds|,
// at most kMaxRuns rounds. The timings come in the order of |works|.
inline std::vector<Timing> MeasureInTurn(const std::vector<Work>& works,
                                         std::size_t minRounds = kMinRuns,
                                         double minSeconds = kMinSeconds) {
  const auto runOnce = [](const Work& work) {
    const double before = Seconds();
    work.run();
    const double ms = (Seconds() - before) * 1000.0;
    if (work.after)
      work.after();
    return ms;
  };
  for (const Work& work : works)
    runOnce(work);
  std::vector<std::vector<double>> runs(works.size());
  const double start = Seconds();
  for (std::size_t round = 0;
       round < kMaxRuns && (round < minRounds || Seconds() - start < minSeconds); ++round) {
    for (std::size_t i = 0; i < works.size(); ++i)
      runs[i].push_back(runOnce(works[i]));
  }
  std::vector<Timing> timings;
  for (std::vector<double>& times : runs) {
    std::sort(times.begin(), times.end());
    timings.push_back({times[times.size() / 2], times.front(), times.size()});
  }
  return timings;
}

template <typename Run>
Timing Measure(Run&& run, std::size_t minRuns = kMinRuns) {
  return MeasureInTurn({Work(std::forward<Run>(run))}, minRuns).front();
}

// A line for the closing table of `make bench` (bench/run.sh): what was
// measured against the work it cannot do without, both medians in ms.
inline void PrintRatio(const std::string& what, double measuredMs, double floorMs,
                       const std::string& floor) {
  std::printf("ratio\t%s\t%.3f\t%.3f\t%s\n", what.c_str(), measuredMs, floorMs, floor.c_str());
}

}  // namespace bench

#endif  // ZLM_BENCH_BENCH_TIMING_H_
