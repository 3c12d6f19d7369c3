// The Win32 pipe client against a server that answers as Discord does.

#include "presence/discord_ipc.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <ctime>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "presence/presence_text.h"
#include "support/fake_discord.h"
#include "support/scoped_handle.h"

namespace {

using e2e::DiscordAnswer;
using e2e::DiscordFrame;

// A fake Discord on discord-ipc-0 and the client's pipe to it.
class DiscordPipeWinTest : public testing::Test {
 protected:
  void SetUp() override {
    presenceStartTime.store(std::time(nullptr));  // as the thread sets it; Discord refuses 0
    ASSERT_TRUE(server_.Start());
    system_ = NewWin32DiscordIpc();
    pipe_ = OpenDiscordPipe(*system_);
    ASSERT_TRUE(pipe_) << "discord-ipc-0 did not open";
  }

  testing::AssertionResult Handshake() {
    if (!WriteFrame(*pipe_, kOpHandshake, HandshakePayload(kDiscordAppId)))
      return testing::AssertionFailure() << "handshake not written";
    const std::string ready = ReadFrameReply(*pipe_, *system_, 3000);
    const auto parsed = nlohmann::json::parse(ready, nullptr, false);
    if (parsed.is_discarded() || parsed.value("evt", "") != "READY")
      return testing::AssertionFailure() << "no READY but " << ready;
    return testing::AssertionSuccess();
  }

