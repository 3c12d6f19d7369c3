#include <chrono>
#include <condition_variable>
#include <mutex>

#include "page_records.h"

namespace standin {

namespace {

struct Changes {
  std::mutex lock;
  std::condition_variable changed;
  std::uint64_t count = 0;
};

Changes& State() {
  static Changes changes;
  return changes;
}

}  // namespace

void NotifyPageChanged() {
  Changes& changes = State();
  {
    std::lock_guard<std::mutex> guard(changes.lock);
    ++changes.count;
  }
  changes.changed.notify_all();
}

std::uint64_t PageChangeCount() {
  Changes& changes = State();
  std::lock_guard<std::mutex> guard(changes.lock);
  return changes.count;
}

bool WaitForPageChange(std::uint64_t seen, int ms) {
  Changes& changes = State();
  std::unique_lock<std::mutex> guard(changes.lock);
  return changes.changed.wait_for(guard, std::chrono::milliseconds(ms),
                                  [&] { return changes.count != seen; });
}

}  // namespace standin
