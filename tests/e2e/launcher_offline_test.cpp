// A start page that cannot be reached: the launcher's failure page under the
// site's address, its bridge, F5, and the retry that brings the game back.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "product_config.h"
#include "running_launcher.h"
#include "support/wait.h"

namespace {

using e2e::Target;

// The engine's network is down from the start, as on a machine offline.
class LauncherOfflineTest : public RunningLauncherTest {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"ZLM_STANDIN_OFFLINE", L"1");
    RunningLauncherTest::SetUp();
    SetEnvironmentVariableW(L"ZLM_STANDIN_OFFLINE", nullptr);
  }
};

TEST_F(LauncherOfflineTest, TheFailurePageServesThePlayerUntilTheRetryBringsTheGame) {
  const auto page = MainFrameShowing(true, e2e::Millis(10000));
  ASSERT_TRUE(page) << "no failure page; main frame: " << channel_.Frames()->front();
  EXPECT_EQ(page->url, ZLM_SITE_URL) << "the frame keeps the site's address";
  EXPECT_NE(page->document->find("cannot be reached"), std::string::npos);
  EXPECT_NE(page->document->find("net::ERR_INTERNET_DISCONNECTED (-106)"), std::string::npos);
  EXPECT_NE(page->document->find("tries again in <span id=\"seconds\">5</span> s"),
            std::string::npos);
  EXPECT_EQ(EmbeddedRuns(page->id), 0u) << "the game's page script is not for this page";

  // Its buttons (win:drag, win:close) use the bridge, which serves the page
  // under the site's address. A drag needs a held mouse button, so a
  // harmless command stands in for them here.
  auto ram = channel_.Query("app:getram", Target::Frame(page->id));
  ASSERT_TRUE(ram.ok());
  EXPECT_EQ(ram->state, e2e::QueryState::kSuccess) << *ram;

  // The network comes back: the next automatic retry (5 s after the failure)
  // loads the game's page, with its script.
  ASSERT_TRUE(channel_.SetNetwork(false).ok());
  const auto game = MainFrameShowing(false, e2e::Millis(20000));
  ASSERT_TRUE(game) << "the launcher never tried again: " << channel_.Frames()->front();
  EXPECT_EQ(game->url, ZLM_SITE_URL);
  EXPECT_EQ(EmbeddedRuns(game->id), 1u);
}

// An error that waiting does not cure is not retried by itself; F5 retries at
// once, and once the game's page is back F5 is the page's own again.
TEST_F(LauncherOfflineTest, F5OnTheFailurePageTriesTheSiteAgain) {
  ASSERT_TRUE(MainFrameShowing(true, e2e::Millis(10000)));
  ASSERT_TRUE(channel_.SetNetwork(false).ok());
  const auto game = MainFrameShowing(false, e2e::Millis(20000));
  ASSERT_TRUE(game);

  constexpr int kCertificateInvalid = -200;
  const std::string next = std::string(ZLM_SITE_URL) + "next";
  ASSERT_TRUE(channel_.FailLoad(next, {}, kCertificateInvalid, "net::ERR_CERT_COMMON_NAME_INVALID")
                  .ok());
  const auto page = MainFrameShowing(true, e2e::Millis(10000));
  ASSERT_TRUE(page);
  EXPECT_EQ(page->url, next);
  EXPECT_EQ(page->document->find("tries again"), std::string::npos);

  auto f5 = channel_.PressKey(VK_F5);
  ASSERT_TRUE(f5.ok());
  EXPECT_FALSE(*f5) << "the launcher takes F5 on its failure page";
  const auto back = MainFrameShowing(false, e2e::Millis(10000));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->url, next);
  auto scripts = channel_.Scripts(Target::Frame(back->id));
  ASSERT_TRUE(scripts.ok());
  for (const e2e::ScriptRecord& s : *scripts)
    EXPECT_NE(s.code, "window.zlmReload&&window.zlmReload();") << "F5 did not call the page";

  const size_t before = channel_.Scripts(Target::Frame(back->id))->size();
  f5 = channel_.PressKey(VK_F5);
  ASSERT_TRUE(f5.ok());
  scripts = channel_.Scripts(Target::Frame(back->id));
  ASSERT_TRUE(scripts.ok());
  ASSERT_EQ(scripts->size(), before + 1);
  EXPECT_EQ(scripts->back().code, "window.zlmReload&&window.zlmReload();");
}

}  // namespace
