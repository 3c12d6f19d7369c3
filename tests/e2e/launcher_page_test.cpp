// The launcher as the page and the player meet it: pop-ups, the bridge, the
// page environment script. Driven through the stand-in engine's page channel.

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "page_channel.h"
#include "product_config.h"
#include "process.h"
#include "temp_dir.h"
#include "window_info.h"

namespace {

using e2e::QueryState;
using e2e::Target;

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class LauncherPageTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.IsValid()) << dir_.error();
    ASSERT_TRUE(dir_.CopyIn(LAUNCHER_EXE));
    ASSERT_TRUE(launcher_.Start(dir_.PathOf(e2e::FileNameOf(LAUNCHER_EXE)), {}, dir_.path()));
    ASSERT_TRUE(channel_.Connect(launcher_));
    auto ready = channel_.WaitReady();
    ASSERT_TRUE(ready.ok());
    ASSERT_TRUE(*ready) << "the start page never got cefQuery";
  }

  void TearDown() override {
    if (launcher_.IsRunning()) {
      channel_.CloseBrowser();
      const auto code = launcher_.WaitForExit();
      ASSERT_TRUE(code.has_value()) << "the launcher did not end after its window closed";
      EXPECT_EQ(*code, 0);
    }
  }

  int64_t MainFrameId() {
    auto frames = channel_.Frames();
    EXPECT_TRUE(frames.ok());
    return frames && !frames->empty() ? frames->front().id : 0;
  }

  std::string UrlOf(int64_t frame) {
    auto frames = channel_.Frames();
    if (frames)
      for (const e2e::FrameRecord& f : *frames)
        if (f.id == frame)
          return f.url;
    return "<no such frame>";
  }

  e2e::TempDir dir_;
  e2e::Process launcher_;
  e2e::PageChannel channel_;
};

TEST_F(LauncherPageTest, StartsOnTheGameSite) {
  EXPECT_EQ(UrlOf(MainFrameId()), ZLM_SITE_URL);
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
    EXPECT_TRUE(popup->canceled);
    EXPECT_FALSE(popup->opened);
    EXPECT_TRUE(e2e::PollUntil([&] { return UrlOf(c.frame) == c.url; })) << UrlOf(c.frame);
    if (c.frame != main)
      EXPECT_EQ(UrlOf(main), mainUrlBefore);
    EXPECT_EQ(e2e::TopLevelWindows(launcher_.id()).size(), 1u);
  }
}

TEST_F(LauncherPageTest, QueriesReachTheBrowserSideAndAreDeclined) {
  for (const char* request : {"acc:list", "win:close", "no such command"}) {
    auto q = channel_.Query(request);
    ASSERT_TRUE(q.ok()) << request;
    EXPECT_EQ(q->state, QueryState::kFailure) << *q;
    EXPECT_EQ(q->error_code, -1);
    EXPECT_EQ(q->error_message, "The query has been canceled");
  }
}

TEST_F(LauncherPageTest, PageEnvironmentScriptRunsInEveryFrameContext) {
  const std::string script = ReadFile(PAGE_ENVIRONMENT_JS_PATH);
  ASSERT_FALSE(script.empty());
  auto sub = channel_.AddFrame("https://play.zelmora.example/inner", "inner");
  ASSERT_TRUE(sub.ok());
  ASSERT_TRUE(channel_.Navigate("https://play.zelmora.example/second").ok());

  const struct {
    const char* who;
    int64_t frame;
    size_t contexts;  // script contexts the frame has had so far
  } cases[] = {{"main frame", MainFrameId(), 2}, {"sub-frame", sub->frame, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.who);
    auto scripts = channel_.Scripts(Target::Frame(c.frame));
    ASSERT_TRUE(scripts.ok());
    size_t runs = 0;
    for (const e2e::ScriptRecord& s : *scripts) {
      if (s.code != script)
        continue;
      ++runs;
      EXPECT_EQ(s.start_line, 0);
      EXPECT_TRUE(s.context.has_value());
    }
    EXPECT_EQ(runs, c.contexts);
  }
  // The script URL is the frame's own URL at the time its context was created.
  auto scripts = channel_.Scripts(Target::Frame(sub->frame));
  ASSERT_TRUE(scripts.ok() && !scripts->empty());
  EXPECT_EQ(scripts->back().script_url, "https://play.zelmora.example/inner");
  // And every frame has cefQuery once the router saw its context.
  auto frames = channel_.Frames();
  ASSERT_TRUE(frames.ok());
  for (const e2e::FrameRecord& f : *frames)
    EXPECT_TRUE(f.has_cef_query) << f;
}

}  // namespace
