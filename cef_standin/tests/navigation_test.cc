// Load events: their order, that they come from the message loop, sub-frames,
// failed loads, and the scripts recorded per frame and context.

#include <thread>

#include "engine_fixture.h"

namespace standin_test {
namespace {

using standin::FrameInfo;
using standin::ScriptRecord;

const std::vector<std::string> kLoadEvents = {
    "OnLoadingStateChange", "OnLoadStart", "OnLoadEnd", "OnLoadError",
    "OnContextCreated",     "OnContextReleased"};

class NavigationTest : public EngineTest {
 protected:
  void Navigate(int64 frame, const std::string& url) {
    int navigation = 0;
    ASSERT_TRUE(standin::Navigate(BrowserId(), frame, url, &navigation).ok());
    Pump([&] { return standin::NavigationDone(navigation); });
  }

  int64 AddFrame(int64 parent, const std::string& name, const std::string& url) {
    int64 frame = 0;
    int navigation = 0;
    EXPECT_TRUE(standin::AddFrame(BrowserId(), parent, name, url, &frame, &navigation).ok());
    Pump([&] { return standin::NavigationDone(navigation); });
    return frame;
  }

  std::vector<FrameInfo> Frames() {
    std::vector<FrameInfo> frames;
    EXPECT_TRUE(standin::ListFrames(BrowserId(), &frames).ok());
    return frames;
  }
};

TEST_F(NavigationTest, FirstLoadFollowsCreationInOrder) {
  Open("https://site.example/start");
  const std::string main = Id(MainFrameId());
  EXPECT_EQ(EventsStartingWith({"OnAfterCreated", "OnLoad", "OnContextCreated"}),
            (std::vector<std::string>{"OnAfterCreated", "OnLoadingStateChange 1",
                                      "OnLoadStart " + main + " https://site.example/start",
                                      "OnContextCreated " + main, "OnLoadEnd " + main + " 200",
                                      "OnLoadingStateChange 0"}));
}

TEST_F(NavigationTest, NavigationReleasesTheOldContextBeforeCreatingTheNew) {
  Open();
  const std::string main = Id(MainFrameId());
  std::vector<FrameInfo> before = Frames();
  Events().clear();
  client_->browser->GetMainFrame()->LoadURL("https://site.example/two");
  EXPECT_TRUE(Events().empty()) << "load events come from the message loop";
  EXPECT_EQ(client_->browser->GetMainFrame()->GetURL().ToString(), "https://site.example/")
      << "the URL changes when the load starts";
  Pump([&] { return Happened("OnLoadingStateChange 0"); });
  EXPECT_EQ(EventsStartingWith(kLoadEvents),
            (std::vector<std::string>{"OnLoadingStateChange 1",
                                      "OnLoadStart " + main + " https://site.example/two",
                                      "OnContextReleased " + main, "OnContextCreated " + main,
                                      "OnLoadEnd " + main + " 200", "OnLoadingStateChange 0"}));
  std::vector<FrameInfo> after = Frames();
  EXPECT_NE(after[0].context, before[0].context);
  EXPECT_EQ(after[0].url, "https://site.example/two");
}

TEST_F(NavigationTest, SubFramesLoadAndGoAwayWithTheirMainDocument) {
  Open();
  const int64 main = MainFrameId();
  Events().clear();
  const int64 child = AddFrame(0, "game", "https://game.example/");
  const int64 grandchild = AddFrame(child, "ad", "https://ads.example/");
  EXPECT_EQ(EventsStartingWith({"OnLoadStart", "OnContextCreated", "OnLoadEnd"}),
            (std::vector<std::string>{
                "OnLoadStart " + Id(child) + " https://game.example/", "OnContextCreated " + Id(child),
                "OnLoadEnd " + Id(child) + " 200",
                "OnLoadStart " + Id(grandchild) + " https://ads.example/",
                "OnContextCreated " + Id(grandchild), "OnLoadEnd " + Id(grandchild) + " 200"}));

  CefRefPtr<CefFrame> frame = client_->browser->GetFrame(grandchild);
  ASSERT_TRUE(frame);
  EXPECT_FALSE(frame->IsMain());
  EXPECT_EQ(frame->GetParent()->GetIdentifier(), child);
  EXPECT_EQ(frame->GetName().ToString(), "ad");
  EXPECT_EQ(client_->browser->GetFrame("game")->GetIdentifier(), child);
  EXPECT_EQ(client_->browser->GetFrameCount(), 3u);

  Events().clear();
  Navigate(0, "https://site.example/next");
  EXPECT_EQ(EventsStartingWith({"OnContextReleased"}),
            (std::vector<std::string>{"OnContextReleased " + Id(grandchild),
                                      "OnContextReleased " + Id(child),
                                      "OnContextReleased " + Id(main)}));
  EXPECT_EQ(client_->browser->GetFrameCount(), 1u);
  EXPECT_FALSE(frame->IsValid());
  EXPECT_FALSE(frame->GetBrowser());
}

// Chromium 49 reports the failure while the old document is still shown, then
// commits its error document (empty in CEF) under the failed URL; the finish
// message carries the error document's own URL.
TEST_F(NavigationTest, FailedLoadReportsTheErrorThenShowsAnEmptyErrorDocument) {
  Open();
  const int64 main = MainFrameId();
  const int old_context = Frames()[0].context;
  client_->on_load_error = [](CefRefPtr<CefFrame> frame) {
    EXPECT_EQ(frame->GetURL().ToString(), "https://site.example/")
        << "the error comes before the error document";
  };
  Events().clear();
  int navigation = 0;
  ASSERT_TRUE(standin::FailLoad(BrowserId(), 0, "https://down.example/", -105,
                                "net::ERR_NAME_NOT_RESOLVED", &navigation).ok());
  Pump([&] { return standin::NavigationDone(navigation); });
  EXPECT_EQ(EventsStartingWith(kLoadEvents),
            (std::vector<std::string>{
                "OnLoadingStateChange 1",
                "OnLoadError " + Id(main) + " -105 net::ERR_NAME_NOT_RESOLVED https://down.example/",
                "OnLoadStart " + Id(main) + " https://down.example/",
                "OnContextReleased " + Id(main), "OnContextCreated " + Id(main),
                "OnLoadEnd " + Id(main) + " 0", "OnLoadingStateChange 0"}));
  std::vector<FrameInfo> after = Frames();
  EXPECT_EQ(after[0].url, "data:text/html,chromewebdata");
  EXPECT_NE(after[0].context, old_context);
  EXPECT_EQ(after[0].document, std::optional<std::string>(""));
  EXPECT_EQ(standin::FailLoad(BrowserId(), 0, "x", -600, "", &navigation).error,
            "bad field: error_code");
}

// 2623's DidFailLoad: a document that committed and then failed to load
// gets OnLoadError and OnLoadEnd with the error code, one after the other.
TEST_F(NavigationTest, AFailureAfterTheCommitEndsTheLoadWithTheErrorCode) {
  Open();
  const std::string main = Id(MainFrameId());
  Events().clear();
  int navigation = 0;
  ASSERT_TRUE(standin::FailLoad(BrowserId(), 0, "https://site.example/half", -101,
                                "net::ERR_CONNECTION_RESET", &navigation, true).ok());
  Pump([&] { return standin::NavigationDone(navigation); });
  EXPECT_EQ(EventsStartingWith(kLoadEvents),
            (std::vector<std::string>{
                "OnLoadingStateChange 1", "OnLoadStart " + main + " https://site.example/half",
                "OnContextReleased " + main, "OnContextCreated " + main,
                "OnLoadError " + main + " -101 net::ERR_CONNECTION_RESET https://site.example/half",
                "OnLoadEnd " + main + " -101", "OnLoadingStateChange 0"}));
  EXPECT_EQ(Frames()[0].url, "https://site.example/half") << "the document stays";
}

// LoadString makes the document in the renderer: no request, so no
// OnBeforeBrowse, and no HTTP status; the frame shows the URL it was given.
// A failure page put there from OnLoadError replaces the error document.
TEST_F(NavigationTest, LoadStringShowsTheMarkupUnderTheGivenUrl) {
  client_->with_request_handler = true;
  Open();
  const int64 main = MainFrameId();
  client_->on_load_error = [](CefRefPtr<CefFrame> frame) {
    frame->LoadString("<p>offline</p>", "https://down.example/");
  };
  Events().clear();
  int navigation = 0;
  ASSERT_TRUE(standin::FailLoad(BrowserId(), 0, "https://down.example/", -106,
                                "net::ERR_INTERNET_DISCONNECTED", &navigation).ok());
  Pump([&] { return standin::NavigationDone(navigation) && Frames()[0].document &&
                    !Frames()[0].document->empty() && !client_->browser->IsLoading(); });
  Settle();
  EXPECT_EQ(EventsStartingWith({"OnBeforeBrowse"}).size(), 1u) << "only the failed request";
  const std::vector<std::string> events = EventsStartingWith({"OnLoadStart", "OnLoadEnd"});
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "OnLoadEnd " + Id(main) + " 0");
  EXPECT_EQ(events[events.size() - 2], "OnLoadStart " + Id(main) + " https://down.example/");
  std::vector<FrameInfo> after = Frames();
  EXPECT_EQ(after[0].url, "https://down.example/");
  EXPECT_EQ(after[0].document, std::optional<std::string>("<p>offline</p>"));
  EXPECT_NE(after[0].context, 0);

