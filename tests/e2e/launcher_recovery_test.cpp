// The game never dies silently: a crashed page or Flash plug-in is loaded
// again, crashes in a row get the failure page, addresses the engine cannot
// load leave the game in place, and another site's failed page leads back.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <string>

#include "product_config.h"
#include "recording_scheme_handler.h"
#include "running_launcher.h"
#include "support/wait.h"

namespace {

using e2e::Millis;
using e2e::QueryState;
using e2e::Target;

class LauncherRecoveryTest : public RunningLauncherTest {
 protected:
  const std::string room_ = std::string(ZLM_SITE_URL) + "room?id=2";

  // The game's page at |url| in a script context other than |old|: a new
  // document, with cefQuery and the embedded script.
  std::optional<e2e::FrameRecord> GamePageAgain(const std::string& url,
                                                std::optional<int64_t> old) {
    return e2e::PollUntil([&]() -> std::optional<e2e::FrameRecord> {
      auto frames = channel_.Frames();
      if (!frames || frames->empty())
        return std::nullopt;
      const e2e::FrameRecord& main = frames->front();
      if (main.url == url && main.has_cef_query && !main.document && main.context != old)
        return main;
      return std::nullopt;
    });
  }

  // The game's page at room_, its script run.
  e2e::FrameRecord OpenRoom() {
    EXPECT_TRUE(channel_.Navigate(room_).ok());
    auto page = GamePageAgain(room_, std::nullopt);
    EXPECT_TRUE(page) << "main frame: " << channel_.Frames()->front();
    return page.value_or(e2e::FrameRecord());
  }

  void ExpectBridgeServes(int64_t frame) {
    auto ram = channel_.Query("app:getram", Target::Frame(frame));
    ASSERT_TRUE(ram.ok()) << ram.error();
    EXPECT_EQ(ram->state, QueryState::kSuccess) << *ram;
  }

  // The page comes back after a crash: returns its new context.
  std::optional<int64_t> CrashAndComeBack(bool plugin, std::optional<int64_t> context) {
    if (plugin) {
      auto path = channel_.CrashPlugin();
      EXPECT_TRUE(path.ok()) << path.error();
    } else {
      EXPECT_TRUE(channel_.CrashRenderer().ok());
    }
    auto back = GamePageAgain(room_, context);
    EXPECT_TRUE(back) << (plugin ? "Flash" : "renderer")
                      << " crash, main frame: " << channel_.Frames()->front();
    return back ? back->context : std::nullopt;
  }

