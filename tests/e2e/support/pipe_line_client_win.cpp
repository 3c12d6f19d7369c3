#include "pipe_line_client.h"

#include <chrono>
#include <thread>

#include "utf_convert.h"
#include "win_error.h"

namespace e2e {

namespace {

constexpr DWORD kReadChunk = 64 * 1024;

Millis Remaining(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<Millis>(
      deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? left : Millis(0);
}

}  // namespace

testing::AssertionResult PipeLineClient::Open(const std::wstring& name,
                                              Millis timeout,
                                              HANDLE server_process) {
  Close();
  name_ = name;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string last_error;
  for (;;) {
    pipe_.Reset(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                              nullptr));
    if (pipe_.IsValid())
      break;
    const DWORD error = ::GetLastError();
    last_error = ErrorText(error);
    DWORD exit_code = 0;
    if (server_process &&
        ::WaitForSingleObject(server_process, 0) == WAIT_OBJECT_0) {
      ::GetExitCodeProcess(server_process, &exit_code);
      return testing::AssertionFailure()
             << "the process ended with exit code "
             << static_cast<int>(exit_code) << " before " << WideToUtf8(name)
             << " could be opened (" << last_error << ")";
    }
    if (Remaining(deadline).count() == 0)
      return testing::AssertionFailure()
             << WideToUtf8(name) << " did not open within " << timeout.count()
             << " ms: " << last_error;
    if (error == ERROR_PIPE_BUSY)
      ::WaitNamedPipeW(name.c_str(), static_cast<DWORD>(kPollInterval.count()));
    else
      std::this_thread::sleep_for(kPollInterval);
  }
  event_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event_.IsValid()) {
    Close();
    return testing::AssertionFailure() << "no event: " << LastErrorText();
  }
  return testing::AssertionSuccess();
}

void PipeLineClient::Close() {
  pipe_.Reset();
  event_.Reset();
  pending_.clear();
}

testing::AssertionResult PipeLineClient::WriteLine(const std::string& line,
                                                   Millis timeout) {
  if (!IsOpen())
    return testing::AssertionFailure() << "pipe is not open";
  std::string bytes = line + "\n";
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  size_t sent = 0;
  while (sent < bytes.size()) {
    DWORD done = 0;
    std::string error;
    if (!Transfer(true, &bytes[sent], static_cast<DWORD>(bytes.size() - sent),
                  &done, Remaining(deadline), &error)) {
      Close();
      return testing::AssertionFailure()
             << "writing to " << WideToUtf8(name_) << ": " << error;
    }
    sent += done;
  }
  return testing::AssertionSuccess();
}

ChannelResult<std::string> PipeLineClient::ReadLine(Millis timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      return ChannelResult<std::string>::Success(std::move(line));
    }
    if (!IsOpen())
      return ChannelResult<std::string>::Failure("pipe is not open");
    std::string chunk(kReadChunk, '\0');
    DWORD done = 0;
    std::string error;
    if (!Transfer(false, &chunk[0], kReadChunk, &done, Remaining(deadline),
                  &error)) {
      Close();
      return ChannelResult<std::string>::Failure(
          "reading from " + WideToUtf8(name_) + ": " + error);
    }
    pending_.append(chunk, 0, done);
  }
}

bool PipeLineClient::Transfer(bool write, void* data, DWORD size, DWORD* done,
                              Millis timeout, std::string* error) {
  OVERLAPPED overlapped = {};
  overlapped.hEvent = event_.Get();
  ::ResetEvent(event_.Get());
  const BOOL started =
      write ? ::WriteFile(pipe_.Get(), data, size, nullptr, &overlapped)
            : ::ReadFile(pipe_.Get(), data, size, nullptr, &overlapped);
  if (!started && ::GetLastError() != ERROR_IO_PENDING) {
    *error = LastErrorText();
    return false;
  }
  if (::WaitForSingleObject(event_.Get(), static_cast<DWORD>(
                                              timeout.count())) !=
      WAIT_OBJECT_0) {
    ::CancelIo(pipe_.Get());
    ::GetOverlappedResult(pipe_.Get(), &overlapped, done, TRUE);
    *error = "no progress within " + std::to_string(timeout.count()) + " ms";
    return false;
  }
  if (!::GetOverlappedResult(pipe_.Get(), &overlapped, done, FALSE) &&
      ::GetLastError() != ERROR_MORE_DATA) {
    *error = LastErrorText();
    return false;
  }
  return true;
}

}  // namespace e2e
