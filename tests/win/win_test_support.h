// Small pieces that several suites of the Windows layer share.
#ifndef ZLM_TESTS_WIN_WIN_TEST_SUPPORT_H_
#define ZLM_TESTS_WIN_WIN_TEST_SUPPORT_H_

#include <windows.h>

#include <string>
#include <utility>

#include "app/process_values.h"

// Full path of this suite's executable.
inline std::wstring OwnPath() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size())));
  return path;
}

// Points exeDir, which the launcher's files hang off, at a test's folder for
// the object's life.
class ScopedExeDir {
 public:
  explicit ScopedExeDir(std::wstring dir) : saved_(std::exchange(exeDir, std::move(dir))) {}
  ~ScopedExeDir() { exeDir = saved_; }
  ScopedExeDir(const ScopedExeDir&) = delete;
  ScopedExeDir& operator=(const ScopedExeDir&) = delete;

 private:
  std::wstring saved_;
};

#endif  // ZLM_TESTS_WIN_WIN_TEST_SUPPORT_H_
