// The launcher's Discord card, seen by a fake Discord on discord-ipc-0.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <optional>
#include <string>

#include "product_config.h"
#include "support/fake_discord.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/window_info.h"

namespace {

using e2e::DiscordAnswer;
using e2e::DiscordFrame;

// A copy of the launcher in its own folder, started.
void StartLauncher(e2e::TempDir& dir, e2e::Process& launcher) {
  ASSERT_TRUE(dir.IsValid()) << dir.error();
  ASSERT_TRUE(dir.CopyProgramIn(LAUNCHER_EXE));
  ASSERT_TRUE(launcher.Start(dir.PathOf(e2e::FileNameOf(LAUNCHER_EXE)), {}, dir.path()));
}

// Its main window: not a message box (class #32770) that a failure might show.
std::optional<e2e::WindowInfo> MainWindow(const e2e::Process& launcher) {
  return e2e::WaitForTopLevelWindow(
      launcher.id(), [](const e2e::WindowInfo& w) { return w.class_name != L"#32770"; });
}

TEST(LauncherPresenceTest, AnnouncesTheCardForItsOwnProcessAndEndsNormally) {
  e2e::FakeDiscord discord;
  ASSERT_TRUE(discord.Start());
  e2e::TempDir dir;
  e2e::Process launcher;
  ASSERT_NO_FATAL_FAILURE(StartLauncher(dir, launcher));

  const auto handshake = discord.WaitForFrame([](const DiscordFrame& f) { return f.opcode == 0; });
  ASSERT_TRUE(handshake) << "no handshake";
  EXPECT_EQ(handshake->payload, "{\"v\":1,\"client_id\":\"" ZLM_DISCORD_APP_ID "\"}");
  EXPECT_EQ(handshake->answer, DiscordAnswer::kReady);

  const auto card = discord.WaitForFrame(e2e::IsAcceptedActivity);
  ASSERT_TRUE(card) << "no accepted SET_ACTIVITY";
  EXPECT_EQ(card->json["args"]["pid"], launcher.id());
  EXPECT_EQ(card->json["args"]["activity"]["details"], "Zelmora 5.5 PvP");
  EXPECT_EQ(card->json["args"]["activity"]["state"], "Oyunda");

  const auto window = MainWindow(launcher);
  ASSERT_TRUE(window.has_value()) << "no main window";
  e2e::PostClose(window->handle);
  const auto code = launcher.WaitForExit();
  ASSERT_TRUE(code.has_value()) << "the launcher did not end after its window closed";
  EXPECT_EQ(*code, 0);
  for (const DiscordFrame& frame : discord.Frames())
    EXPECT_NE(frame.answer, DiscordAnswer::kClosed) << frame;
}

// A Discord that hangs: it takes the connection and never reads, so the
// launcher's writes fill its pipe. Closing the window must still end the
// launcher, or its cache stays locked against the next start.
TEST(LauncherPresenceTest, EndsAfterItsWindowClosesWhileDiscordHangs) {
  e2e::FakeDiscord::Options hung;
  hung.reads = false;
  hung.buffer_size = 16;  // smaller than the handshake: its write cannot complete
  e2e::FakeDiscord discord(hung);
  ASSERT_TRUE(discord.Start());
  e2e::TempDir dir;
  e2e::Process launcher;
  ASSERT_NO_FATAL_FAILURE(StartLauncher(dir, launcher));

  const auto window = MainWindow(launcher);
  ASSERT_TRUE(window.has_value()) << "no main window";
  // The first handshake is stuck in the full pipe; its write gives up by
  // itself, and the launcher lets go of the connection while its window is
  // still open (without that bound the presence thread would stay stuck).
  ASSERT_TRUE(e2e::PollUntil([&] { return discord.DroppedConnections() >= 1; }))
      << "the stuck write never gave up";
  const auto closedAt = std::chrono::steady_clock::now();
  e2e::PostClose(window->handle);
  // The launcher waits for its presence thread 2 s at most; 10 s is slack.
  const auto code = launcher.WaitForExit(e2e::Millis(10000));
  ASSERT_TRUE(code.has_value()) << "the launcher is still running after its window closed";
  EXPECT_EQ(*code, 0);
  std::cout << "[ measure  ] ended "
            << std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - closedAt)
                   .count()
            << " ms after the close" << std::endl;
}

}  // namespace
