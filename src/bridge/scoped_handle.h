// A move-only owner of a kernel handle. Windows only.

#ifndef ZLM_BRIDGE_SCOPED_HANDLE_H_
#define ZLM_BRIDGE_SCOPED_HANDLE_H_

#include <windows.h>

// APIs disagree on what "no handle" is: OpenProcess gives NULL, tool-help
// snapshots and files give INVALID_HANDLE_VALUE. Each owner knows its one.
struct NullHandleTraits {
  static HANDLE Invalid() { return nullptr; }
};
struct InvalidValueHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
};

template <typename Traits>
class ScopedHandleT {
 public:
  ScopedHandleT() = default;
  explicit ScopedHandleT(HANDLE handle) : handle_(handle) {}
  ~ScopedHandleT() { Close(); }

  ScopedHandleT(ScopedHandleT&& other) noexcept : handle_(other.handle_) {
    other.handle_ = Traits::Invalid();
  }
  ScopedHandleT& operator=(ScopedHandleT&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.handle_;
      other.handle_ = Traits::Invalid();
    }
    return *this;
  }
  ScopedHandleT(const ScopedHandleT&) = delete;
  ScopedHandleT& operator=(const ScopedHandleT&) = delete;

  HANDLE Get() const { return handle_; }
  bool IsValid() const { return handle_ != Traits::Invalid(); }

 private:
  void Close() {
    if (IsValid())
      CloseHandle(handle_);
  }

  HANDLE handle_ = Traits::Invalid();
};

using ScopedProcessHandle = ScopedHandleT<NullHandleTraits>;
using ScopedSnapshotHandle = ScopedHandleT<InvalidValueHandleTraits>;

#endif  // ZLM_BRIDGE_SCOPED_HANDLE_H_
