// The presence thread's states and timings, on a fake clock: the client runs
// on the test's thread and returns when the scripted stop comes.

#include "presence/discord_rpc.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/trace.h"
#include "common/fake_discord_ipc.h"
#include "common/json_print.h"
#include "presence/presence_text.h"

namespace {

using fixtures::FakeDiscordIpc;
using fixtures::ReceivedFrame;

constexpr std::uint32_t kPid = 4242;

std::vector<std::string> g_trace;
void CollectTrace(const std::string& line) { g_trace.push_back(line); }

nlohmann::json ActivityOf(const ReceivedFrame& frame) {
  return nlohmann::json::parse(frame.payload)["args"]["activity"];
}

// Time, connection and details line of each SET_ACTIVITY.
struct Sent {
  std::int64_t atMs;
  int connection;
  std::string details;
  bool operator==(const Sent& o) const {
    return atMs == o.atMs && connection == o.connection && details == o.details;
  }
  friend std::ostream& operator<<(std::ostream& os, const Sent& s) {
    return os << "{" << s.atMs << " ms, #" << s.connection << ", " << s.details << "}";
  }
};

class DiscordRpcTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetPresence();
    presenceRunning.exchange(true);
    g_trace.clear();
    previousSink_ = SetTraceSink(&CollectTrace);
  }
  void TearDown() override {
    SetTraceSink(previousSink_);
    presenceRunning.exchange(false);
    ResetPresence();
  }

  static void ResetPresence() {
    SetPresenceText("", "");
    presenceDirty.exchange(false);
    presenceStartTime.store(0);
  }

  // Runs the client until the scripted stop; the fake time at its return.
  std::int64_t Run() {
    RunDiscordRpc(fake_, kPid);
    for (const auto& connection : fake_.connections)
      EXPECT_TRUE(connection->closed) << "pipe #" << connection->number << " left open";
    return fake_.now();
  }

  std::vector<Sent> Activities() const {
    std::vector<Sent> sent;
    for (const ReceivedFrame& f : fake_.ReceivedWith(kOpFrame))
      sent.push_back({f.atMs, f.connection, ActivityOf(f)["details"].get<std::string>()});
    return sent;
  }

  void ChangeAt(std::int64_t ms, const std::string& first) {
    fake_.At(ms, [first] { SetPresenceText(first, ""); });
  }

  FakeDiscordIpc fake_;
  TraceSink previousSink_ = nullptr;
};

TEST_F(DiscordRpcTest, WithoutAPipeTriesTheTenNamesEveryThreeSeconds) {
  fake_.StopAt(6050);
  const std::int64_t returned = Run();

  ASSERT_EQ(fake_.opened.size(), 30u);
  for (std::size_t i = 0; i < fake_.opened.size(); ++i) {
    EXPECT_EQ(fake_.opened[i].first, static_cast<std::int64_t>(i / 10) * 3000);
    EXPECT_EQ(fake_.opened[i].second, DiscordPipeName(static_cast<int>(i % 10)));
  }
  EXPECT_LE(returned - 6050, 100);
  EXPECT_TRUE(fake_.received.empty());
}

TEST_F(DiscordRpcTest, SilentServerGetsTheActivityThreeSecondsAfterTheHandshakeThenOnlyChanges) {
  fake_.listening = {0};
  ChangeAt(30050, "Arena");
  fake_.StopAt(40000);
  Run();

  const auto handshakes = fake_.ReceivedWith(kOpHandshake);
  ASSERT_EQ(handshakes.size(), 1u);
  EXPECT_EQ(handshakes[0].atMs, 0);
  EXPECT_EQ(handshakes[0].payload, HandshakePayload(kDiscordAppId));
  EXPECT_EQ(handshakes[0].lengthField, handshakes[0].payload.size());
  EXPECT_EQ(Activities(), (std::vector<Sent>{{3000, 1, kDefaultPresenceDetails},
                                             {31000, 1, "Arena"}}));
  EXPECT_EQ(g_trace, std::vector<std::string>{"DiscordRpc: handshake yaniti=(yanit yok)"});
  EXPECT_EQ(fake_.connections.size(), 1u);
}

