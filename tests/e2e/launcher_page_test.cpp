// The launcher as the page and the player meet it: pop-ups, the bridge, the
// page environment script. Driven through the stand-in engine's page channel.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "product_config.h"
#include "running_launcher.h"
#include "support/utf_convert.h"

namespace {

using e2e::QueryState;
using e2e::Target;

class LauncherPageTest : public RunningLauncherTest {};

TEST_F(LauncherPageTest, StartsOnTheGameSite) {
  EXPECT_EQ(UrlOf(MainFrameId()), ZLM_SITE_URL);
}

TEST_F(LauncherPageTest, EngineRunsWithTheLaunchersSettingsAndSwitches) {
  auto engine = channel_.Call({{"op", "engine"}});
  ASSERT_TRUE(engine.ok());
  ASSERT_EQ((*engine)["ok"], true) << *engine;
  const std::string folder = e2e::WideToUtf8(dir_.path());

  const nlohmann::json& settings = (*engine)["settings"];
  const nlohmann::json expected = {
      {"single_process", 0},           {"no_sandbox", 1},
      {"browser_subprocess_path", ""}, {"multi_threaded_message_loop", 0},
      {"windowless_rendering_enabled", 0}, {"command_line_args_disabled", 0},
      {"cache_path", folder + "\\cache"}, {"user_data_path", ""},
      {"persist_session_cookies", 1},  {"persist_user_preferences", 1},
      {"user_agent", ""},              {"locale", ""},
      {"log_file", ""},                {"log_severity", 99},
      {"remote_debugging_port", 0}};
  EXPECT_EQ(settings, expected);

  // The launcher's twelve switches close the browser process's command line.
  const nlohmann::json& argv = (*engine)["command_line"];
  ASSERT_GE(argv.size(), 13u) << argv;
  const std::vector<std::string> tail(argv.end() - 12, argv.end());
  EXPECT_EQ(tail.front(),
            "--user-agent=Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like "
            "Gecko) Chrome/50.0.2661.102 UBrowser/6.0.1308.1016 Safari/537.36");
  EXPECT_EQ(tail[3], "--ppapi-flash-version=32.0.0.465");
  EXPECT_EQ(tail.back(), "--ppapi-flash-path=" + folder + "\\pepflashplayer.dll");
}

TEST_F(LauncherPageTest, PopUpsNavigateTheFrameThatAskedAndOpenNoWindow) {
  const int64_t main = MainFrameId();
  auto sub = channel_.AddFrame("https://ads.elsewhere.example/slot", "slot");
  ASSERT_TRUE(sub.ok());

  struct {
    const char* who;
    int64_t frame;
    const char* url;
  } cases[] = {
      {"sub-frame", sub->frame, "https://play.zelmora.example/play?from=sub"},
      {"main frame", main, "https://play.zelmora.example/play?from=main"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.who);
    const std::string mainUrlBefore = UrlOf(main);
    auto popup = channel_.RequestPopup(c.url, Target::Frame(c.frame), "_blank");
    ASSERT_TRUE(popup.ok());
    EXPECT_TRUE(popup->done);
    EXPECT_TRUE(popup->canceled);
    EXPECT_FALSE(popup->opened);
    EXPECT_TRUE(e2e::PollUntil([&] { return UrlOf(c.frame) == c.url; })) << UrlOf(c.frame);
    if (c.frame != main) {
      EXPECT_EQ(UrlOf(main), mainUrlBefore);
    }
    EXPECT_EQ(e2e::TopLevelWindows(launcher_.id()).size(), 1u);
  }
}

// 2623 may ask OnBeforePopup with no frame, but its own C API translation
// refuses a NULL frame and answers false for the client: the launcher is never
// asked, and the engine opens a pop-up browser with the launcher's client. The
// launcher keeps it hidden, loads its page in the main window, closes it, and
// goes on running: its close is not the main window's.
TEST_F(LauncherPageTest, APopUpWithoutAFrameOpensItsPageInTheMainWindow) {
  HWND window = MainWindow();
  const auto before = e2e::DescribeWindow(window);
  ASSERT_TRUE(before.has_value());
  const std::string url = "https://play.zelmora.example/play?from=nowhere";
  auto popup = channel_.RequestPopup(url, Target::Frame(MainFrameId()), "_blank", {}, true,
                                     /*no_frame=*/true);
  ASSERT_TRUE(popup.ok());
  EXPECT_TRUE(popup->done);
  EXPECT_FALSE(popup->canceled) << "the launcher was never asked";
  EXPECT_TRUE(popup->opened) << "the engine opened a browser of its own";
  EXPECT_TRUE(e2e::PollUntil([&] { return UrlOf(MainFrameId()) == url; })) << UrlOf(MainFrameId());
  EXPECT_TRUE(e2e::PollUntil([&] {
    auto browsers = channel_.Browsers();
    return browsers && browsers->size() == 1;
  })) << "the pop-up browser was closed";
  EXPECT_TRUE(launcher_.IsRunning());
  EXPECT_EQ(e2e::TopLevelWindows(launcher_.id()).size(), 1u);
  const auto after = e2e::DescribeWindow(window);
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(after->window_rect, before->window_rect) << "the main window kept its place";
  auto ram = channel_.Query("app:getram");
  ASSERT_TRUE(ram.ok());
  EXPECT_EQ(ram->state, QueryState::kSuccess) << "the bridge still serves the main window";
}

TEST_F(LauncherPageTest, PageEnvironmentScriptRunsInEveryFrameContext) {
  const std::string script = ReadWholeFile(PAGE_ENVIRONMENT_JS_PATH);
  ASSERT_FALSE(script.empty());

  // Runs of the script in a frame, each in a script context of its own, with
  // the frame's URL of that moment as script URL and line 0.
  auto expectRuns = [&](int64_t frame, const std::string& url, size_t contexts) {
    auto scripts = channel_.Scripts(Target::Frame(frame));
    ASSERT_TRUE(scripts.ok());
    std::vector<int64_t> seen;
    for (const e2e::ScriptRecord& s : *scripts) {
      if (s.code != script)
        continue;
      ASSERT_TRUE(s.context.has_value());
      seen.push_back(*s.context);
      EXPECT_EQ(s.start_line, 0);
      if (seen.size() == contexts) {
        EXPECT_EQ(s.script_url, url);
      }
    }
    EXPECT_EQ(seen.size(), contexts);
    for (size_t i = 1; i < seen.size(); ++i)
      EXPECT_NE(seen[i], seen[i - 1]);
  };

  const int64_t main = MainFrameId();
  {
    SCOPED_TRACE("sub-frame");
    auto sub = channel_.AddFrame("https://play.zelmora.example/inner", "inner");
    ASSERT_TRUE(sub.ok());
    expectRuns(sub->frame, "https://play.zelmora.example/inner", 1);
  }
  {
    SCOPED_TRACE("main frame after a navigation");
    ASSERT_TRUE(channel_.Navigate("https://play.zelmora.example/second").ok());
    expectRuns(main, "https://play.zelmora.example/second", 2);
  }
  // Every frame has cefQuery once the router saw its context.
  auto frames = channel_.Frames();
  ASSERT_TRUE(frames.ok());
  for (const e2e::FrameRecord& f : *frames)
    EXPECT_TRUE(f.has_cef_query) << f;
}

}  // namespace
