// A line client of the page channel, the way a test outside the process uses it.
#ifndef CEF_STANDIN_TESTS_PIPE_CLIENT_H_
#define CEF_STANDIN_TESTS_PIPE_CLIENT_H_

#include <windows.h>

#include <string>

namespace standin_test {

class PipeClient {
 public:
  PipeClient() = default;
  PipeClient(const PipeClient&) = delete;
  PipeClient& operator=(const PipeClient&) = delete;
  ~PipeClient() { Close(); }

  // Retries until the server has created the pipe or timeout_ms passed.
  bool Connect(const std::wstring& name, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
      pipe_ = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_EXISTING, 0, nullptr);
      if (pipe_ != INVALID_HANDLE_VALUE)
        return true;
      if (GetTickCount() - start > timeout_ms)
        return false;
      if (GetLastError() == ERROR_PIPE_BUSY)
        WaitNamedPipeW(name.c_str(), 100);
      else
        Sleep(50);
    }
  }

  void Close() {
    if (pipe_ != INVALID_HANDLE_VALUE)
      CloseHandle(pipe_);
    pipe_ = INVALID_HANDLE_VALUE;
  }

  bool Send(const std::string& text) {
    DWORD written = 0;
    return WriteFile(pipe_, text.data(), static_cast<DWORD>(text.size()), &written,
                     nullptr) && written == text.size();
  }

  // One reply line without its line end; empty on timeout or a broken pipe.
  std::string ReadLine(DWORD timeout_ms = 20000) {
    const DWORD start = GetTickCount();
    for (;;) {
      std::size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
      }
      DWORD available = 0;
      if (!PeekNamedPipe(pipe_, nullptr, 0, nullptr, &available, nullptr))
        return std::string();
      if (available == 0) {
        if (GetTickCount() - start > timeout_ms)
          return std::string();
        Sleep(5);
        continue;
      }
      char chunk[4096];
      DWORD got = 0;
      if (!ReadFile(pipe_, chunk, sizeof(chunk) < available ? sizeof(chunk) : available,
                    &got, nullptr))
        return std::string();
      buffer_.append(chunk, got);
    }
  }

  std::string Call(const std::string& line) {
    return Send(line + "\n") ? ReadLine() : std::string();
  }

 private:
  HANDLE pipe_ = INVALID_HANDLE_VALUE;
  std::string buffer_;
};

}  // namespace standin_test

#endif  // CEF_STANDIN_TESTS_PIPE_CLIENT_H_