TEST_F(DiscordRpcTest, ChangesWithinOnePassAreSentOnceWithTheLatestText) {
  fake_.listening = {0};
  ChangeAt(7100, "Arena");
  ChangeAt(7200, "Kule");
  ChangeAt(7300, "Son tur");
  ChangeAt(9500, "Son tur");  // the same text again is sent again
  fake_.StopAt(12000);
  Run();

  EXPECT_EQ(Activities(), (std::vector<Sent>{{3000, 1, kDefaultPresenceDetails},
                                             {8000, 1, "Son tur"},
                                             {10000, 1, "Son tur"}}));
}

TEST_F(DiscordRpcTest, ReconnectsAtOnceAfterTheServerBreaksThePipeWithTheSameStartTime) {
  fake_.listening = {0};
  fake_.readyAfterMs = 200;
  fake_.At(12050, [this] { fake_.connections.at(0)->broken = true; });
  fake_.StopAt(13000);
  Run();

  ASSERT_EQ(fake_.connections.size(), 2u);
  EXPECT_EQ(fake_.connections[0]->closedAtMs, 12200);  // the first watch pass after the break
  std::vector<std::pair<std::int64_t, std::uint32_t>> frames;
  for (const ReceivedFrame& f : fake_.received)
    frames.emplace_back(f.atMs, f.opcode);
  EXPECT_EQ(frames, (std::vector<std::pair<std::int64_t, std::uint32_t>>{
                        {0, kOpHandshake}, {200, kOpFrame}, {12200, kOpHandshake}, {12400, kOpFrame}}));
  const auto activities = fake_.ReceivedWith(kOpFrame);
  EXPECT_EQ(ActivityOf(activities[0])["timestamps"]["start"], FakeDiscordIpc::kEpochSeconds);
  EXPECT_EQ(ActivityOf(activities[1])["timestamps"]["start"], FakeDiscordIpc::kEpochSeconds);
  EXPECT_EQ(nlohmann::json::parse(activities[1].payload)["args"]["pid"], kPid);
  EXPECT_EQ(g_trace[0], "DiscordRpc: handshake yaniti=" + std::string(FakeDiscordIpc::kReady));
}

TEST_F(DiscordRpcTest, AFailedHandshakeWriteClosesThePipeAndPausesTwoSeconds) {
  fake_.listening = {0};
  fake_.refuseWrites = true;
  fake_.StopAt(4500);
  Run();

  ASSERT_EQ(fake_.opened.size(), 3u);
  EXPECT_EQ(fake_.opened[1].first, 2000);
  EXPECT_EQ(fake_.opened[2].first, 4000);
  EXPECT_EQ(fake_.connections[0]->closedAtMs, 0);
}

std::vector<std::int64_t> HandshakeTimes(const FakeDiscordIpc& fake) {
  std::vector<std::int64_t> times;
  for (const ReceivedFrame& f : fake.ReceivedWith(kOpHandshake))
    times.push_back(f.atMs);
  return times;
}

// Discord closes the pipe right after the handshake when it does not know the
// application id; asking again at once would loop as fast as it answers.
TEST_F(DiscordRpcTest, RefusedConnectionsArePausedLongerEachTimeUpToAMinute) {
  fake_.listening = {0};
  fake_.refuseClientId = true;
  fake_.StopAt(250000);
  Run();

  // Pauses of 1, 2, 4, 8, 16, 32, 60, 60 s between the connections.
  EXPECT_EQ(HandshakeTimes(fake_), (std::vector<std::int64_t>{0, 1000, 3000, 7000, 15000, 31000,
                                                              63000, 123000, 183000, 243000}));
  for (const auto& connection : fake_.connections)
    EXPECT_EQ(connection->closedAtMs, HandshakeTimes(fake_)[connection->number - 1]);
  for (std::uint32_t sleep : fake_.sleeps)
    EXPECT_EQ(sleep, kPollStepMs);
  EXPECT_EQ(g_trace[0], "DiscordRpc: handshake yaniti={\"code\":4000,\"message\":\"Invalid Client ID\"}");
}

