// The launcher's one move-only owner of a Windows handle. Windows only.

#ifndef ZLM_APP_SCOPED_HANDLE_H_
#define ZLM_APP_SCOPED_HANDLE_H_

#include <windows.h>

#include <utility>

// Win32 has two values for "no handle": NULL from process and most kernel
// calls, INVALID_HANDLE_VALUE from files, searches and tool-help snapshots;
// Traits says which, and how to close.
template <typename Traits>
class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() { Close(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.Release();
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE Get() const { return handle_; }
  bool IsValid() const { return handle_ != Traits::Invalid(); }

 private:
  HANDLE Release() { return std::exchange(handle_, Traits::Invalid()); }
  void Close() {
    if (IsValid())
      Traits::Close(handle_);
  }

  HANDLE handle_;
};

struct KernelHandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};
struct SnapshotHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};
struct FindHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { FindClose(handle); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;      // OpenProcess, events, ...
using SnapshotHandle = UniqueHandle<SnapshotHandleTraits>;  // CreateToolhelp32Snapshot
using FindHandle = UniqueHandle<FindHandleTraits>;          // FindFirstFileExW

#endif  // ZLM_APP_SCOPED_HANDLE_H_
