// One client end of a named pipe that carries text lines, with every
// operation bounded in time.
#ifndef ZLM_TESTS_E2E_SUPPORT_PIPE_LINE_CLIENT_H_
#define ZLM_TESTS_E2E_SUPPORT_PIPE_LINE_CLIENT_H_

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "channel_result.h"
#include "scoped_handle.h"
#include "wait.h"

namespace e2e {

class PipeLineClient {
 public:
  PipeLineClient() = default;
  PipeLineClient(PipeLineClient&&) noexcept = default;
  PipeLineClient& operator=(PipeLineClient&&) noexcept = default;
  PipeLineClient(const PipeLineClient&) = delete;
  PipeLineClient& operator=(const PipeLineClient&) = delete;

  // Retries while the pipe does not exist yet or is busy. Gives up early
  // when `server_process` (if given) has ended, naming its exit code.
  testing::AssertionResult Open(const std::wstring& name, Millis timeout,
                                HANDLE server_process = nullptr);
  bool IsOpen() const { return pipe_.IsValid(); }
  void Close();

  // A timeout or a broken pipe closes the connection: an answer arriving
  // late would otherwise be taken for the answer to the next request.
  testing::AssertionResult WriteLine(const std::string& line, Millis timeout);
  // The next line without its "\n" (and without a "\r" before it).
  ChannelResult<std::string> ReadLine(Millis timeout);

 private:
  bool Transfer(bool write, void* data, DWORD size, DWORD* done,
                Millis timeout, std::string* error);

  ScopedFileHandle pipe_;
  ScopedHandle event_;
  std::wstring name_;
  std::string pending_;  // bytes read past the last line handed out
};

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_PIPE_LINE_CLIENT_H_