TEST_F(DiscordRpcTest, AConnectionThatLastedStartsThePausesAgainFromOneSecond) {
  fake_.listening = {0};
  fake_.refuseClientId = true;
  // The fourth connection is accepted, and lost after 14 s.
  fake_.At(6000, [this] { fake_.refuseClientId = false; });
  fake_.At(20050, [this] {
    fake_.refuseClientId = true;
    fake_.connections.at(3)->broken = true;
  });
  fake_.StopAt(25000);
  Run();

  EXPECT_EQ(HandshakeTimes(fake_),
            (std::vector<std::int64_t>{0, 1000, 3000, 7000, 21000, 22000, 24000}));
}

TEST_F(DiscordRpcTest, AStopDuringARefusalPauseEndsItWithinOneStep) {
  fake_.listening = {0};
  fake_.refuseClientId = true;
  fake_.StopAt(40050);  // in the 32 s pause
  const std::int64_t returned = Run();
  EXPECT_LE(returned - 40050, 100);
}

// A server that stops reading: the write that fills its pipe times out and
// the pipe counts as broken; the client closes it and connects again.
TEST_F(DiscordRpcTest, AWriteThatTimesOutBreaksTheConnection) {
  fake_.listening = {0};
  fake_.readyAfterMs = 200;
  fake_.At(12050, [this] {
    fake_.connections.at(0)->stalled = true;
    SetPresenceText("Arena", "");
  });
  fake_.StopAt(15000);
  Run();

  ASSERT_EQ(fake_.connections.size(), 2u);
  // The write at 12200 gave up at 13200; the next watch pass saw the break.
  EXPECT_EQ(fake_.connections[0]->closedAtMs, 14200);
  EXPECT_EQ(HandshakeTimes(fake_), (std::vector<std::int64_t>{0, 14200}));

  // A stop that comes while the write waits is seen as soon as it gives up.
  FakeDiscordIpc stopped;
  stopped.listening = {0};
  stopped.readyAfterMs = 200;
  stopped.At(12050, [&stopped] {
    stopped.connections.at(0)->stalled = true;
    SetPresenceText("Kule", "");
  });
  stopped.StopAt(12700);
  presenceRunning.exchange(true);
  RunDiscordRpc(stopped, kPid);
  EXPECT_EQ(stopped.now(), 13200);
  EXPECT_TRUE(stopped.connections.at(0)->closed);
}

