// Serialises the read-change-save of one account store across launcher
// processes: a named mutex whose name comes from the store's full path with
// its letter case folded, so that every spelling of the path that names the
// same file the same way takes the same lock. Windows only
// (store_lock_win.cpp).

#ifndef ZLM_ACCOUNTS_STORE_LOCK_H_
#define ZLM_ACCOUNTS_STORE_LOCK_H_

#include <string>
#include <string_view>

// Long enough for any real save of another launcher (milliseconds), short
// enough that a page waiting on a stuck lock hears back.
constexpr unsigned long kStoreLockWaitMs = 10000;

// Holds the lock of |storePath| from construction, if it could be had within
// |waitMs|, until destruction. A holder that died leaves the mutex abandoned;
// that counts as had, since a save is one rename and the file is one complete
// list whenever a holder stops. Taken again by its own thread, it nests.
class StoreLock {
 public:
  explicit StoreLock(const std::wstring& storePath, unsigned long waitMs = kStoreLockWaitMs);
  ~StoreLock();
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

  bool held() const { return held_; }

 private:
  void* mutex_ = nullptr;
  bool held_ = false;
};

// The mutex name for |path|: the path of what it names as the file system
// resolves it (junctions, substituted drives and short names followed, so that
// every spelling of one folder gets one lock), upper-cased, through
// PathLockName (store_lock_name.h) with |prefix| (ASCII).
std::wstring PathLockNameFor(std::string_view prefix, const std::wstring& path);

// PathLockNameFor with the account store's prefix.
std::wstring StoreLockNameFor(const std::wstring& storePath);

#endif  // ZLM_ACCOUNTS_STORE_LOCK_H_
