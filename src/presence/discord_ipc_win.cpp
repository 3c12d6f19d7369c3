#include "presence/discord_ipc.h"

#include <windows.h>

#include <ctime>

namespace {

// Overlapped I/O, so that no call waits on the server for longer than
// kPipeOperationTimeoutMs: a synchronous write blocks until the other side
// reads, and a server that stops reading would hold it for good.
class Win32DiscordPipe final : public DiscordPipe {
 public:
  Win32DiscordPipe(HANDLE pipe, HANDLE event) : pipe_(pipe), event_(event) {}
  ~Win32DiscordPipe() override {
    // An operation whose cancellation never completed may still write to its
    // OVERLAPPED: then the handle, the event and the OVERLAPPED stay behind.
    if (stuck_)
      return;
    CloseHandle(pipe_);
    CloseHandle(event_);
    delete overlapped_;
  }
  Win32DiscordPipe(const Win32DiscordPipe&) = delete;
  Win32DiscordPipe& operator=(const Win32DiscordPipe&) = delete;

  bool Write(const std::string& bytes) override {
    if (broken_ || bytes.size() > MAXDWORD)
      return false;
    const DWORD size = static_cast<DWORD>(bytes.size());
    Begin();
    const BOOL done = WriteFile(pipe_, bytes.data(), size, nullptr, overlapped_);
    const std::optional<DWORD> written = Finish(done);
    return written && *written == size;
  }

  std::optional<std::uint32_t> BytesAvailable() override {
    DWORD available = 0;
    if (broken_ || !PeekNamedPipe(pipe_, nullptr, 0, nullptr, &available, nullptr))
      return std::nullopt;
    return available;
  }

  std::optional<std::uint32_t> Read(char* buffer, std::uint32_t size) override {
    if (broken_)
      return std::nullopt;
    Begin();
    const BOOL done = ReadFile(pipe_, buffer, size, nullptr, overlapped_);
    const std::optional<DWORD> read = Finish(done);
    if (!read)
      return std::nullopt;
    return *read;
  }

 private:
  void Begin() {
    *overlapped_ = OVERLAPPED{};
    overlapped_->hEvent = event_;
  }

  // The bytes moved by the operation just started (|started|: what WriteFile
  // or ReadFile returned), or nothing when it failed or ran out of time. One
  // that ran out of time is cancelled and breaks the pipe.
  std::optional<DWORD> Finish(BOOL started) {
    if (!started && GetLastError() != ERROR_IO_PENDING)
      return std::nullopt;
    DWORD moved = 0;
    if (WaitForSingleObject(event_, kPipeOperationTimeoutMs) == WAIT_OBJECT_0) {
      if (!GetOverlappedResult(pipe_, overlapped_, &moved, FALSE))
        return std::nullopt;
      return moved;
    }
    broken_ = true;
    CancelIoEx(pipe_, overlapped_);
    if (WaitForSingleObject(event_, kPipeOperationTimeoutMs) == WAIT_OBJECT_0)
      GetOverlappedResult(pipe_, overlapped_, &moved, FALSE);
    else
      stuck_ = true;
    return std::nullopt;
  }

  const HANDLE pipe_;
  const HANDLE event_;  // manual reset, signalled when an operation completes
  // On the heap, so that it can outlive this object (see the destructor).
  OVERLAPPED* const overlapped_ = new OVERLAPPED{};
  bool broken_ = false;  // an operation timed out: the server stopped reading
  bool stuck_ = false;   // and its cancellation did not complete either
};

class Win32DiscordIpc final : public DiscordIpcSystem {
 public:
  std::unique_ptr<DiscordPipe> OpenPipe(const std::wstring& name) override {
    // Identification only: whoever serves a pipe of this name must not be
    // able to act as this user.
    const HANDLE pipe = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT |
                                        SECURITY_IDENTIFICATION,
                                    nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
      return nullptr;
    const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!event) {
      CloseHandle(pipe);
      return nullptr;
    }
    return std::make_unique<Win32DiscordPipe>(pipe, event);
  }

  std::int64_t UnixTimeSeconds() override { return static_cast<std::int64_t>(std::time(nullptr)); }

  std::int64_t SteadyMs() override { return static_cast<std::int64_t>(GetTickCount64()); }

  void SleepMs(std::uint32_t ms) override { Sleep(ms); }
};

}  // namespace

std::unique_ptr<DiscordIpcSystem> NewWin32DiscordIpc() {
  return std::make_unique<Win32DiscordIpc>();
}
