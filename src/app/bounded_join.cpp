#include "app/bounded_join.h"

#include <utility>

void ThreadEnd::Raise() {
  std::lock_guard<std::mutex> lock(mutex_);
  ended_ = true;
  raised_.notify_all();
}

bool ThreadEnd::WaitFor(std::chrono::milliseconds bound) {
  std::unique_lock<std::mutex> lock(mutex_);
  return raised_.wait_for(lock, bound, [this] { return ended_; });
}

std::shared_ptr<ThreadEnd> StartWithEnd(std::thread& thread, std::function<void()> work) {
  auto end = std::make_shared<ThreadEnd>();
  thread = std::thread([end, work = std::move(work)] {
    work();
    end->Raise();
  });
  return end;
}

bool JoinWithin(std::thread& thread, const std::shared_ptr<ThreadEnd>& end,
                std::chrono::milliseconds bound) {
  if (!thread.joinable())
    return true;
  if (end && end->WaitFor(bound)) {
    thread.join();
    return true;
  }
  thread.detach();
  return false;
}
