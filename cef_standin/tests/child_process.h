// Runs an executable as a child process for a test; a child still running when
// the owner goes away is ended, so a failed test leaves nothing behind.
#ifndef CEF_STANDIN_TESTS_CHILD_PROCESS_H_
#define CEF_STANDIN_TESTS_CHILD_PROCESS_H_

#include <windows.h>

#include <string>

namespace standin_test {

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (info_.hProcess) {
      if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(info_.hProcess, 1);
      CloseHandle(info_.hProcess);
      CloseHandle(info_.hThread);
    }
  }

  bool Start(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring command_line = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessW(exe.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &info_) != 0;
  }

  DWORD id() const { return info_.dwProcessId; }
  bool Running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
  }

  // False if the child did not end in time.
  bool Wait(DWORD timeout_ms, DWORD* exit_code) {
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0)
      return false;
    return GetExitCodeProcess(info_.hProcess, exit_code) != 0;
  }

 private:
  PROCESS_INFORMATION info_ = {};
};

inline std::wstring TempFilePath(const wchar_t* prefix) {
  wchar_t folder[MAX_PATH] = {};
  wchar_t path[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  GetTempFileNameW(folder, prefix, 0, path);
  return path;
}

}  // namespace standin_test

#endif  // CEF_STANDIN_TESTS_CHILD_PROCESS_H_
