// An in-memory Discord for the presence client's portable code: pipes whose
// server side a test scripts, and a clock that moves only when the client
// sleeps, so timings are exact and nothing really waits.
#ifndef ZLM_TESTS_COMMON_FAKE_DISCORD_IPC_H_
#define ZLM_TESTS_COMMON_FAKE_DISCORD_IPC_H_

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "presence/discord_ipc.h"
#include "presence/discord_rpc.h"

namespace fixtures {

// A frame as the server side received it.
struct ReceivedFrame {
  std::int64_t atMs;
  int connection;  // 1 for the first pipe opened
  std::uint32_t opcode;
  std::uint32_t lengthField;
  std::string payload;
  bool afterReady;  // false: a real Discord would have dropped it
};

// The server's side of one opened pipe.
struct FakeConnection {
  int number = 0;
  int index = 0;
  bool closed = false;  // the client destroyed its end
  std::int64_t closedAtMs = -1;
  bool broken = false;  // the server end is gone: every call fails
  bool failWrites = false;
  bool failReads = false;
  // The server stopped reading: a write waits out the client's time-out, as
  // a full pipe makes it, and breaks the pipe.
  bool stalled = false;
  // Discord refusing the client: its CLOSE frame can still be read, then
  // the pipe is gone.
  bool closeWhenDrained = false;
  bool ready = false;
  std::string inbound;  // sent by the server, not read yet
  std::vector<std::int64_t> peeksAtMs;
};

inline std::string RawFrame(std::uint32_t opcode, const std::string& payload) {
  std::string frame(8, '\0');
  const std::uint32_t header[2] = {opcode, static_cast<std::uint32_t>(payload.size())};
  for (int i = 0; i < 8; ++i)
    frame[i] = static_cast<char>((header[i / 4] >> (8 * (i % 4))) & 0xFF);
  return frame + payload;
}

class FakeDiscordIpc final : public DiscordIpcSystem {
 public:
  static constexpr std::int64_t kEpochSeconds = 1700000000;
  static constexpr char kReady[] = "{\"cmd\":\"DISPATCH\",\"evt\":\"READY\",\"nonce\":null}";

  // Server behaviour for pipes opened from now on.
  std::set<int> listening;                 // indices that open
  std::optional<std::int64_t> readyAfterMs;  // none: the server never answers
  bool refuseWrites = false;               // from the first write, the handshake
  // Closes the pipe after answering the handshake with CLOSE 4000, as Discord
  // does for an application id it does not know.
  bool refuseClientId = false;

  // Clock.
  std::int64_t now() const { return now_; }
  void At(std::int64_t ms, std::function<void()> action) { actions_.emplace(ms, std::move(action)); }
  void StopAt(std::int64_t ms) {
    At(ms, [] { presenceRunning.exchange(false); });
  }
  std::function<void()> onEverySleep;
  // Runs inside the client's write, after the frame is recorded.
  std::function<void(const ReceivedFrame&)> onFrame;

  // What happened.
  std::vector<std::pair<std::int64_t, std::wstring>> opened;  // every attempt
  std::vector<ReceivedFrame> received;
  std::vector<std::uint32_t> sleeps;
  std::vector<std::shared_ptr<FakeConnection>> connections;

  std::vector<ReceivedFrame> ReceivedWith(std::uint32_t opcode) const {
    std::vector<ReceivedFrame> frames;
    std::copy_if(received.begin(), received.end(), std::back_inserter(frames),
                 [opcode](const ReceivedFrame& f) { return f.opcode == opcode; });
    return frames;
  }

  // DiscordIpcSystem:
  std::unique_ptr<DiscordPipe> OpenPipe(const std::wstring& name) override;
  std::int64_t UnixTimeSeconds() override { return kEpochSeconds + now_ / 1000; }
  std::int64_t SteadyMs() override { return now_; }
  void SleepMs(std::uint32_t ms) override {
    sleeps.push_back(ms);
    now_ += ms;
    RunDueActions();
    if (onEverySleep)
      onEverySleep();
  }

