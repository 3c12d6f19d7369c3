// base::Lock, a non-recursive mutual-exclusion lock, with its scoped helpers.

#ifndef CEF_INCLUDE_BASE_CEF_LOCK_H_
#define CEF_INCLUDE_BASE_CEF_LOCK_H_
#pragma once

#include <mutex>

#include "include/base/cef_macros.h"

namespace base {

class Lock {
 public:
  Lock() {}
  ~Lock() {}

  void Acquire() { lock_.lock(); }
  void Release() { lock_.unlock(); }
  bool Try() { return lock_.try_lock(); }

  // Ownership is not tracked.
  void AssertAcquired() const {}

 private:
  std::mutex lock_;

  DISALLOW_COPY_AND_ASSIGN(Lock);
};

class AutoLock {
 public:
  struct AlreadyAcquired {};

  explicit AutoLock(Lock& lock) : lock_(lock) { lock_.Acquire(); }
  AutoLock(Lock& lock, const AlreadyAcquired&) : lock_(lock) {}
  ~AutoLock() { lock_.Release(); }

 private:
  Lock& lock_;

  DISALLOW_COPY_AND_ASSIGN(AutoLock);
};

class AutoUnlock {
 public:
  explicit AutoUnlock(Lock& lock) : lock_(lock) { lock_.Release(); }
  ~AutoUnlock() { lock_.Acquire(); }

 private:
  Lock& lock_;

  DISALLOW_COPY_AND_ASSIGN(AutoUnlock);
};

}  // namespace base

#endif  // CEF_INCLUDE_BASE_CEF_LOCK_H_
