// Joining a thread with an upper bound on the wait. A thread blocked in a
// call that never returns (a pipe nobody reads, a COM call into a hung
// service) must not keep the process alive after its window has gone: past
// the bound it is detached and left to end on its own. Portable.

#ifndef ZLM_APP_BOUNDED_JOIN_H_
#define ZLM_APP_BOUNDED_JOIN_H_

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Raised by a thread as the last thing it does. Shared between the thread and
// its owner, so it outlives whichever of them lets go last.
class ThreadEnd {
 public:
  void Raise();
  // True once raised, waiting at most |bound| for it.
  bool WaitFor(std::chrono::milliseconds bound);

 private:
  std::mutex mutex_;
  std::condition_variable raised_;
  bool ended_ = false;
};

// Starts |work| on |thread| (which must not be running) and returns the end
// that it raises when |work| returns. |work| must own, or share, all it uses:
// if its owner gives up waiting, it may run on after the owner is gone.
std::shared_ptr<ThreadEnd> StartWithEnd(std::thread& thread, std::function<void()> work);

// Joins |thread| once |end| is raised, waiting at most |bound|; otherwise
// detaches it. True when joined. Nothing to do for a thread not running.
bool JoinWithin(std::thread& thread, const std::shared_ptr<ThreadEnd>& end,
                std::chrono::milliseconds bound);

#endif  // ZLM_APP_BOUNDED_JOIN_H_
