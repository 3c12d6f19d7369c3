// A program under test, started from outside and never left behind.
#ifndef ZLM_TESTS_E2E_SUPPORT_PROCESS_H_
#define ZLM_TESTS_E2E_SUPPORT_PROCESS_H_

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "scoped_handle.h"
#include "wait.h"

namespace e2e {

class Process {
 public:
  Process() = default;
  // Kills the process and whatever it started, if still running, so a
  // failed test leaves nothing behind.
  ~Process();

  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Runs `exe` with `arguments` after its quoted path, in `work_dir` (the
  // executable's folder when empty), without a console. Processes it starts
  // in turn belong to this object too, where the system supports job
  // objects.
  testing::AssertionResult Start(const std::wstring& exe,
                                 const std::wstring& arguments = {},
                                 const std::wstring& work_dir = {});
  // Takes charge of a process that is already running, for example a copy
  // that the program under test started of itself.
  testing::AssertionResult Attach(unsigned long process_id);

  bool IsStarted() const { return process_.IsValid(); }
  unsigned long id() const { return id_; }
  HANDLE handle() const { return process_.Get(); }

  bool IsRunning() const;
  // The exit code as a signed value (an exit of -2 reads -2), once the
  // process has ended within `timeout`.
  std::optional<int> WaitForExit(Millis timeout = kDefaultTimeout) const;
  // Ends the process (and its job) and waits for it, bounded.
  void Kill();

 private:
  ScopedHandle job_;
  ScopedHandle process_;
  unsigned long id_ = 0;
};

// Ids of running processes whose executable file name equals `file_name`,
// ASCII case ignored.
std::vector<unsigned long> FindProcessIds(const std::wstring& file_name);

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_PROCESS_H_
