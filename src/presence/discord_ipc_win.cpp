#include "presence/discord_ipc.h"

#include <windows.h>

#include <ctime>

namespace {

class Win32DiscordPipe final : public DiscordPipe {
 public:
  explicit Win32DiscordPipe(HANDLE pipe) : pipe_(pipe) {}
  ~Win32DiscordPipe() override { CloseHandle(pipe_); }
  Win32DiscordPipe(const Win32DiscordPipe&) = delete;
  Win32DiscordPipe& operator=(const Win32DiscordPipe&) = delete;

  bool Write(const std::string& bytes) override {
    if (bytes.size() > MAXDWORD)
      return false;
    const DWORD size = static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    return WriteFile(pipe_, bytes.data(), size, &written, nullptr) && written == size;
  }

  std::optional<std::uint32_t> BytesAvailable() override {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe_, nullptr, 0, nullptr, &available, nullptr))
      return std::nullopt;
    return available;
  }

  std::optional<std::uint32_t> Read(char* buffer, std::uint32_t size) override {
    DWORD read = 0;
    if (!ReadFile(pipe_, buffer, size, &read, nullptr))
      return std::nullopt;
    return read;
  }

 private:
  const HANDLE pipe_;
};

class Win32DiscordIpc final : public DiscordIpcSystem {
 public:
  std::unique_ptr<DiscordPipe> OpenPipe(const std::wstring& name) override {
    // Identification only: whoever serves a pipe of this name must not be
    // able to act as this user.
    const HANDLE pipe =
        CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
      return nullptr;
    return std::make_unique<Win32DiscordPipe>(pipe);
  }

  std::int64_t UnixTimeSeconds() override { return static_cast<std::int64_t>(std::time(nullptr)); }

  void SleepMs(std::uint32_t ms) override { Sleep(ms); }
};

}  // namespace

std::unique_ptr<DiscordIpcSystem> NewWin32DiscordIpc() {
  return std::make_unique<Win32DiscordIpc>();
}
