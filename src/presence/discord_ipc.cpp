#include "presence/discord_ipc.h"

#include <algorithm>

namespace {

// A reply is only a diagnostic; a server announcing more than this cannot make
// the launcher allocate it. The rest stays in the pipe and is drained later.
constexpr std::uint32_t kMaxReplyBytes = 64 * 1024;

void AppendLittleEndian32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out += static_cast<char>((value >> shift) & 0xFF);
}

}  // namespace

std::wstring DiscordPipeName(int index) {
  return L"\\\\.\\pipe\\discord-ipc-" + std::to_wstring(index);
}

std::string EncodeFrame(std::uint32_t opcode, const std::string& payload) {
  std::string frame;
  frame.reserve(kFrameHeaderSize + payload.size());
  AppendLittleEndian32(frame, opcode);
  AppendLittleEndian32(frame, static_cast<std::uint32_t>(payload.size()));
  frame += payload;
  return frame;
}

std::string HandshakePayload(const std::string& clientId) {
  return "{\"v\":1,\"client_id\":\"" + clientId + "\"}";
}

std::unique_ptr<DiscordPipe> OpenDiscordPipe(DiscordIpcSystem& system) {
  for (int index = 0; index < kDiscordPipeCount; ++index) {
    if (std::unique_ptr<DiscordPipe> pipe = system.OpenPipe(DiscordPipeName(index)))
      return pipe;
  }
  return nullptr;
}

bool WriteFrame(DiscordPipe& pipe, std::uint32_t opcode, const std::string& payload) {
  return pipe.Write(EncodeFrame(opcode, payload));
}

FrameReply AwaitFrameReply(DiscordPipe& pipe, DiscordIpcSystem& system, std::int32_t timeoutMs,
                           const std::atomic<bool>* keepWaiting) {
  using Kind = FrameReply::Kind;
  if (timeoutMs < 1)
    return {Kind::kNone, kReplyNone};
  std::uint32_t available = 0;
  for (std::int64_t waited = 0;;) {
    const std::optional<std::uint32_t> peeked = pipe.BytesAvailable();
    if (!peeked)
      return {Kind::kPipeBroken, kReplyPipeBroken};
    if (*peeked > 0) {
      available = std::min(*peeked, kMaxReplyBytes);
      break;
    }
    if (keepWaiting && !keepWaiting->load())
      return {Kind::kNone, kReplyNone};
    system.SleepMs(kPollStepMs);
    waited += kPollStepMs;
    if (waited >= timeoutMs)
      return {Kind::kNone, kReplyNone};
  }

  std::string bytes(available, '\0');
  const std::optional<std::uint32_t> delivered = pipe.Read(&bytes[0], available);
  if (!delivered || *delivered <= kFrameHeaderSize)
    return {Kind::kReadFailed, kReplyReadFailed};
  bytes.resize(std::min(*delivered, available));
  return {Kind::kPayload, bytes.substr(kFrameHeaderSize)};
}

std::string ReadFrameReply(DiscordPipe& pipe, DiscordIpcSystem& system, std::int32_t timeoutMs) {
  return AwaitFrameReply(pipe, system, timeoutMs).text;
}
