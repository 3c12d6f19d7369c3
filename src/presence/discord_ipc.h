// Discord's local IPC as the presence thread speaks it: frames over a named
// pipe, found among ten names. Portable: the pipe and the clock are reached
// through DiscordIpcSystem, implemented over Win32 pipes for the product
// (discord_ipc_win.cpp) and by fakes in tests.

#ifndef ZLM_PRESENCE_DISCORD_IPC_H_
#define ZLM_PRESENCE_DISCORD_IPC_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "product_config.h"

inline constexpr char kDiscordAppId[] = ZLM_DISCORD_APP_ID;

constexpr bool IsDiscordAppId(const char* id) {
  int digits = 0;
  for (; id[digits]; ++digits) {
    if (id[digits] < '0' || id[digits] > '9')
      return false;
  }
  return digits == 19;
}
static_assert(IsDiscordAppId(kDiscordAppId), "ZLM_DISCORD_APP_ID must be 19 decimal digits");

inline constexpr std::uint32_t kOpHandshake = 0;
inline constexpr std::uint32_t kOpFrame = 1;
inline constexpr std::size_t kFrameHeaderSize = 8;  // opcode, payload length
inline constexpr int kDiscordPipeCount = 10;        // discord-ipc-0 .. discord-ipc-9
inline constexpr std::uint32_t kPollStepMs = 100;   // every wait sleeps in these steps
// A pipe operation that has not completed by then is given up, and the pipe
// with it: a server that stops reading must not hold the thread for good.
inline constexpr std::uint32_t kPipeOperationTimeoutMs = 1000;

// What ReadFrameReply returns when it took no payload.
inline constexpr char kReplyNone[] = "(yanit yok)";
inline constexpr char kReplyPipeBroken[] = "(pipe koptu)";
inline constexpr char kReplyReadFailed[] = "(okuma hatasi)";

// One client end of a Discord pipe; destroying it closes the pipe. All calls
// are synchronous and return within kPipeOperationTimeoutMs.
class DiscordPipe {
 public:
  virtual ~DiscordPipe() = default;
  // Writes |bytes| in one call; true only when all of them were written. A
  // write the server has not taken within kPipeOperationTimeoutMs is
  // cancelled and leaves the pipe broken: every later call fails.
  virtual bool Write(const std::string& bytes) = 0;
  // Bytes waiting to be read, leaving them in the pipe; nothing when the pipe
  // is broken or closed.
  virtual std::optional<std::uint32_t> BytesAvailable() = 0;
  // One read into |buffer|; the number of bytes delivered, nothing on failure.
  // Callers ask for no more than BytesAvailable reported, so it never blocks.
  virtual std::optional<std::uint32_t> Read(char* buffer, std::uint32_t size) = 0;
};

// What the presence client needs from the system: Discord's pipes and time.
class DiscordIpcSystem {
 public:
  virtual ~DiscordIpcSystem() = default;
  // The pipe |name| opened for reading and writing, or null when it cannot be
  // opened now (no such pipe, busy, refused).
  virtual std::unique_ptr<DiscordPipe> OpenPipe(const std::wstring& name) = 0;
  // Whole seconds since 1970-01-01 UTC.
  virtual std::int64_t UnixTimeSeconds() = 0;
  // Milliseconds on a clock that only moves forward, from an arbitrary start.
  virtual std::int64_t SteadyMs() = 0;
  virtual void SleepMs(std::uint32_t ms) = 0;
};

// \\.\pipe\discord-ipc-<index>.
std::wstring DiscordPipeName(int index);

// Opcode and payload length (both little-endian) followed by the payload.
std::string EncodeFrame(std::uint32_t opcode, const std::string& payload);

// {"v":1,"client_id":"<clientId>"}
std::string HandshakePayload(const std::string& clientId);

// The first of discord-ipc-0 .. 9 that opens, tried at once one after the
// other; null when none does.
std::unique_ptr<DiscordPipe> OpenDiscordPipe(DiscordIpcSystem& system);

// One frame in a single write: Discord closes the pipe on a frame that reaches
// it in parts.
bool WriteFrame(DiscordPipe& pipe, std::uint32_t opcode, const std::string& payload);

struct FrameReply {
  enum class Kind { kPayload, kNone, kPipeBroken, kReadFailed };
  Kind kind;
  std::string text;  // the bytes after the first 8, or one of the kReply texts
};

// Waits for the next bytes from the server, polling in 100 ms steps while the
// time waited is below |timeoutMs| (3000: at 0, 100, ..., 2900 ms; below 1: the
// pipe is not touched), and takes all that are there (at most 64 KiB) with one
// read.
// The header is skipped unexamined; frames that arrived together stay in the
// text. With |keepWaiting|, the wait also ends as soon as it turns false, as a
// time-out.
FrameReply AwaitFrameReply(DiscordPipe& pipe, DiscordIpcSystem& system, std::int32_t timeoutMs,
                           const std::atomic<bool>* keepWaiting = nullptr);

// The text of AwaitFrameReply.
std::string ReadFrameReply(DiscordPipe& pipe, DiscordIpcSystem& system, std::int32_t timeoutMs);

// Win32 named pipes and the system clock. Windows only (discord_ipc_win.cpp).
std::unique_ptr<DiscordIpcSystem> NewWin32DiscordIpc();

#endif  // ZLM_PRESENCE_DISCORD_IPC_H_
