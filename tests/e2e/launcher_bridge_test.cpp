// The page bridge as the game's pages use it: every command sent with
// cefQuery from a frame of the game site, its answer, and what it did to the
// real window, the real files and the system.

#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "product_config.h"
#include "recording_scheme_handler.h"
#include "running_launcher.h"
#include "support/fake_discord.h"
#include "support/screen.h"
#include "support/utf_convert.h"

namespace {

using e2e::QueryRecord;
using e2e::QueryState;
using e2e::Target;

const char kCanceled[] = "The query has been canceled";

class LauncherBridgeTest : public RunningLauncherTest {
 protected:
  // Sends the request from the frame and fails the test unless it was answered.
  QueryRecord Ask(const std::string& request, Target target = {}) {
    auto record = channel_.Query(request, target);
    EXPECT_TRUE(record.ok()) << request;
    if (!record)
      return QueryRecord();
    EXPECT_NE(record->state, QueryState::kPending) << request;
    return *record;
  }
  // The answer text of a request that must succeed.
  std::string Answer(const std::string& request, Target target = {}) {
    const QueryRecord record = Ask(request, target);
    EXPECT_EQ(record.state, QueryState::kSuccess) << request << ": " << record;
    return record.responses.empty() ? std::string() : record.responses.front();
  }
  void ExpectFailure(const std::string& request, const std::string& message,
                     Target target = {}) {
    const QueryRecord record = Ask(request, target);
    EXPECT_EQ(record.state, QueryState::kFailure) << request << ": " << record;
    EXPECT_EQ(record.error_code, -1) << request;
    EXPECT_EQ(record.error_message, message) << request;
  }
  e2e::WindowInfo Window() {
    auto info = e2e::DescribeWindow(MainWindow());
    EXPECT_TRUE(info.has_value());
    return info ? *info : e2e::WindowInfo();
  }
};

TEST_F(LauncherBridgeTest, UnknownFormsAndForeignFramesAreDeclined) {
  for (const char* request : {"no such command", "APP:getram", "acc:list ", "acc:list2",
                              "Win:close", ""})
    ExpectFailure(request, kCanceled);
  ExpectFailure("win:Minimize", "unknown command");
  ExpectFailure("win:", "unknown command");

  // A foreign page in a frame, or in the main frame, reaches nothing.
  auto advert = channel_.AddFrame("https://ads.example/slot", "ad");
  ASSERT_TRUE(advert.ok());
  ExpectFailure("acc:list", kCanceled, Target::Frame(advert->frame));
  ExpectFailure("win:minimize", kCanceled, Target::Frame(advert->frame));
  ASSERT_TRUE(channel_.Navigate("http://" + std::string(ZLM_SITE_URL).substr(8)).ok());
  ExpectFailure("acc:list", kCanceled);
  ASSERT_TRUE(channel_.Navigate(ZLM_SITE_URL).ok());
  EXPECT_EQ(Answer("acc:list"), "[]");
}

TEST_F(LauncherBridgeTest, WindowCommandsDriveTheRealWindow) {
  const e2e::WindowInfo before = Window();
  EXPECT_EQ(Answer("win:maximize"), "");
  EXPECT_TRUE(e2e::WaitForWindow(MainWindow(), [](const e2e::WindowInfo& w) { return w.maximized; },
                                 "maximised"));
  EXPECT_EQ(Answer("win:maximize"), "");
  EXPECT_TRUE(e2e::WaitForWindow(
      MainWindow(), [&](const e2e::WindowInfo& w) {
        return !w.maximized && w.window_rect == before.window_rect;
      },
      "restored"));

  const auto monitor = e2e::MonitorRectOf(MainWindow());
  ASSERT_TRUE(monitor.has_value());
  EXPECT_EQ(Answer("win:fullscreen"), "");
  EXPECT_TRUE(e2e::WaitForWindow(
      MainWindow(), [&](const e2e::WindowInfo& w) { return w.window_rect == *monitor; },
      "covering the monitor"));
  EXPECT_EQ(Answer("win:fullscreen"), "");
  EXPECT_TRUE(e2e::WaitForWindow(
      MainWindow(), [&](const e2e::WindowInfo& w) { return w.window_rect == before.window_rect; },
      "back from full screen"));

  // What the embedded page script's zoom steps send, and what it must not.
  struct Zoom {
    const char* percent;
    double level;  // NAN: unchanged
  } zooms[] = {{"120", 1.0}, {"abc", NAN}, {"0", NAN}, {"-10", NAN},
               {"", NAN},    {"100", 0.0}, {"50", std::log(0.5) / std::log(1.2)},
               {"150px", std::log(1.5) / std::log(1.2)}};
  double level = 0;
  for (const Zoom& z : zooms) {
    SCOPED_TRACE(z.percent);
    EXPECT_EQ(Answer(std::string("win:zoom:") + z.percent), "");
    if (!std::isnan(z.level))
      level = z.level;
    auto now = channel_.ZoomLevel();
    ASSERT_TRUE(now.ok());
    EXPECT_NEAR(*now, level, 1e-9);
  }

  EXPECT_EQ(Answer("win:minimize"), "");
  EXPECT_TRUE(e2e::WaitForWindow(MainWindow(), [](const e2e::WindowInfo& w) { return w.minimized; },
                                 "minimised"));

  // The answer is sent before the window closes, and the page hears it before
  // the engine ends.
  EXPECT_EQ(Answer("win:close"), "");
  const auto code = launcher_.WaitForExit();
  ASSERT_TRUE(code.has_value()) << "the launcher did not end after win:close";
  EXPECT_EQ(*code, 0);
}

TEST_F(LauncherBridgeTest, MemoryFigureSettlesFirstThenCountsMebibytes) {
  EXPECT_EQ(Answer("app:getram"), "settling");
  std::string figure;
  EXPECT_TRUE(e2e::PollUntil(
      [&] {
        figure = Answer("app:getram");
        return figure != "settling";
      },
      e2e::Millis(20000)));
  ASSERT_FALSE(figure.empty());
  EXPECT_EQ(figure.find_first_not_of("0123456789"), std::string::npos) << figure;
}

TEST_F(LauncherBridgeTest, AccountsRoundTripThroughTheRealStore) {
  EXPECT_EQ(Answer("acc:list"), "[]");
  EXPECT_EQ(Answer("acc:add:b%7Cob|pa%7Css|w+rd%2B"), "");
  EXPECT_EQ(Answer("acc:add:alice|one"), "");
  EXPECT_EQ(Answer("acc:add:b%7Cob|two"), "") << "replaces in place";
  EXPECT_EQ(Answer("acc:add:nobar"), "");
  EXPECT_EQ(Answer("acc:add:|empty-user"), "");
  EXPECT_EQ(Answer("acc:list"), R"([{"u":"b|ob"},{"u":"alice"}])");
  EXPECT_EQ(Answer("acc:getpass:b%7Cob"), "two");
  EXPECT_EQ(Answer("acc:getpass:nobody"), "");
  EXPECT_TRUE(dir_.Exists(L"accounts.dat"));
  EXPECT_EQ(Answer("acc:add:carol|a|b c+d%2B"), "");
  EXPECT_EQ(Answer("acc:getpass:carol"), "a|b c d+") << "all behind the first bar, decoded";
  EXPECT_EQ(Answer("acc:del:alice"), "");
  EXPECT_EQ(Answer("acc:del:nobody"), "");
  EXPECT_EQ(Answer("acc:list"), R"([{"u":"b|ob"},{"u":"carol"}])");
  // A name the page could never name again is refused, and nothing changes.
  ExpectFailure("acc:add:%FF|pw", "user name is not valid UTF-8");
  EXPECT_EQ(Answer("acc:list"), R"([{"u":"b|ob"},{"u":"carol"}])");
}

// The page must not believe a login was kept that is gone on the next start.
// A folder where the store's file belongs makes every save fail.
TEST_F(LauncherBridgeTest, ALoginThatCannotBeSavedIsAnsweredWithAFailure) {
  ASSERT_TRUE(dir_.MakeFolder(L"accounts.dat"));
  ExpectFailure("acc:add:alice|pw", "the logins could not be saved");
  ExpectFailure("acc:del:alice", "the logins could not be saved");
  // Forms that store nothing succeed as ever.
  EXPECT_EQ(Answer("acc:add:nobar"), "");
  EXPECT_EQ(Answer("acc:add:|empty-user"), "");
  EXPECT_EQ(Answer("acc:list"), "[]");
  EXPECT_EQ(GetFileAttributesW(dir_.PathOf(L"accounts.dat").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

// Links go to the system's handler for https (a recording stand-in here);
// other schemes, and the scheme in capitals, go nowhere.
class LauncherLinkTest : public LauncherBridgeTest {
 protected:
  void PrepareExecutable(const std::wstring&) override {
    ASSERT_TRUE(browser_.Install(L"https", dir_.PathOf(L"opened.txt")));
  }
  std::string Opened() { return browser_.Opened(); }

  RecordingSchemeHandler browser_;
};

TEST_F(LauncherLinkTest, WebLinksOpenInTheSystemsHandlerOnly) {
  for (const char* refused : {"app:open:ftp://files.example/a", "app:open:HTTPS://x.example/",
                              "app:open:www.example.com"})
    EXPECT_EQ(Answer(refused), "");
  EXPECT_EQ(Answer("app:open:https://discord.example/invite?x=1"), "");
  EXPECT_TRUE(e2e::PollUntil([&] { return !Opened().empty(); }));
  Sleep(500);  // a refused link would have come first; none may come late either
  EXPECT_EQ(Opened(), "https://discord.example/invite?x=1\n");
}

// The page's presence text reaches Discord (a fake one here), raw fields and all.
TEST_F(LauncherBridgeTest, PresenceTextReachesDiscord) {
  e2e::FakeDiscord discord;
  ASSERT_TRUE(discord.Start());
  ASSERT_TRUE(discord.WaitForFrame(e2e::IsAcceptedActivity)) << "no first card";
  EXPECT_EQ(Answer("rpc:Arena 3v3|Sirada %41|b"), "");
  const auto card = discord.WaitForFrame([](const e2e::DiscordFrame& f) {
    return e2e::IsAcceptedActivity(f) &&
           f.json["args"]["activity"]["details"].get<std::string>().rfind("Arena 3v3", 0) == 0;
  });
  ASSERT_TRUE(card) << "the new text never reached Discord";
  const std::string details = card->json["args"]["activity"]["details"];
  EXPECT_NE(details.find("Sirada %41|b"), std::string::npos)
      << details << ": the second field, after the first bar, undecoded";
}

TEST_F(LauncherBridgeTest, ClearCacheRestartsIntoOneWindowWithoutTheCache) {
  ASSERT_TRUE(dir_.WriteBytes(L"cache\\marker.bin", "stale"));
  // The answer is sent before the restart starts; the page hears it.
  EXPECT_EQ(Answer("app:clearcache"), "");
  e2e::Process copy;
  const auto window = RestartedCopy(launcher_, copy);
  ASSERT_TRUE(window.has_value());
  EXPECT_FALSE(dir_.Exists(L"cache\\marker.bin"));
  EXPECT_EQ(e2e::TopLevelWindows(copy.id()).size(), 1u);
  e2e::PostClose(window->handle);
  const auto copyCode = copy.WaitForExit();
  ASSERT_TRUE(copyCode.has_value());
  EXPECT_EQ(*copyCode, 0);
}

// The Flash plug-in's allow list, below the cache (the launcher writes it
// before the engine starts).
const wchar_t kFlashConfig[] = L"cache\\Pepper Data\\Shockwave Flash\\System\\mms.cfg";
const char* const kFlashAllowList[] = {ZLM_FLASH_ALLOW_LIST nullptr};
std::string FlashConfigFor(const std::string& siteUrl) {
  const auto pattern = [](const std::string& url) {
    return "AllowListUrlPattern=" + url.substr(0, url.find('/', std::string("https://").size())) +
           "/\r\n";
  };
  std::string text = "EnableAllowList=1\r\n" + pattern(siteUrl);
  for (const char* const* more = kFlashAllowList; *more; ++more)
    text += pattern(*more);
  return text + "EOLUninstallDisable=1\r\nAutoUpdateDisable=1\r\nSilentAutoUpdateEnable=0\r\n";
}

TEST_F(LauncherBridgeTest, TheFlashAllowListIsInPlaceForTheGamesOrigin) {
  EXPECT_EQ(dir_.ReadBytes(kFlashConfig), FlashConfigFor(ZLM_SITE_URL));
}

// A double click on the page's button: the second request reaches the
// launcher before its window is gone. One copy follows with one window, on an
// empty cache, and the player's own files beside the launcher are untouched.
// The copy, restarted in turn, hands over to its own copy.
TEST_F(LauncherBridgeTest, ClearCacheAskedTwiceRestartsOnceAndKeepsThePlayersFiles) {
  EXPECT_EQ(Answer("acc:add:alice|pw"), "");
  const std::optional<std::string> accounts = dir_.ReadBytes(L"accounts.dat");
  ASSERT_TRUE(accounts.has_value());
  const std::string notes("notes\r\n\0\xFF", 9);
  ASSERT_TRUE(dir_.WriteBytes(L"notes.txt", notes));
  ASSERT_TRUE(dir_.WriteBytes(L"cache\\marker.bin", "stale"));

  // The first is not waited for: both are on their way at once.
  auto first = channel_.Query("app:clearcache", {}, false, e2e::Millis(0));
  ASSERT_TRUE(first.ok());
  const QueryRecord second = Ask("app:clearcache");
  // Answered, or cancelled by the window's close when it came after it: never
  // a failure, and never a second restart (below).
  EXPECT_TRUE(second.state == QueryState::kSuccess || second.state == QueryState::kCanceled)
      << second;
  const auto firstNow = channel_.QueryStatus(first->query);
  if (firstNow.ok()) {
    EXPECT_EQ(firstNow->state, QueryState::kSuccess) << *firstNow;
  }
  e2e::Process copy;
  const auto window = RestartedCopy(launcher_, copy);
  ASSERT_TRUE(window.has_value());
  // A second copy would have started with the first and would open its window
  // about as soon; give it the time.
  EXPECT_FALSE(e2e::PollUntil([] { return CountLaunchers().windows > 1; }, e2e::Millis(3000)))
      << "a second launcher window opened";
  const LauncherCount count = CountLaunchers();
  EXPECT_EQ(count.processes, 1u);
  EXPECT_EQ(count.windows, 1u);
  EXPECT_FALSE(dir_.Exists(L"cache\\marker.bin"));
  EXPECT_EQ(dir_.ReadBytes(kFlashConfig), FlashConfigFor(ZLM_SITE_URL))
      << "the restarted copy puts the Flash allow list back into the cleared cache";
  EXPECT_EQ(dir_.ReadBytes(L"accounts.dat"), accounts);
  EXPECT_EQ(dir_.ReadBytes(L"notes.txt"), notes);

  e2e::PageChannel copyChannel;
  ASSERT_TRUE(copyChannel.Connect(copy));
  auto ready = copyChannel.WaitReady();
  ASSERT_TRUE(ready.ok() && *ready) << "the copy's page never got cefQuery";
  auto again = copyChannel.Query("acc:getpass:alice");
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again->responses, std::vector<std::string>{"pw"});
  again = copyChannel.Query("app:clearcache");
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again->state, QueryState::kSuccess) << *again;
  e2e::Process next;
  const auto nextWindow = RestartedCopy(copy, next);
  ASSERT_TRUE(nextWindow.has_value()) << "the lock was not handed over";
  EXPECT_EQ(CountLaunchers().windows, 1u);
  e2e::PostClose(nextWindow->handle);
  const auto nextCode = next.WaitForExit();
  ASSERT_TRUE(nextCode.has_value());
  EXPECT_EQ(*nextCode, 0);
}

// Mute and unmute answer with the empty text, whatever the audio system can do.
TEST_F(LauncherBridgeTest, MuteAndUnmuteAnswer) {
  EXPECT_EQ(Answer("app:mute"), "");
  EXPECT_EQ(Answer("app:unmute"), "");
  EXPECT_EQ(Answer("acc:list"), "[]") << "the bridge still works after the audio walk";
}

}  // namespace
