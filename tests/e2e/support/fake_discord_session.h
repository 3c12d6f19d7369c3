// The protocol half of FakeDiscord: what Discord's IPC server makes of the
// bytes of one client, without the pipe. Rules and texts from the real
// client's transport and its SET_ACTIVITY schema.
#ifndef ZLM_TESTS_E2E_SUPPORT_FAKE_DISCORD_SESSION_H_
#define ZLM_TESTS_E2E_SUPPORT_FAKE_DISCORD_SESSION_H_

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fake_discord.h"

namespace e2e {

constexpr std::uint32_t kDiscordOpHandshake = 0;
constexpr std::uint32_t kDiscordOpFrame = 1;
constexpr std::uint32_t kDiscordOpClose = 2;
constexpr std::uint32_t kDiscordOpPing = 3;
constexpr std::uint32_t kDiscordOpPong = 4;

std::string EncodeDiscordFrame(std::uint32_t opcode, const std::string& payload);

// One frame of the client and what the server does about it.
struct DiscordTurn {
  DiscordFrame record;
  std::optional<std::pair<std::uint32_t, std::string>> reply;  // opcode, payload
  bool ready_due = false;  // send Ready() after the validation delay
  bool end = false;        // close the pipe after the reply
};

class DiscordSession {
 public:
  // Handles the frames of one read in order, up to the first that ends the
  // connection. Discord's reader takes whole frames from each read: one cut
  // short ends the connection.
  std::vector<DiscordTurn> Receive(const std::string& chunk);
  // The READY dispatch; from now on commands are answered.
  std::string Ready();

 private:
  DiscordTurn Handle(std::int32_t opcode, const std::string& payload);
  DiscordTurn Handshake(DiscordTurn turn);
  DiscordTurn Command(DiscordTurn turn);

  bool handshaken_ = false;
  bool ready_ = false;
  std::string client_id_;
};

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_FAKE_DISCORD_SESSION_H_
