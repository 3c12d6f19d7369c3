// A stand-in for the Discord desktop client's IPC server on
// \\.\pipe\discord-ipc-<n>, answering as the real one does: READY a little
// after a valid handshake, commands before READY dropped, SET_ACTIVITY echoed
// with its nonce or refused with an ERROR reply for fields Discord rejects,
// CLOSE and a closed pipe for a broken frame or a payload that is not JSON,
// PONG to PING. It records every frame it takes, and what it answered.
#ifndef ZLM_TESTS_E2E_SUPPORT_FAKE_DISCORD_H_
#define ZLM_TESTS_E2E_SUPPORT_FAKE_DISCORD_H_

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "common/json_print.h"
#include "scoped_handle.h"
#include "wait.h"

namespace e2e {

enum class DiscordAnswer {
  kReady,     // handshake accepted; READY follows after the validation delay
  kDropped,   // a command before READY: Discord has no listener yet and loses it
  kAccepted,  // SET_ACTIVITY echoed back, "evt":null
  kRefused,   // an op-1 reply with "evt":"ERROR"; the pipe stays open
  kClosed,    // a CLOSE frame, then the pipe was closed
  kPong,      // PING answered with the same data
  kEnded,     // the client sent CLOSE: pipe closed without a frame
  kIgnored,   // a PONG from the client
};
std::ostream& operator<<(std::ostream& os, DiscordAnswer answer);

struct DiscordFrame {
  int connection = 0;  // 1 for the server's first client, counted across restarts
  std::int32_t opcode = 0;
  std::string payload;     // the bytes received
  nlohmann::json json;     // the payload parsed; null when it is not JSON
  DiscordAnswer answer = DiscordAnswer::kIgnored;
  int code = 0;            // of an ERROR reply or a CLOSE frame
  std::string message;     // likewise
};
std::ostream& operator<<(std::ostream& os, const DiscordFrame& frame);

class FakeDiscord {
 public:
  struct Options {
    int index = 0;  // \\.\pipe\discord-ipc-<index>
    // Discord checks the application id over the network before READY.
    Millis ready_delay{250};
    // False: a hung server, which takes each connection and never reads from
    // it, with pipe buffers of |buffer_size| bytes so that it fills at once.
    bool reads = true;
    std::uint32_t buffer_size = 64 * 1024;
  };

  FakeDiscord() : FakeDiscord(Options{}) {}
  explicit FakeDiscord(Options options);
  // Stops, so a failed test leaves no pipe behind.
  ~FakeDiscord();
  FakeDiscord(const FakeDiscord&) = delete;
  FakeDiscord& operator=(const FakeDiscord&) = delete;

  // Listens until Stop; there is always an instance waiting for the next
  // client, as with the real server.
  testing::AssertionResult Start();
  // Ends every connection and stops listening: Discord quit. Start again to
  // restart it.
  void Stop();

  std::wstring pipe_name() const;
  std::vector<DiscordFrame> Frames() const;
  // A hung server (reads false): how many clients let go of their end of a
  // connection that it never read from.
  int DroppedConnections() const;
  // The first frame that |match| accepts, once it has arrived.
  std::optional<DiscordFrame> WaitForFrame(const std::function<bool(const DiscordFrame&)>& match,
                                           Millis timeout = kDefaultTimeout) const;

 private:
  void Listen(HANDLE instance);
  void Serve(HANDLE pipe, int connection);
  bool Send(HANDLE pipe, HANDLE done, std::uint32_t opcode, const std::string& payload);
  void Record(DiscordFrame frame);

  const Options options_;
  ScopedHandle stop_;
  std::thread listener_;
  mutable std::mutex mutex_;
  std::vector<std::thread> connections_;  // guarded by mutex_
  std::vector<DiscordFrame> frames_;      // guarded by mutex_
  int next_connection_ = 1;               // guarded by mutex_
  int dropped_ = 0;                       // guarded by mutex_
};

// A SET_ACTIVITY that the server accepted.
bool IsAcceptedActivity(const DiscordFrame& frame);

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_FAKE_DISCORD_H_