// A thread that never returns must not keep the launcher from ending.
TEST(PresenceThreadStopTest, WaitsForTheThreadAtMostTheBoundThenLeavesItBehind) {
  static std::atomic<bool> release{false};
  static std::atomic<bool> ended{false};
  const struct {
    const char* name;
    void (*entry)();
    bool joined;
  } cases[] = {
      {"returns when stopped",
       [] {
         while (presenceRunning.load())
           std::this_thread::sleep_for(std::chrono::milliseconds(10));
         ended.exchange(true);
       },
       true},
      {"stuck",
       [] {
         while (!release.load())
           std::this_thread::sleep_for(std::chrono::milliseconds(10));
         ended.exchange(true);
       },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    release.exchange(false);
    ended.exchange(false);
    StartPresenceThread(c.entry);
    ASSERT_TRUE(presenceRunning.load());
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(StopPresenceThread(std::chrono::milliseconds(300)), c.joined);
    const auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_FALSE(presenceThread.joinable());
    EXPECT_FALSE(presenceRunning.load());
    EXPECT_EQ(ended.load(), c.joined);
    // The bound itself when stuck; slack only for a slow machine.
    EXPECT_LT(waited, std::chrono::seconds(5));
    if (!c.joined) {
      EXPECT_GE(waited, std::chrono::milliseconds(300));
    }
    release.exchange(true);
    while (!ended.load())
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// A Discord still checking the application id drops commands until its READY;
// a READY that comes after the handshake wait brings the activity again.
TEST_F(DiscordRpcTest, AnActivityDroppedBeforeALateReadyIsSentAgain) {
  const struct {
    std::int64_t readyAfterMs;
    std::vector<std::int64_t> sentAtMs;
  } cases[] = {
      {200, {200}},           // in time: once
      {4500, {3000, 4500}},   // during the activity's reply wait
      {6500, {3000, 7000}},   // while watching
      {-1, {3000}},           // never: nothing to answer
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.readyAfterMs);
    FakeDiscordIpc fake;
    fake.listening = {0};
    if (c.readyAfterMs >= 0)
      fake.readyAfterMs = c.readyAfterMs;
    fake.StopAt(12000);
    presenceRunning.exchange(true);
    RunDiscordRpc(fake, kPid);

    const auto activities = fake.ReceivedWith(kOpFrame);
    std::vector<std::int64_t> sentAt;
    for (const ReceivedFrame& f : activities)
      sentAt.push_back(f.atMs);
    EXPECT_EQ(sentAt, c.sentAtMs);
    if (c.readyAfterMs >= 0) {
      EXPECT_TRUE(activities.back().afterReady);
    }
  }
}

TEST_F(DiscordRpcTest, EveryStateSeesAStopWithinOnePollStep) {
  const struct {
    const char* state;
    bool listening, refuseWrites;
    std::int64_t stopAtMs;
    std::size_t activities;
  } cases[] = {
      {"pausing without a pipe", false, false, 1250, 0},
      {"pausing after a failed handshake", true, true, 1250, 0},
      {"waiting for the handshake reply", true, false, 1250, 0},
      {"waiting for the activity reply", true, false, 4250, 1},
      {"watching", true, false, 7250, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.state);
    FakeDiscordIpc fake;
    if (c.listening)
      fake.listening = {0};
    fake.refuseWrites = c.refuseWrites;
    fake.StopAt(c.stopAtMs);
    presenceRunning.exchange(true);
    RunDiscordRpc(fake, kPid);

    EXPECT_LE(fake.now() - c.stopAtMs, 100);
    EXPECT_EQ(fake.ReceivedWith(kOpFrame).size(), c.activities);
    for (const auto& connection : fake.connections)
      EXPECT_TRUE(connection->closed);
  }
}

// The flag is taken before the text is copied: a change that lands after the
// copy (here: while the frame is being written) is sent on the next pass.
TEST_F(DiscordRpcTest, AChangeLandingWhileTheActivityIsWrittenIsSentOnTheNextPass) {
  fake_.listening = {0};
  ChangeAt(7100, "Arena");
  fake_.onFrame = [](const ReceivedFrame& f) {
    if (f.opcode == kOpFrame && ActivityOf(f)["details"] == "Arena")
      SetPresenceText("Kule", "");
  };
  fake_.StopAt(12000);
  Run();

  EXPECT_EQ(Activities(), (std::vector<Sent>{{3000, 1, kDefaultPresenceDetails},
                                             {8000, 1, "Arena"},
                                             {9000, 1, "Kule"}}));
}

// The page's thread and the presence thread for real, on the fake clock: the
// page keeps changing the text while the client makes its passes. The last
// text is sent, and no older text follows a newer one.
TEST_F(DiscordRpcTest, ChangesFromTheUiThreadAreNeverLostOrReordered) {
  constexpr int kPassesWithChanges = 2000;
  fake_.listening = {0};
  fake_.readyAfterMs = 0;
  std::atomic<int> sleeps{0};
  std::atomic<bool> pageDone{false};
  std::string last;  // written by the page before pageDone, read after it
  fake_.onEverySleep = [&] {
    ++sleeps;
    std::this_thread::yield();
    if (pageDone.load()) {
      const auto activities = fake_.ReceivedWith(kOpFrame);
      if ((!activities.empty() && ActivityOf(activities.back())["details"] == last) ||
          fake_.now() > 10000000)
        presenceRunning.exchange(false);
    }
  };

  std::thread presence([this] { RunDiscordRpc(fake_, kPid); });
  int changes = 0;
  do {
    last = "metin " + std::to_string(++changes);
    SetPresenceText(last, "");
  } while (sleeps.load() < kPassesWithChanges);
  pageDone.exchange(true);
  presence.join();

  const auto activities = Activities();
  ASSERT_FALSE(activities.empty());
  EXPECT_EQ(activities.back().details, last);
  int previous = 0;
  for (const Sent& s : activities) {
    if (s.details == kDefaultPresenceDetails)
      continue;
    const int n = std::stoi(s.details.substr(6));
    EXPECT_GE(n, previous) << s;
    previous = n;
  }
}

}  // namespace