  static std::string Href(const std::string& html, const std::string& id) {
    std::smatch found;
    const std::regex link("id=\"" + id + "\" href=\"([^\"]*)\"");
    return std::regex_search(html, found, link) ? found[1].str() : std::string();
  }
};

TEST_F(LauncherRecoveryTest, ACrashedPageOrFlashPlugInComesBackToTheGamePage) {
  const e2e::FrameRecord room = OpenRoom();
  ASSERT_EQ(EmbeddedRuns(room.id), 2u) << "the start page's run and the room's";

  const std::optional<int64_t> afterRenderer = CrashAndComeBack(false, room.context);
  ASSERT_TRUE(afterRenderer);
  EXPECT_EQ(EmbeddedRuns(room.id), 3u) << "the reloaded page gets its script";
  ExpectBridgeServes(room.id);

  auto path = channel_.CrashPlugin();
  ASSERT_TRUE(path.ok()) << path.error();
  EXPECT_NE(path->find("pepflashplayer.dll"), std::string::npos) << *path;
  const auto afterFlash = GamePageAgain(room_, afterRenderer);
  ASSERT_TRUE(afterFlash) << "main frame: " << channel_.Frames()->front();
  EXPECT_EQ(EmbeddedRuns(room.id), 4u);
  ExpectBridgeServes(room.id);

  // Another plug-in's crash is not the game's. The engine tells of it in a
  // task of the UI thread; the channel's next op runs after it, by which time a
  // reload would have started.
  ASSERT_TRUE(channel_.CrashPlugin("C:\\windows\\system32\\other_plugin.dll").ok());
  ASSERT_TRUE(channel_.Frames().ok());
  auto browsers = channel_.Browsers();
  ASSERT_TRUE(browsers.ok() && !browsers->empty());
  EXPECT_FALSE(browsers->front().loading) << "a reload started for it";
  EXPECT_EQ(channel_.Frames()->front().context, afterFlash->context);
}

// Three reloads in a minute; the fourth crash shows the failure page, whose
// F5 and Retry bring the game back.
TEST_F(LauncherRecoveryTest, AFourthCrashWithinAMinuteShowsThePageThatLeadsBack) {
  const e2e::FrameRecord room = OpenRoom();
  std::optional<int64_t> context = room.context;
  for (const bool plugin : {false, true, false}) {
    context = CrashAndComeBack(plugin, context);
    ASSERT_TRUE(context);
  }
  const size_t runs = EmbeddedRuns(room.id);
  ASSERT_TRUE(channel_.CrashRenderer().ok());
  auto page = MainFrameShowing(true, Millis(10000));
  ASSERT_TRUE(page) << "no failure page; main frame: " << channel_.Frames()->front();
  EXPECT_EQ(page->url, room_) << "under the game page's address";
  EXPECT_NE(page->document->find("The game stopped unexpectedly"), std::string::npos);
  EXPECT_EQ(Href(*page->document, "retry"), room_);
  EXPECT_EQ(EmbeddedRuns(page->id), runs) << "the game's script is not for this page";
  // Its Close and drag go through the bridge, which serves the page.
  ExpectBridgeServes(page->id);

  auto f5 = channel_.PressKey(VK_F5, e2e::kControl);
  ASSERT_TRUE(f5.ok());
  EXPECT_FALSE(*f5) << "the launcher takes F5 (with any modifiers) on its failure page";
  const auto back = GamePageAgain(room_, page->context);
  ASSERT_TRUE(back) << "F5 did not bring the game back: " << channel_.Frames()->front();

  // Still within the minute: the next crash shows the page again, and its
  // Retry link brings the game back.
  ASSERT_TRUE(channel_.CrashPlugin().ok());
  page = MainFrameShowing(true, Millis(10000));
  ASSERT_TRUE(page);
  ASSERT_TRUE(channel_.Navigate(Href(*page->document, "retry")).ok());
  ASSERT_TRUE(GamePageAgain(room_, page->context)) << channel_.Frames()->front();
}

// A mail link goes to the mail program; no address the engine cannot load
// replaces the game's page, whether a link or a pop-up asks for it.
class LauncherLinkKeepsTheGameTest : public LauncherRecoveryTest {
 protected:
  void PrepareExecutable(const std::wstring&) override {
    ASSERT_TRUE(mail_.Install(L"mailto", dir_.PathOf(L"mailed.txt")));
  }
  RecordingSchemeHandler mail_;
};

TEST_F(LauncherLinkKeepsTheGameTest, MailAndUnknownSchemesLeaveThePageInPlace) {
  const e2e::FrameRecord room = OpenRoom();
  const std::string mail = "mailto:support@play.example?subject=Help";
  ASSERT_TRUE(channel_.Navigate(mail).ok());
  ASSERT_TRUE(channel_.Navigate("zelmora-app://join/2").ok());
  auto popup = channel_.RequestPopup("tel:+100200300");
  ASSERT_TRUE(popup.ok());
  Sleep(500);
  auto frames = channel_.Frames();
  ASSERT_TRUE(frames.ok());
  const e2e::FrameRecord& now = frames->front();
  EXPECT_EQ(now.url, room_);
  EXPECT_EQ(now.context, room.context) << "the page and its script context stay";
  EXPECT_FALSE(now.document) << "no error document, no failure page";
  EXPECT_TRUE(now.has_cef_query);
  ExpectBridgeServes(room.id);
  EXPECT_TRUE(e2e::PollUntil([&] { return !mail_.Opened().empty(); }));
  EXPECT_EQ(mail_.Opened(), mail + "\n");

  // Another site's page does not reach the mail program.
  ASSERT_TRUE(channel_.Navigate("https://other.example/").ok());
  ASSERT_TRUE(channel_.Navigate("mailto:someone@other.example").ok());
  Sleep(500);
  EXPECT_EQ(mail_.Opened(), mail + "\n");
  EXPECT_EQ(channel_.Frames()->front().url, "https://other.example/");
}

// The failed page of another site (a payment page, a pop-up's target) comes
// under the game's origin, with the way back, a working bridge and F5 to the
// game; it is not retried by itself.
TEST_F(LauncherRecoveryTest, AnotherSitesFailedPageLeadsBackToTheGame) {
  OpenRoom();
  const std::string pay = "https://pay.example/checkout";
  ASSERT_TRUE(channel_.FailLoad(pay, {}, -105, "net::ERR_NAME_NOT_RESOLVED").ok());
  auto page = MainFrameShowing(true, Millis(10000));
  ASSERT_TRUE(page) << "main frame: " << channel_.Frames()->front();
  EXPECT_EQ(page->url, ZLM_SITE_URL);
  EXPECT_EQ(Href(*page->document, "game"), ZLM_SITE_URL);
  EXPECT_EQ(Href(*page->document, "retry"), pay);
  EXPECT_NE(page->document->find(pay), std::string::npos);
  EXPECT_EQ(page->document->find("tries again"), std::string::npos);
  ExpectBridgeServes(page->id);

  auto f5 = channel_.PressKey(VK_F5);
  ASSERT_TRUE(f5.ok());
  EXPECT_FALSE(*f5);
  ASSERT_TRUE(GamePageAgain(ZLM_SITE_URL, page->context)) << channel_.Frames()->front();
}

// A game page whose load breaks off after it committed (2623's DidFailLoad:
// OnLoadError, then OnLoadEnd with the code) gets the failure page and its
// retry, not the game's script.
TEST_F(LauncherRecoveryTest, APageThatFailsAfterItsCommitGetsTheFailurePage) {
  const e2e::FrameRecord room = OpenRoom();
  const size_t runs = EmbeddedRuns(room.id);
  ASSERT_TRUE(channel_.FailLoad(room_, {}, -101, "net::ERR_CONNECTION_RESET", Millis(5000), true)
                  .ok());
  auto page = MainFrameShowing(true, Millis(10000));
  ASSERT_TRUE(page) << "main frame: " << channel_.Frames()->front();
  EXPECT_EQ(page->url, room_);
  EXPECT_NE(page->document->find("net::ERR_CONNECTION_RESET (-101)"), std::string::npos);
  EXPECT_NE(page->document->find("tries again"), std::string::npos);
  EXPECT_EQ(EmbeddedRuns(page->id), runs) << "the broken document got no script";
}

TEST_F(LauncherRecoveryTest, ATlsErrorGetsThePageButNoAutomaticRetry) {
  OpenRoom();
  ASSERT_TRUE(channel_.FailLoad(room_, {}, -107, "net::ERR_SSL_PROTOCOL_ERROR").ok());
  auto page = MainFrameShowing(true, Millis(10000));
  ASSERT_TRUE(page);
  EXPECT_EQ(page->url, room_);
  EXPECT_EQ(page->document->find("tries again"), std::string::npos);
  EXPECT_EQ(page->document->find("connected to the internet"), std::string::npos);
  // A connection error's first retry comes after 5 s.
  Sleep(6500);
  auto frames = channel_.Frames();
  ASSERT_TRUE(frames.ok());
  EXPECT_EQ(frames->front().context, page->context) << "the launcher tried again by itself";
}

}  // namespace