  // A page of the network again: nothing of the string is left.
  client_->on_load_error = nullptr;
  Navigate(0, "https://site.example/back");
  EXPECT_EQ(Frames()[0].document, std::nullopt);
}

// While the network is down every request fails after OnBeforeBrowse; a
// LoadString still works, and the next request after it is back succeeds.
TEST_F(NavigationTest, RequestsFailWhileTheNetworkIsDown) {
  Open();
  const int64 main = MainFrameId();
  ASSERT_TRUE(standin::SetNetwork(true, -106, "net::ERR_INTERNET_DISCONNECTED").ok());
  Events().clear();
  client_->browser->Reload();
  Pump([&] { return Happened("OnLoadingStateChange 0"); });
  EXPECT_TRUE(Happened("OnLoadError " + Id(main) +
                       " -106 net::ERR_INTERNET_DISCONNECTED https://site.example/"));
  EXPECT_TRUE(Happened("OnLoadEnd " + Id(main) + " 0"));
  EXPECT_EQ(standin::SetNetwork(true, 0, "").error, "bad field: error_code");

  ASSERT_TRUE(standin::SetNetwork(false, 0, "").ok());
  Events().clear();
  Navigate(0, "https://site.example/");
  EXPECT_FALSE(Happened("OnLoadError"));
  EXPECT_TRUE(Happened("OnLoadEnd " + Id(main) + " 200"));
  EXPECT_EQ(Frames()[0].url, "https://site.example/");
}

// 2623 has no handler for mailto:, tel: or a custom scheme: such a request
// fails like any other, with ERR_UNKNOWN_URL_SCHEME, and Chromium 49 commits
// its (empty) error document. A client that wants to keep its page cancels
// the request in OnBeforeBrowse.
TEST_F(NavigationTest, AnAddressWithoutAHandlerFailsWithAnUnknownScheme) {
  client_->with_request_handler = true;
  Open();
  const std::string main = Id(MainFrameId());
  for (const std::string url : {"mailto:help@site.example", "Steam://run/1", "zelmora-app:x"}) {
    Navigate(0, "https://site.example/");
    Events().clear();
    Navigate(0, url);
    EXPECT_EQ(EventsStartingWith({"OnBeforeBrowse", "OnLoadError", "OnLoadStart"}),
              (std::vector<std::string>{
                  "OnBeforeBrowse " + main + " " + url + " GET ro=1 redirect=0",
                  "OnLoadError " + main + " -302 net::ERR_UNKNOWN_URL_SCHEME " + url,
                  "OnLoadStart " + main + " " + url}))
        << url;
    EXPECT_EQ(Frames()[0].url, "data:text/html,chromewebdata") << url;
  }
  for (const std::string url : {"about:blank", "data:text/html,x", "HTTPS://site.example/up"}) {
    Events().clear();
    Navigate(0, url);
    EXPECT_FALSE(Happened("OnLoadError")) << url;
  }
  client_->canceled_urls.insert("mailto:help@site.example");
  Navigate(0, "https://site.example/kept");
  Events().clear();
  Navigate(0, "mailto:help@site.example");
  EXPECT_EQ(EventsStartingWith({"OnLoadError", "OnLoadStart"}),
            (std::vector<std::string>{"OnLoadError " + main +
                                      " -3 net::ERR_ABORTED mailto:help@site.example"}));
  EXPECT_EQ(Frames()[0].url, "https://site.example/kept");
}

// 2623's renderer-side frame answers on the renderer thread only; the
// browser side's frame answers its identity and URL from any thread.
TEST_F(NavigationTest, TheRendererSidesFrameRefusesCallsOffTheRendererThread) {
  Open("https://site.example/page");
  CefRefPtr<CefFrame> renderer = app_->renderer_frame;
  CefRefPtr<CefFrame> browser_side = client_->browser->GetMainFrame();
  ASSERT_TRUE(renderer);
  EXPECT_EQ(renderer->GetURL().ToString(), "https://site.example/page");
  EXPECT_EQ(renderer->GetIdentifier(), browser_side->GetIdentifier());
  EXPECT_TRUE(renderer->GetV8Context());
  std::size_t scripts_before = 0;
  {
    std::vector<ScriptRecord> scripts;
    ASSERT_TRUE(standin::ListScripts(BrowserId(), 0, &scripts).ok());
    scripts_before = scripts.size();
  }
  std::string off_url, browser_url;
  int64 off_id = -1;
  bool off_valid = true, off_main = true;
  bool off_context = true, off_browser = true;
  std::thread([&] {
    off_url = renderer->GetURL().ToString();
    off_id = renderer->GetIdentifier();
    off_valid = renderer->IsValid();
    off_main = renderer->IsMain();
    off_context = renderer->GetV8Context() != nullptr;
    off_browser = renderer->GetBrowser() != nullptr;
    renderer->ExecuteJavaScript("refused();", "", 0);
    renderer->LoadURL("https://site.example/refused");
    browser_url = browser_side->GetURL().ToString();
  }).join();
  EXPECT_EQ(off_url, "");
  EXPECT_EQ(off_id, 0);
  EXPECT_FALSE(off_valid);
  EXPECT_FALSE(off_main);
  EXPECT_FALSE(off_context);
  EXPECT_FALSE(off_browser);
  EXPECT_EQ(browser_url, "https://site.example/page") << "the browser side's frame answers";
  Settle();
  std::vector<ScriptRecord> scripts;
  ASSERT_TRUE(standin::ListScripts(BrowserId(), 0, &scripts).ok());
  EXPECT_EQ(scripts.size(), scripts_before) << "no script ran";
  EXPECT_EQ(Frames()[0].url, "https://site.example/page") << "no navigation";
}

TEST_F(NavigationTest, ANewerNavigationReplacesOneUnderWay) {
  Open();
  const int64 main = MainFrameId();
  Events().clear();
  int first = 0, second = 0;
  ASSERT_TRUE(standin::Navigate(BrowserId(), 0, "https://site.example/a", &first).ok());
  ASSERT_TRUE(standin::Navigate(BrowserId(), 0, "https://site.example/b", &second).ok());
  Pump([&] { return standin::NavigationDone(first) && standin::NavigationDone(second); });
  Settle();
  EXPECT_FALSE(Happened("OnLoadStart " + Id(main) + " https://site.example/a"));
  EXPECT_EQ(EventsStartingWith({"OnLoadingStateChange", "OnLoadEnd", "OnLoadError"}),
            (std::vector<std::string>{
                "OnLoadingStateChange 1",
                "OnLoadError " + Id(main) + " -3 net::ERR_ABORTED https://site.example/a",
                "OnLoadEnd " + Id(main) + " 200", "OnLoadingStateChange 0"}))
      << "the replaced navigation is aborted";
  EXPECT_FALSE(client_->browser->IsLoading());
}

TEST_F(NavigationTest, ScriptsAreRecordedPerFrameWithTheirContext) {
  Open("https://site.example/");
  CefRefPtr<CefFrame> main = client_->browser->GetMainFrame();
  const int first_context = Frames()[0].context;
  main->ExecuteJavaScript("one();", "https://site.example/", 0);
  Navigate(0, "https://site.example/again");
  main->ExecuteJavaScript("two();", "https://script.example/x.js", 12);
  const int64 sub = AddFrame(0, "f", "https://f.example/");
  client_->browser->GetFrame(sub)->ExecuteJavaScript("three();", "", 0);

  std::vector<ScriptRecord> scripts;
  ASSERT_TRUE(standin::ListScripts(BrowserId(), 0, &scripts).ok());
  ASSERT_EQ(scripts.size(), 2u);
  EXPECT_EQ(scripts[0].code, "one();");
  EXPECT_EQ(scripts[0].script_url, "https://site.example/");
  EXPECT_EQ(scripts[0].start_line, 0);
  EXPECT_EQ(scripts[0].context, first_context);
  EXPECT_EQ(scripts[1].code, "two();");
  EXPECT_EQ(scripts[1].script_url, "https://script.example/x.js");
  EXPECT_EQ(scripts[1].start_line, 12);
  EXPECT_EQ(scripts[1].context, Frames()[0].context);
  ASSERT_TRUE(standin::ListScripts(BrowserId(), sub, &scripts).ok());
  ASSERT_EQ(scripts.size(), 1u);
  EXPECT_EQ(scripts[0].code, "three();");
}

// Every navigation asks the request handler first: the first load, LoadURL,
// a page's navigation, a sub-frame, a reload and a failing load.
TEST_F(NavigationTest, OnBeforeBrowseComesBeforeEveryLoad) {
  client_->with_request_handler = true;
  Open("https://site.example/start");
  const std::string main = Id(MainFrameId());
  EXPECT_EQ(EventsStartingWith({"OnLoadingStateChange", "OnBeforeBrowse", "OnLoadStart"}),
            (std::vector<std::string>{
                "OnLoadingStateChange 1",
                "OnBeforeBrowse " + main + " https://site.example/start GET ro=1 redirect=0",
                "OnLoadStart " + main + " https://site.example/start", "OnLoadingStateChange 0"}));
  Events().clear();
  client_->browser->GetMainFrame()->LoadURL("https://site.example/two");
  Pump([&] { return Happened("OnLoadingStateChange 0"); });
  Navigate(0, "https://site.example/three");
  const int64 sub = AddFrame(0, "ad", "https://ads.example/");
  Events().clear();
  client_->browser->Reload();
  Pump([&] { return Happened("OnLoadingStateChange 0"); });
  int navigation = 0;
  ASSERT_TRUE(standin::FailLoad(BrowserId(), 0, "https://down.example/", -105,
                                "net::ERR_NAME_NOT_RESOLVED", &navigation).ok());
  Pump([&] { return standin::NavigationDone(navigation); });
  EXPECT_EQ(EventsStartingWith({"OnBeforeBrowse"}),
            (std::vector<std::string>{
                "OnBeforeBrowse " + main + " https://site.example/three GET ro=1 redirect=0",
                "OnBeforeBrowse " + main + " https://down.example/ GET ro=1 redirect=0"}));
  EXPECT_NE(sub, 0);
}

TEST_F(NavigationTest, ANavigationCancelledInOnBeforeBrowseFailsAndKeepsThePage) {
  client_->with_request_handler = true;
  Open("https://site.example/");
  const std::string main = Id(MainFrameId());
  const int context = Frames()[0].context;
  client_->canceled_urls.insert("https://blocked.example/");
  Events().clear();
  client_->browser->GetMainFrame()->LoadURL("https://blocked.example/");
  Pump([&] { return Happened("OnLoadingStateChange 0"); });
  EXPECT_EQ(EventsStartingWith(kLoadEvents),
            (std::vector<std::string>{
                "OnLoadingStateChange 1",
                "OnLoadError " + main + " -3 net::ERR_ABORTED https://blocked.example/",
                "OnLoadingStateChange 0"}));
  EXPECT_EQ(Frames()[0].url, "https://site.example/");
  EXPECT_EQ(Frames()[0].context, context) << "the document stays";
}

}  // namespace
}  // namespace standin_test
