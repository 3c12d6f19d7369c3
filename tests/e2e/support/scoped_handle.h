// Move-only owners of kernel handles for the end-to-end support library.
#ifndef ZLM_TESTS_E2E_SUPPORT_SCOPED_HANDLE_H_
#define ZLM_TESTS_E2E_SUPPORT_SCOPED_HANDLE_H_

#include <windows.h>

namespace e2e {

// APIs disagree on what "no handle" is: process and job calls give NULL,
// file and pipe calls give INVALID_HANDLE_VALUE. Each owner knows its one.
struct NullHandleTraits {
  static HANDLE Invalid() { return nullptr; }
};
struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
};

template <typename Traits>
class ScopedHandleT {
 public:
  ScopedHandleT() = default;
  explicit ScopedHandleT(HANDLE handle) : handle_(handle) {}
  ~ScopedHandleT() { Reset(); }

  ScopedHandleT(ScopedHandleT&& other) noexcept : handle_(other.Release()) {}
  ScopedHandleT& operator=(ScopedHandleT&& other) noexcept {
    if (this != &other)
      Reset(other.Release());
    return *this;
  }
  ScopedHandleT(const ScopedHandleT&) = delete;
  ScopedHandleT& operator=(const ScopedHandleT&) = delete;

  HANDLE Get() const { return handle_; }
  bool IsValid() const { return handle_ != Traits::Invalid(); }

  void Reset(HANDLE handle = Traits::Invalid()) {
    if (IsValid())
      ::CloseHandle(handle_);
    handle_ = handle;
  }

  HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = Traits::Invalid();
    return handle;
  }

 private:
  HANDLE handle_ = Traits::Invalid();
};

using ScopedHandle = ScopedHandleT<NullHandleTraits>;
using ScopedFileHandle = ScopedHandleT<FileHandleTraits>;

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_SCOPED_HANDLE_H_