  e2e::FakeDiscord server_;
  std::unique_ptr<DiscordIpcSystem> system_;
  std::unique_ptr<DiscordPipe> pipe_;
};

TEST_F(DiscordPipeWinTest, HandshakeGetsReadyAndTheActivityIsEchoedWithItsNonce) {
  ASSERT_TRUE(Handshake());
  ASSERT_TRUE(WriteFrame(*pipe_, kOpFrame, BuildActivityJson(GetCurrentProcessId())));
  const auto reply = nlohmann::json::parse(ReadFrameReply(*pipe_, *system_, 2000));
  EXPECT_EQ(reply["cmd"], "SET_ACTIVITY");
  EXPECT_EQ(reply["nonce"], "zlm-1");
  EXPECT_TRUE(reply["evt"].is_null());
  EXPECT_EQ(reply["data"]["details"], kDefaultPresenceDetails);

  const auto frame = server_.WaitForFrame([](const DiscordFrame& f) { return f.opcode == 1; });
  ASSERT_TRUE(frame);
  EXPECT_TRUE(e2e::IsAcceptedActivity(*frame)) << *frame;
}

TEST(DiscordPipeWinCasesTest, RefusedCommandsKeepThePipeAndBrokenOnesCloseIt) {
  const std::string kHandshake = HandshakePayload(kDiscordAppId);
  const struct {
    const char* name;
    bool handshake_first;
    std::uint32_t opcode;
    std::string payload;
    DiscordAnswer answer;
    int code;
  } cases[] = {
      {"details of one character", true, kOpFrame,
       R"({"cmd":"SET_ACTIVITY","nonce":"n","args":{"pid":7,"activity":{"details":"x"}}})",
       DiscordAnswer::kRefused, 4000},
      {"no process id", true, kOpFrame,
       R"({"cmd":"SET_ACTIVITY","nonce":"n","args":{"activity":{"details":"Arena"}}})",
       DiscordAnswer::kRefused, 4002},
      {"a raw form feed is not JSON", true, kOpFrame,
       "{\"cmd\":\"SET_ACTIVITY\",\"nonce\":\"n\",\"args\":{\"pid\":7,\"activity\":{"
       "\"details\":\"a\fb\"}}}",
       DiscordAnswer::kClosed, 1003},
      {"a command before the handshake", false, kOpFrame, R"({"cmd":"SET_ACTIVITY"})",
       DiscordAnswer::kClosed, 1003},
      {"version 2", false, kOpHandshake, R"({"v":2,"client_id":"1234567890123456789"})",
       DiscordAnswer::kClosed, 4004},
      {"a client id that is not a number", false, kOpHandshake, R"({"v":1,"client_id":"zlm"})",
       DiscordAnswer::kClosed, 4000},
      {"ping before the handshake", false, 3, R"({"x":1})", DiscordAnswer::kPong, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    e2e::FakeDiscord server;
    ASSERT_TRUE(server.Start());
    const auto system = NewWin32DiscordIpc();
    const auto pipe = OpenDiscordPipe(*system);
    ASSERT_TRUE(pipe);
    if (c.handshake_first) {
      ASSERT_TRUE(WriteFrame(*pipe, kOpHandshake, kHandshake));
      ASSERT_NE(ReadFrameReply(*pipe, *system, 3000), kReplyNone);
    }
    ASSERT_TRUE(WriteFrame(*pipe, c.opcode, c.payload));
    const auto frame = server.WaitForFrame(
        [&](const DiscordFrame& f) { return f.payload == c.payload; });
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->answer, c.answer) << *frame;
    EXPECT_EQ(frame->code, c.code) << *frame;

    const std::string reply = ReadFrameReply(*pipe, *system, 3000);
    if (c.answer == DiscordAnswer::kClosed) {
      // Whether the CLOSE frame can still be read depends on the system; the
      // pipe breaks either way.
      const auto broken = e2e::PollUntil([&] { return !pipe->BytesAvailable().has_value(); });
      EXPECT_TRUE(broken) << "pipe still open after " << reply;
      EXPECT_EQ(ReadFrameReply(*pipe, *system, 3000), kReplyPipeBroken);
    } else {
      const auto parsed = nlohmann::json::parse(reply);
      if (c.answer == DiscordAnswer::kPong)
        EXPECT_EQ(parsed, nlohmann::json::parse(c.payload));
      else
        EXPECT_EQ(parsed["data"]["code"], c.code) << reply;
      EXPECT_TRUE(pipe->BytesAvailable().has_value()) << "pipe closed";
    }
  }
}

TEST_F(DiscordPipeWinTest, ADiscordThatQuitsLeavesABrokenPipe) {
  ASSERT_TRUE(Handshake());
  server_.Stop();
  EXPECT_EQ(ReadFrameReply(*pipe_, *system_, 3000), kReplyPipeBroken);
  EXPECT_FALSE(WriteFrame(*pipe_, kOpFrame, BuildActivityJson(GetCurrentProcessId())));
}

// A server that takes the connection and then never reads: once its pipe is
// full, a write waits for a reader that never comes.
TEST(DiscordPipeWinStallTest, AWriteToAServerThatNeverReadsGivesUpAndBreaksThePipe) {
  // Small buffers, and a frame far larger than any buffer, so that the write
  // cannot complete however the system sizes the pipe.
  e2e::ScopedFileHandle server(::CreateNamedPipeW(
      DiscordPipeName(0).c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 16, 16, 0, nullptr));
  ASSERT_TRUE(server.IsValid());
  std::shared_ptr<DiscordIpcSystem> system = NewWin32DiscordIpc();
  std::shared_ptr<DiscordPipe> pipe = OpenDiscordPipe(*system);
  ASSERT_TRUE(pipe);
  const std::string payload(1024 * 1024, 'x');

  // On a thread of its own, so that a write that never returns fails the test
  // instead of hanging it.
  auto written = std::make_shared<std::promise<bool>>();
  std::future<bool> result = written->get_future();
  const auto before = std::chrono::steady_clock::now();
  std::thread([pipe, payload, written] {
    written->set_value(WriteFrame(*pipe, kOpFrame, payload));
  }).detach();
  ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready)
      << "the write is still waiting for the server";
  const auto waited = std::chrono::steady_clock::now() - before;
  EXPECT_FALSE(result.get());
  // Nominally kPipeOperationTimeoutMs; the rest is slack for a slow machine.
  EXPECT_GE(waited, std::chrono::milliseconds(kPipeOperationTimeoutMs - 50));
  EXPECT_LT(waited, std::chrono::seconds(5));

  // Broken from then on, without waiting again.
  EXPECT_FALSE(pipe->BytesAvailable().has_value());
  const auto again = std::chrono::steady_clock::now();
  EXPECT_FALSE(WriteFrame(*pipe, kOpFrame, "{}"));
  EXPECT_EQ(ReadFrameReply(*pipe, *system, 3000), kReplyPipeBroken);
  EXPECT_LT(std::chrono::steady_clock::now() - again, std::chrono::milliseconds(500));
}

}  // namespace
