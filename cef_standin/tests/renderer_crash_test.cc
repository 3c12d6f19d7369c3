// A crashed renderer: its contexts die without a word to the renderer side,
// the request handler hears OnRenderProcessTerminated, and the next
// navigation starts a new renderer whose router state (and ids) start afresh.

#include "engine_fixture.h"

namespace standin_test {
namespace {

using standin::QueryRecord;
using standin::QueryState;
using Callback = CefMessageRouterBrowserSide::Callback;

class RendererCrashTest : public EngineTest {
 protected:
  int Send(const std::string& request) {
    int id = 0;
    standin::Status status = standin::SendQuery(BrowserId(), 0, request, false, &id);
    EXPECT_TRUE(status.ok()) << status.error;
    return id;
  }
  QueryRecord Record(int id) {
    QueryRecord record;
    EXPECT_TRUE(standin::GetQuery(id, &record).ok());
    return record;
  }
  void Reload(const std::string& url) {
    int navigation = 0;
    ASSERT_TRUE(standin::Navigate(BrowserId(), 0, url, &navigation).ok());
    Pump([&] { return standin::NavigationDone(navigation); });
  }
};

TEST_F(RendererCrashTest, ContextsDieSilentlyAndTheNextNavigationStartsAFreshRenderer) {
  client_->with_request_handler = true;  // forwards the crash to the router
  std::vector<CefRefPtr<Callback>> held;
  client_->on_query = [&](const std::string&, bool, CefRefPtr<Callback> callback) {
    held.push_back(callback);
    return true;
  };
  Open("https://site.example/");
  int64 sub = 0;
  int navigation = 0;
  ASSERT_TRUE(standin::AddFrame(BrowserId(), 0, "sub", "https://sub.example/", &sub,
                                &navigation).ok());
  Pump([&] { return standin::NavigationDone(navigation); });
  const int old_query = Send("before");
  Pump([&] { return held.size() == 1; });
  Events().clear();

  ASSERT_TRUE(standin::CrashRenderer(BrowserId()).ok());
  Pump([&] { return Happened("OnRenderProcessTerminated 2"); });  // TS_PROCESS_CRASHED
  EXPECT_TRUE(EventsStartingWith({"OnContextReleased"}).empty()) << "a dead renderer says nothing";
  EXPECT_TRUE(Happened("OnQueryCanceled 1")) << "the forwarded crash ends the browser side";
  EXPECT_EQ(client_->router->GetPendingCount(client_->browser, nullptr), 0);
  EXPECT_EQ(Record(old_query).state, QueryState::kCanceled) << "no page callback, ever";
  std::vector<standin::FrameInfo> frames;
  ASSERT_TRUE(standin::ListFrames(BrowserId(), &frames).ok());
  ASSERT_EQ(frames.size(), 1u) << "sub-frames went with the renderer";
  EXPECT_EQ(frames[0].url, "https://site.example/");
  EXPECT_FALSE(frames[0].has_query);
  int id = 0;
  EXPECT_EQ(standin::SendQuery(BrowserId(), 0, "x", false, &id).error, "no cefQuery");
  EXPECT_EQ(standin::AddFrame(BrowserId(), 0, "s", "https://s.example/", &sub, &navigation).error,
            "no renderer");

  held.clear();
  Reload("https://site.example/again");
  const int fresh = Send("after");
  EXPECT_EQ(fresh, 1) << "a new renderer counts its request ids from 1";
  Pump([&] { return held.size() == 1; });
  held[0]->Success("fresh answer");
  Pump([&] { return Record(fresh).state == QueryState::kSuccess; });
  EXPECT_EQ(Record(fresh).responses, std::vector<std::string>{"fresh answer"});
}

// 2623 holds back what is sent to a crashed renderer until a navigation
// starts a new one, which has made no page yet: a script or a string document
// reaches no page. That navigation's renderer exists before its request goes
// out, so a failure page put up from OnLoadError takes.
TEST_F(RendererCrashTest, NothingReachesADeadRendererAndANavigationBringsOneBeforeItsRequest) {
  client_->with_request_handler = true;
  Open("https://site.example/");
  CefRefPtr<CefFrame> main = client_->browser->GetMainFrame();
  ASSERT_TRUE(standin::CrashRenderer(BrowserId()).ok());
  Pump([&] { return Happened("OnRenderProcessTerminated 2"); });
  std::vector<standin::ScriptRecord> scripts;
  ASSERT_TRUE(standin::ListScripts(BrowserId(), 0, &scripts).ok());
  const std::size_t before = scripts.size();
  main->ExecuteJavaScript("lost();", "https://site.example/", 0);
  main->LoadString("<p>lost</p>", "https://site.example/");
  Settle();
  ASSERT_TRUE(standin::ListScripts(BrowserId(), 0, &scripts).ok());
  EXPECT_EQ(scripts.size(), before) << "no script runs without a renderer";
  std::vector<standin::FrameInfo> frames;
  ASSERT_TRUE(standin::ListFrames(BrowserId(), &frames).ok());
  EXPECT_EQ(frames[0].document, std::nullopt) << "no string document without a renderer";

  client_->on_load_error = [](CefRefPtr<CefFrame> frame) {
    frame->LoadString("<p>failure page</p>", "https://site.example/");
  };
  ASSERT_TRUE(standin::SetNetwork(true, -106, "net::ERR_INTERNET_DISCONNECTED").ok());
  Reload("https://site.example/");
  Pump([&] {
    return standin::ListFrames(BrowserId(), &frames).ok() && frames[0].document &&
           *frames[0].document == "<p>failure page</p>" && !client_->browser->IsLoading();
  });
  EXPECT_EQ(frames[0].url, "https://site.example/");
  EXPECT_NE(frames[0].context, 0);
  ASSERT_TRUE(standin::SetNetwork(false, 0, "").ok());
}

// A plug-in crash leaves the page and its renderer alive; the request handler
// hears of it from the loop, with the plug-in's path.
TEST_F(RendererCrashTest, APluginCrashIsToldWithItsPath) {
  client_->with_request_handler = true;
  Open("https://site.example/");
  std::vector<standin::FrameInfo> before;
  ASSERT_TRUE(standin::ListFrames(BrowserId(), &before).ok());
  std::string used;
  ASSERT_TRUE(standin::CrashPlugin(BrowserId(), "C:\\game\\pepflashplayer.dll", &used).ok());
  EXPECT_EQ(used, "C:\\game\\pepflashplayer.dll");
  EXPECT_FALSE(Happened("OnPluginCrashed")) << "told from the loop";
  Pump([&] { return Happened("OnPluginCrashed C:\\game\\pepflashplayer.dll"); });
  EXPECT_FALSE(Happened("OnRenderProcessTerminated"));
  std::vector<standin::FrameInfo> after;
  ASSERT_TRUE(standin::ListFrames(BrowserId(), &after).ok());
  EXPECT_EQ(after[0].context, before[0].context) << "the page lives on";
  EXPECT_TRUE(after[0].has_query);
  // Without a path, the Flash plug-in of the command line; this one has none.
  EXPECT_EQ(standin::CrashPlugin(BrowserId(), "", &used).error,
            "no plugin_path and no --ppapi-flash-path on the command line");
}

// What the router's header warns of: without OnRenderProcessTerminated the
// browser side keeps the dead renderer's query, and its late answer is taken
// for the new renderer's request with the same ids.
TEST_F(RendererCrashTest, WithoutForwardingAStaleAnswerReachesTheNewRenderersQuery) {
  std::vector<CefRefPtr<Callback>> held;
  client_->on_query = [&](const std::string&, bool, CefRefPtr<Callback> callback) {
    held.push_back(callback);
    return true;
  };
  Open("https://site.example/");
  Send("old");
  Pump([&] { return held.size() == 1; });
  ASSERT_TRUE(standin::CrashRenderer(BrowserId()).ok());
  Settle();
  EXPECT_EQ(client_->router->GetPendingCount(client_->browser, nullptr), 1) << "left pending";
  Reload("https://site.example/");
  const int fresh = Send("new");
  Pump([&] { return held.size() == 2; });
  held[0]->Success("answer to the old query");
  Pump([&] { return Record(fresh).state != QueryState::kPending; });
  EXPECT_EQ(Record(fresh).responses, std::vector<std::string>{"answer to the old query"});
  held[1]->Failure(1, "done");
  Settle();
}

}  // namespace
}  // namespace standin_test
