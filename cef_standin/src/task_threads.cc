#include "task_threads.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace standin {

namespace {

using Clock = std::chrono::steady_clock;

class WorkerThread {
 public:
  WorkerThread() : thread_([this] { Run(); }) {}
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  ~WorkerThread() {
    std::multimap<Clock::time_point, Task> dropped;
    {
      std::lock_guard<std::mutex> guard(lock_);
      stopping_ = true;
      changed_.notify_all();
    }
    thread_.join();
    // Destroyed here, not under the lock: a task's captures may post on release.
    dropped.swap(tasks_);
  }

  void Post(Task task, long long delay_ms) {
    const Clock::time_point due =
        Clock::now() + std::chrono::milliseconds(delay_ms > 0 ? delay_ms : 0);
    std::lock_guard<std::mutex> guard(lock_);
    // Equal times keep posting order: multimap inserts after equal keys.
    tasks_.emplace(due, std::move(task));
    changed_.notify_all();
  }

  bool IsCurrent() const { return std::this_thread::get_id() == thread_.get_id(); }

 private:
  void Run() {
    std::unique_lock<std::mutex> guard(lock_);
    while (!stopping_) {
      if (tasks_.empty()) {
        changed_.wait(guard);
        continue;
      }
      auto next = tasks_.begin();
      if (next->first > Clock::now()) {
        changed_.wait_until(guard, next->first);
        continue;
      }
      Task task = std::move(next->second);
      tasks_.erase(next);
      guard.unlock();
      task();
      task = nullptr;
      guard.lock();
    }
  }

  std::mutex lock_;
  std::condition_variable changed_;
  std::multimap<Clock::time_point, Task> tasks_;
  bool stopping_ = false;
  std::thread thread_;  // last: starts after the members it uses exist
};

struct Workers {
  std::mutex lock;
  bool enabled = false;
  std::map<cef_thread_id_t, std::unique_ptr<WorkerThread>> threads;
};

Workers& State() {
  static Workers workers;
  return workers;
}

}  // namespace

bool IsWorkerThreadId(cef_thread_id_t id) {
  switch (id) {
    case TID_DB:
    case TID_FILE:
    case TID_FILE_USER_BLOCKING:
    case TID_PROCESS_LAUNCHER:
    case TID_CACHE:
    case TID_IO:
      return true;
    default:
      return false;
  }
}

bool PostWorkerTask(cef_thread_id_t id, Task task, long long delay_ms) {
  if (!IsWorkerThreadId(id))
    return false;
  std::lock_guard<std::mutex> guard(State().lock);
  if (!State().enabled)
    return false;
  std::unique_ptr<WorkerThread>& thread = State().threads[id];
  if (!thread)
    thread.reset(new WorkerThread());
  thread->Post(std::move(task), delay_ms);
  return true;
}

bool OnWorkerThread(cef_thread_id_t id) {
  std::lock_guard<std::mutex> guard(State().lock);
  auto it = State().threads.find(id);
  return it != State().threads.end() && it->second->IsCurrent();
}

void EnableWorkerThreads() {
  std::lock_guard<std::mutex> guard(State().lock);
  State().enabled = true;
}

void StopWorkerThreads() {
  std::map<cef_thread_id_t, std::unique_ptr<WorkerThread>> threads;
  {
    std::lock_guard<std::mutex> guard(State().lock);
    State().enabled = false;
    threads.swap(State().threads);
  }
  // Joined outside the lock: a running task may still post to another worker.
  threads.clear();
}

}  // namespace standin
