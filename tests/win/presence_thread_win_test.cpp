// The presence thread as the entry point runs it, against fake Discord
// servers on real pipes; the page's text is changed in-process, as the
// bridge will.

#include "presence/discord_rpc.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "presence/presence_text.h"
#include "product_config.h"
#include "support/fake_discord.h"

namespace {

using e2e::DiscordAnswer;
using e2e::DiscordFrame;
using e2e::FakeDiscord;

const nlohmann::json& Activity(const DiscordFrame& frame) {
  return frame.json["args"]["activity"];
}

class PresenceThreadWinTest : public testing::Test {
 protected:
  void SetUp() override { ResetTexts(); }
  void TearDown() override {
    presenceRunning.exchange(false);
    if (presenceThread.joinable())
      presenceThread.join();
    ResetTexts();
  }

  static void ResetTexts() {
    SetPresenceText("", "");
    presenceDirty.exchange(false);
  }

  void StartThread() {
    ASSERT_FALSE(presenceRunning.exchange(true));
    startedAt_ = std::time(nullptr);
    presenceThread = std::thread(DiscordRpcThread);
  }

  // An accepted SET_ACTIVITY for this process, on |connection| if given,
  // showing |details| if given, the n-th such frame.
  static std::optional<DiscordFrame> WaitForCard(const FakeDiscord& server, int connection = 0,
                                                 const std::string& details = {},
                                                 e2e::Millis timeout = e2e::kDefaultTimeout) {
    return server.WaitForFrame(
        [&](const DiscordFrame& f) {
          return e2e::IsAcceptedActivity(f) && (!connection || f.connection == connection) &&
                 (details.empty() || Activity(f)["details"] == details);
        },
        timeout);
  }

  static void ExpectCardOfThisProcess(const DiscordFrame& frame) {
    EXPECT_EQ(frame.json["args"]["pid"], GetCurrentProcessId());
    EXPECT_EQ(frame.json["nonce"], "zlm-1");
    EXPECT_EQ(Activity(frame)["state"], kDefaultPresenceState);
  }

  std::time_t startedAt_ = 0;
};

TEST_F(PresenceThreadWinTest, ShowsTheCardAndFollowsThePageText) {
  FakeDiscord server;
  ASSERT_TRUE(server.Start());
  StartThread();

  const auto handshake = server.WaitForFrame([](const DiscordFrame& f) { return f.opcode == 0; });
  ASSERT_TRUE(handshake);
  EXPECT_EQ(handshake->payload, "{\"v\":1,\"client_id\":\"" ZLM_DISCORD_APP_ID "\"}");
  EXPECT_EQ(handshake->answer, DiscordAnswer::kReady);

  const auto card = WaitForCard(server, 1, kDefaultPresenceDetails);
  ASSERT_TRUE(card);
  ExpectCardOfThisProcess(*card);
  const std::int64_t start = Activity(*card)["timestamps"]["start"].get<std::int64_t>();
  EXPECT_GE(start, startedAt_ - 1);
  EXPECT_LE(start, std::time(nullptr));

  const struct {
    std::string first, second, details;
  } changes[] = {
      {"Arena", "3", "Arena - Sava\xC5\x9F G:3"},
      {"Sayfa\fmetni", "", "Sayfa\fmetni"},  // a raw form feed would close the pipe
      {"T\xC4\xB1rnak \"x\" \\", "", "T\xC4\xB1rnak \"x\" \\"},
  };
  for (const auto& change : changes) {
    SCOPED_TRACE(change.details);
    SetPresenceText(change.first, change.second);
    // One watch pass is about a second; the wait only bounds a failure.
    const auto shown = WaitForCard(server, 1, change.details, e2e::Millis(5000));
    ASSERT_TRUE(shown) << "the change did not arrive";
    ExpectCardOfThisProcess(*shown);
  }
  for (const DiscordFrame& frame : server.Frames()) {
    EXPECT_EQ(frame.connection, 1) << frame;
    EXPECT_NE(frame.answer, DiscordAnswer::kClosed) << frame;
    EXPECT_NE(frame.answer, DiscordAnswer::kRefused) << frame;
  }
}

TEST_F(PresenceThreadWinTest, FindsDiscordOnALaterPipe) {
  FakeDiscord server(FakeDiscord::Options{3});
  ASSERT_TRUE(server.Start());
  StartThread();
  const auto card = WaitForCard(server);
  ASSERT_TRUE(card);
  ExpectCardOfThisProcess(*card);
}

TEST_F(PresenceThreadWinTest, ShowsTheCardAgainWithTheSameStartAfterDiscordRestarts) {
  FakeDiscord server;
  ASSERT_TRUE(server.Start());
  StartThread();
  const auto before = WaitForCard(server, 1);
  ASSERT_TRUE(before);

  server.Stop();
  ASSERT_TRUE(server.Start());
  const auto after = WaitForCard(server, 2);
  ASSERT_TRUE(after) << "no card after the restart";
  ExpectCardOfThisProcess(*after);
  EXPECT_EQ(Activity(*after)["timestamps"]["start"], Activity(*before)["timestamps"]["start"]);
  EXPECT_TRUE(server.WaitForFrame([](const DiscordFrame& f) {
    return f.connection == 2 && f.opcode == 0 && f.answer == DiscordAnswer::kReady;
  }, e2e::Millis(0)));
}

// Discord drops commands until it has checked the application id; a READY
// later than the client's handshake wait must still end with the card shown.
TEST_F(PresenceThreadWinTest, ShowsTheCardWhenReadyComesAfterTheHandshakeWait) {
  FakeDiscord server(FakeDiscord::Options{0, e2e::Millis(3600)});
  ASSERT_TRUE(server.Start());
  StartThread();
  const auto card = WaitForCard(server, 1);
  ASSERT_TRUE(card) << "the card was lost";
  std::vector<DiscordAnswer> answers;
  for (const DiscordFrame& frame : server.Frames())
    answers.push_back(frame.answer);
  EXPECT_EQ(answers, (std::vector<DiscordAnswer>{DiscordAnswer::kReady, DiscordAnswer::kDropped,
                                                 DiscordAnswer::kAccepted}));
}

}  // namespace
