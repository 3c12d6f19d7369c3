// Bounded polling: every wait in the end-to-end tests ends, pass or fail.
#ifndef ZLM_TESTS_E2E_SUPPORT_WAIT_H_
#define ZLM_TESTS_E2E_SUPPORT_WAIT_H_

#include <chrono>
#include <thread>

namespace e2e {

using Millis = std::chrono::milliseconds;

constexpr Millis kPollInterval{50};
constexpr Millis kDefaultTimeout{15000};

// Polls `probe` until it yields something truthy or `timeout` passes, and
// returns its last result. The probe runs at least once, and once more at
// the deadline, so a state reached during the last sleep is not missed.
template <typename Probe>
auto PollUntil(Probe&& probe, Millis timeout = kDefaultTimeout)
    -> decltype(probe()) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    auto result = probe();
    if (result)
      return result;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline)
      return result;
    const auto left = deadline - now;
    std::this_thread::sleep_for(left < kPollInterval ? left : kPollInterval);
  }
}

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_WAIT_H_
