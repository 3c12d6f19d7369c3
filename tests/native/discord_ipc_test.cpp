// Frames, pipe names and the reply wait of the Discord IPC client.

#include "presence/discord_ipc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/fake_discord_ipc.h"

namespace {

using fixtures::FakeDiscordIpc;
using fixtures::RawFrame;

std::vector<unsigned> Bytes(const std::string& s, std::size_t from, std::size_t count) {
  std::vector<unsigned> bytes;
  for (std::size_t i = from; i < from + count; ++i)
    bytes.push_back(static_cast<unsigned char>(s[i]));
  return bytes;
}

TEST(DiscordFrameTest, HandshakeForANineteenDigitIdIsFortyNineBytes) {
  for (const std::string& id : {std::string("1234567890123456789"), std::string(kDiscordAppId)}) {
    const std::string frame = EncodeFrame(kOpHandshake, HandshakePayload(id));
    ASSERT_EQ(frame.size(), 49u);
    EXPECT_EQ(Bytes(frame, 0, 8), (std::vector<unsigned>{0, 0, 0, 0, 41, 0, 0, 0}));
    EXPECT_EQ(frame.substr(8), "{\"v\":1,\"client_id\":\"" + id + "\"}");
  }
}

TEST(DiscordFrameTest, HeaderFieldsAreLittleEndian) {
  const std::string payload(0x010203, 'x');
  const std::string frame = EncodeFrame(0x0A0B0C0D, payload);
  EXPECT_EQ(Bytes(frame, 0, 8),
            (std::vector<unsigned>{0x0D, 0x0C, 0x0B, 0x0A, 0x03, 0x02, 0x01, 0x00}));
  EXPECT_EQ(frame.size(), 8 + payload.size());
  EXPECT_EQ(EncodeFrame(kOpFrame, ""), std::string("\x01\0\0\0\0\0\0\0", 8));
}

TEST(OpenDiscordPipeTest, TakesTheFirstOfTheTenNamesThatOpens) {
  const struct {
    std::set<int> listening;
    std::size_t tried;
    int index;  // -1: none
  } cases[] = {{{}, 10, -1}, {{3}, 4, 3}, {{0, 3}, 1, 0}, {{9}, 10, 9}};
  for (const auto& c : cases) {
    FakeDiscordIpc fake;
    fake.listening = c.listening;
    const auto pipe = OpenDiscordPipe(fake);
    EXPECT_EQ(pipe != nullptr, c.index >= 0);
    ASSERT_EQ(fake.opened.size(), c.tried);
    for (std::size_t i = 0; i < c.tried; ++i) {
      EXPECT_EQ(fake.opened[i].first, 0) << "no wait between names";
      EXPECT_EQ(fake.opened[i].second, L"\\\\.\\pipe\\discord-ipc-" + std::to_wstring(i));
    }
    if (c.index >= 0) {
      EXPECT_EQ(fake.connections.at(0)->index, c.index);
    }
  }
}

TEST(ReadFrameReplyTest, PollsEveryHundredMillisecondsAndTakesWhatIsThere) {
  const std::string ready = RawFrame(kOpFrame, "{\"evt\":\"READY\"}");
  const std::string big(70000, 'b');
  const struct {
    const char* name;
    std::int32_t timeoutMs;
    std::string bytes;        // what the server sends
    std::int64_t arrivesAtMs;
    bool broken, readFails;
    std::string reply;
    std::size_t peeks;
    std::int64_t returnsAtMs;
  } cases[] = {
      {"time-out 0 never touches the pipe", 0, ready, 0, false, false, "(yanit yok)", 0, 0},
      {"negative time-out", -5, ready, 0, false, false, "(yanit yok)", 0, 0},
      {"a reply at once", 3000, ready, 0, false, false, "{\"evt\":\"READY\"}", 1, 0},
      {"nothing within 3000 ms: 30 polls", 3000, "", 0, false, false, "(yanit yok)", 30, 3000},
      {"a reply at 250 ms is seen at 300", 3000, ready, 250, false, false,
       "{\"evt\":\"READY\"}", 4, 300},
      {"a reply after the last poll is missed", 3000, ready, 2950, false, false, "(yanit yok)",
       30, 3000},
      {"time-out 150 ends after two steps", 150, "", 0, false, false, "(yanit yok)", 2, 200},
      {"exactly 8 bytes", 3000, std::string(8, 'h'), 0, false, false, "(okuma hatasi)", 1, 0},
      {"9 bytes give the last", 3000, std::string(8, 'h') + "z", 0, false, false, "z", 1, 0},
      {"two frames together stay together", 3000, ready + ready, 0, false, false,
       "{\"evt\":\"READY\"}" + ready, 1, 0},
      {"broken pipe", 3000, "", 0, true, false, "(pipe koptu)", 1, 0},
      {"failed read", 3000, ready, 0, false, true, "(okuma hatasi)", 1, 0},
      {"an oversized reply is taken up to 64 KiB", 3000, big, 0, false, false,
       big.substr(8, 65536 - 8), 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDiscordIpc fake;
    fake.listening = {0};
    const auto pipe = fake.OpenPipe(DiscordPipeName(0));
    ASSERT_TRUE(pipe);
    fixtures::FakeConnection& server = *fake.connections[0];
    server.broken = c.broken;
    server.failReads = c.readFails;
    fake.At(c.arrivesAtMs, [&] { server.inbound += c.bytes; });
    fake.RunDueActions();

    EXPECT_EQ(ReadFrameReply(*pipe, fake, c.timeoutMs), c.reply);
    EXPECT_EQ(server.peeksAtMs.size(), c.peeks);
    EXPECT_EQ(fake.now(), c.returnsAtMs);
    for (std::uint32_t step : fake.sleeps)
      EXPECT_EQ(step, 100u);
  }
}

TEST(ReadFrameReplyTest, LeavesWhatItCouldNotTakeInThePipe) {
  FakeDiscordIpc fake;
  fake.listening = {0};
  const auto pipe = fake.OpenPipe(DiscordPipeName(0));
  fake.connections[0]->inbound = std::string(70000, 'b');
  ReadFrameReply(*pipe, fake, 3000);
  EXPECT_EQ(pipe->BytesAvailable(), 70000u - 65536u);
}

}  // namespace
