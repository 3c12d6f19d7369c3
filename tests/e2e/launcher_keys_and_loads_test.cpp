// The player's keys and the page loads, as the launcher meets them: full
// screen, the page's reload and zoom functions, and the embedded page script
// after each main-frame load on the game site.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "product_config.h"
#include "running_launcher.h"
#include "support/resources.h"
#include "support/screen.h"

namespace {

using e2e::Target;

// The host the launcher compares page addresses with.
std::string SiteHost() {
  std::string host = ZLM_SITE_URL;
  const auto scheme = host.find("://");
  if (scheme != std::string::npos)
    host.erase(0, scheme + 3);
  return host.substr(0, host.find('/'));
}

class LauncherKeysTest : public RunningLauncherTest {};

TEST_F(LauncherKeysTest, F11CoversTheMonitorAndEscapeBringsTheWindowBack) {
  HWND window = MainWindow();
  ASSERT_NE(window, nullptr);
  const auto before = e2e::DescribeWindow(window);
  ASSERT_TRUE(before.has_value());
  const auto monitor = e2e::MonitorRectOf(window);
  ASSERT_TRUE(monitor.has_value());

  auto escape = channel_.PressKey(VK_ESCAPE);
  ASSERT_TRUE(escape.ok());
  EXPECT_TRUE(*escape) << "outside full screen Escape belongs to the page";

  auto f11 = channel_.PressKey(VK_F11);
  ASSERT_TRUE(f11.ok());
  EXPECT_FALSE(*f11);
  EXPECT_TRUE(e2e::WaitForWindow(
      window,
      [&](const e2e::WindowInfo& w) {
        return w.window_rect == *monitor && w.client_screen_rect == w.window_rect;
      },
      "covering the whole monitor without a frame"));

  escape = channel_.PressKey(VK_ESCAPE);
  ASSERT_TRUE(escape.ok());
  EXPECT_FALSE(*escape) << "in full screen Escape is the launcher's";
  EXPECT_TRUE(e2e::WaitForWindow(
      window,
      [&](const e2e::WindowInfo& w) {
        return w.window_rect == before->window_rect &&
               w.client_screen_rect == before->client_screen_rect;
      },
      "back in its own rectangle and frame"));
}

TEST_F(LauncherKeysTest, ReloadAndZoomKeysCallThePageInTheMainFrame) {
  const int64_t main = MainFrameId();
  const std::string url = UrlOf(main);
  struct Case {
    const char* name;
    int key;
    int modifiers;
    const char* call;  // null: the key reaches the page
  } cases[] = {
      {"F5", VK_F5, 0, "window.zlmReload&&window.zlmReload();"},
      {"Shift+F5", VK_F5, e2e::kShift, "window.zlmReload&&window.zlmReload();"},
      {"Ctrl+Plus", VK_OEM_PLUS, e2e::kControl, "window.zlmZoomIn&&window.zlmZoomIn();"},
      {"Ctrl+Shift+numpad Add", VK_ADD, e2e::kControl | e2e::kShift,
       "window.zlmZoomIn&&window.zlmZoomIn();"},
      {"Ctrl+Minus", VK_OEM_MINUS, e2e::kControl, "window.zlmZoomOut&&window.zlmZoomOut();"},
      {"Ctrl+Alt+0", '0', e2e::kControl | e2e::kAlt,
       "window.zlmZoomReset&&window.zlmZoomReset();"},
      {"Plus alone", VK_OEM_PLUS, 0, nullptr},
      {"Ctrl+A", 'A', e2e::kControl, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto before = channel_.Scripts(Target::Frame(main));
    ASSERT_TRUE(before.ok());
    auto reached = channel_.PressKey(c.key, c.modifiers);
    ASSERT_TRUE(reached.ok());
    EXPECT_EQ(*reached, c.call == nullptr);
    auto after = channel_.Scripts(Target::Frame(main));
    ASSERT_TRUE(after.ok());
    ASSERT_EQ(after->size(), before->size() + (c.call ? 1 : 0));
    if (c.call) {
      EXPECT_EQ(after->back().code, c.call);
      EXPECT_EQ(after->back().script_url, url);
      EXPECT_EQ(after->back().start_line, 0);
    }
  }
}

class LauncherLoadTest : public RunningLauncherTest {
 protected:
  // The runs of the embedded page script in the frame, oldest first.
  std::vector<e2e::ScriptRecord> EmbeddedRuns(int64_t frame) {
    static const std::string script = ReadWholeFile(PAGE_SCRIPT_JS_PATH);
    EXPECT_FALSE(script.empty());
    std::vector<e2e::ScriptRecord> runs;
    auto scripts = channel_.Scripts(Target::Frame(frame));
    EXPECT_TRUE(scripts.ok());
    if (scripts)
      for (const e2e::ScriptRecord& s : *scripts)
        if (s.code == script)
          runs.push_back(s);
    return runs;
  }
};

TEST_F(LauncherLoadTest, EmbeddedScriptRunsAfterEveryMainFrameLoadOfTheSiteOnly) {
  const int64_t main = MainFrameId();
  std::vector<e2e::ScriptRecord> runs = EmbeddedRuns(main);
  ASSERT_EQ(runs.size(), 1u) << "after the start page";
  EXPECT_EQ(runs[0].script_url, ZLM_SITE_URL);
  EXPECT_EQ(runs[0].start_line, 0);

  std::string upper = "https://" + SiteHost() + "/";
  for (char& ch : upper)
    ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
  const std::string next = std::string(ZLM_SITE_URL) + "next";
  struct Step {
    const char* what;
    std::string url;  // empty: reload
    int status;
    bool runs;
  } steps[] = {
      {"a site page", next, 200, true},
      {"its reload", "", 200, true},
      {"a missing site page", std::string(ZLM_SITE_URL) + "missing", 404, true},
      {"a foreign page", "https://elsewhere.example/", 200, false},
      {"the site only in the query", "https://elsewhere.example/?back=" + SiteHost(), 200, true},
      {"the site in other letter case", upper, 200, false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const size_t count = EmbeddedRuns(main).size();
    auto done = step.url.empty() ? channel_.Reload() : channel_.Navigate(step.url, {}, e2e::kLoadWait, step.status);
    ASSERT_TRUE(done.ok());
    ASSERT_TRUE(*done);
    runs = EmbeddedRuns(main);
    ASSERT_EQ(runs.size(), count + (step.runs ? 1 : 0));
    if (step.runs) {
      EXPECT_EQ(runs.back().script_url, UrlOf(main));
      EXPECT_EQ(runs.back().start_line, 0);
    }
  }

  ASSERT_TRUE(channel_.Navigate(ZLM_SITE_URL).ok());
  auto sub = channel_.AddFrame(std::string(ZLM_SITE_URL) + "frame", "inner");
  ASSERT_TRUE(sub.ok());
  EXPECT_TRUE(EmbeddedRuns(sub->frame).empty()) << "sub-frames never get it";
}

// A copy of the executable without resource 200: the pages and keys work, and
// nothing runs after a load ends.
class LauncherWithoutPageScriptTest : public LauncherLoadTest {
 protected:
  void PrepareExecutable(const std::wstring& exe) override {
    ASSERT_TRUE(e2e::RemoveResource(exe, RT_RCDATA, 200));
  }
};

TEST_F(LauncherWithoutPageScriptTest, PagesAndKeysWorkAndNothingRunsAfterLoads) {
  const int64_t main = MainFrameId();
  ASSERT_TRUE(channel_.Navigate(std::string(ZLM_SITE_URL) + "again").ok());
  auto scripts = channel_.Scripts(Target::Frame(main));
  ASSERT_TRUE(scripts.ok());
  const std::string environment = ReadWholeFile(PAGE_ENVIRONMENT_JS_PATH);
  for (const e2e::ScriptRecord& s : *scripts)
    EXPECT_EQ(s.code, environment) << "only the environment script, at context creation";
  EXPECT_EQ(scripts->size(), 2u);
  auto f5 = channel_.PressKey(VK_F5);
  ASSERT_TRUE(f5.ok());
  EXPECT_FALSE(*f5) << "keys still work";
}

}  // namespace