  // Time passing inside a blocking call, not in a sleep.
  void Elapse(std::int64_t ms) {
    now_ += ms;
    RunDueActions();
  }

  void RunDueActions() {
    while (!actions_.empty() && actions_.begin()->first <= now_) {
      auto action = std::move(actions_.begin()->second);
      actions_.erase(actions_.begin());
      action();
    }
  }

 private:
  friend class FakePipe;
  std::int64_t now_ = 0;
  std::multimap<std::int64_t, std::function<void()>> actions_;
};

class FakePipe final : public DiscordPipe {
 public:
  FakePipe(FakeDiscordIpc& system, std::shared_ptr<FakeConnection> connection)
      : system_(system), connection_(std::move(connection)) {}
  ~FakePipe() override {
    connection_->closed = true;
    connection_->closedAtMs = system_.now();
  }

  bool Write(const std::string& bytes) override {
    FakeConnection& c = *connection_;
    if (c.stalled && !c.broken) {
      system_.Elapse(kPipeOperationTimeoutMs);
      c.broken = true;
    }
    if (c.broken || c.closeWhenDrained || c.failWrites || bytes.size() < 8)
      return false;
    std::uint32_t header[2] = {};
    for (int i = 0; i < 8; ++i)
      header[i / 4] |= std::uint32_t{static_cast<unsigned char>(bytes[i])} << (8 * (i % 4));
    system_.received.push_back(
        {system_.now(), c.number, header[0], header[1], bytes.substr(8), c.ready});
    if (system_.onFrame)
      system_.onFrame(system_.received.back());
    if (header[0] == kOpHandshake && system_.refuseClientId) {
      c.inbound += RawFrame(2, "{\"code\":4000,\"message\":\"Invalid Client ID\"}");
      c.closeWhenDrained = true;
    } else if (header[0] == kOpHandshake && system_.readyAfterMs) {
      std::weak_ptr<FakeConnection> weak = connection_;
      system_.At(system_.now() + *system_.readyAfterMs, [weak] {
        if (auto live = weak.lock()) {
          live->ready = true;
          live->inbound += RawFrame(kOpFrame, FakeDiscordIpc::kReady);
        }
      });
    } else if (header[0] == kOpFrame && c.ready) {
      c.inbound += RawFrame(kOpFrame, "{\"cmd\":\"SET_ACTIVITY\",\"evt\":null,\"nonce\":\"zlm-1\"}");
    }
    return true;
  }

  std::optional<std::uint32_t> BytesAvailable() override {
    connection_->peeksAtMs.push_back(system_.now());
    if (connection_->broken || (connection_->closeWhenDrained && connection_->inbound.empty()))
      return std::nullopt;
    return static_cast<std::uint32_t>(connection_->inbound.size());
  }

  std::optional<std::uint32_t> Read(char* buffer, std::uint32_t size) override {
    FakeConnection& c = *connection_;
    if (c.broken || c.failReads)
      return std::nullopt;
    const std::size_t count = std::min<std::size_t>(size, c.inbound.size());
    std::memcpy(buffer, c.inbound.data(), count);
    c.inbound.erase(0, count);
    return static_cast<std::uint32_t>(count);
  }

 private:
  FakeDiscordIpc& system_;
  std::shared_ptr<FakeConnection> connection_;
};

inline std::unique_ptr<DiscordPipe> FakeDiscordIpc::OpenPipe(const std::wstring& name) {
  opened.emplace_back(now_, name);
  for (int index : listening) {
    if (name != DiscordPipeName(index))
      continue;
    auto connection = std::make_shared<FakeConnection>();
    connection->number = static_cast<int>(connections.size()) + 1;
    connection->index = index;
    connection->failWrites = refuseWrites;
    connections.push_back(connection);
    return std::make_unique<FakePipe>(*this, connection);
  }
  return nullptr;
}

}  // namespace fixtures

#endif  // ZLM_TESTS_COMMON_FAKE_DISCORD_IPC_H_
