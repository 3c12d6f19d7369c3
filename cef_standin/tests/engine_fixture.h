// In-process test rig for the engine: an application and a client that record
// every callback as a line of text, and a fixture that starts and stops the
// engine around each test.
#ifndef CEF_STANDIN_TESTS_ENGINE_FIXTURE_H_
#define CEF_STANDIN_TESTS_ENGINE_FIXTURE_H_

#include <windows.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "include/cef_app.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"
#include "include/cef_request_handler.h"
#include "include/cef_task.h"
#include "include/wrapper/cef_message_router.h"
#include "standin/page.h"

namespace standin_test {

// Callback lines in the order the engine made the calls.
inline std::vector<std::string>& Events() {
  static std::vector<std::string> events;
  return events;
}

// Callbacks on other threads (OnBeforePopup runs on the IO thread) record too;
// tests read the list on the UI thread once those callbacks are done.
inline void Record(const std::string& line) {
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  Events().push_back(line);
}

inline bool Happened(const std::string& line) {
  return std::find(Events().begin(), Events().end(), line) != Events().end();
}

// The events whose text starts with one of the prefixes, in order.
inline std::vector<std::string> EventsStartingWith(
    const std::vector<std::string>& prefixes) {
  std::vector<std::string> out;
  for (const std::string& e : Events()) {
    for (const std::string& p : prefixes) {
      if (e.compare(0, p.size(), p) == 0) {
        out.push_back(e);
        break;
      }
    }
  }
  return out;
}

inline std::string Id(int64 id) {
  return std::to_string(id);
}

class TestApp : public CefApp,
                public CefBrowserProcessHandler,
                public CefRenderProcessHandler {
 public:
  bool with_router = true;
  CefRefPtr<CefMessageRouterRendererSide> router;
  // The frame the renderer side was last given in OnContextCreated.
  CefRefPtr<CefFrame> renderer_frame;
  CefRefPtr<CefCommandLine> command_line;  // the last one handed to the app

  void OnBeforeCommandLineProcessing(const CefString& process_type,
                                     CefRefPtr<CefCommandLine> line) override {
    Record("OnBeforeCommandLineProcessing '" + process_type.ToString() + "'");
    command_line = line;
    line->AppendSwitchWithValue("standin-test", "on");
  }
  CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() override {
    return this;
  }
  CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() override {
    return this;
  }
  void OnContextInitialized() override { Record("OnContextInitialized"); }

  // One router per renderer process, as CEF's own samples keep it: a renderer
  // that starts after a crash begins with a fresh one.
  void OnWebKitInitialized() override {
    Record("OnWebKitInitialized");
    if (with_router)
      router = CefMessageRouterRendererSide::Create(CefMessageRouterConfig());
  }

  void OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                        CefRefPtr<CefV8Context> context) override {
    Record("OnContextCreated " + Id(frame->GetIdentifier()));
    renderer_frame = frame;
    if (router)
      router->OnContextCreated(browser, frame, context);
  }
  void OnContextReleased(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                         CefRefPtr<CefV8Context> context) override {
    Record("OnContextReleased " + Id(frame->GetIdentifier()));
    if (router)
      router->OnContextReleased(browser, frame, context);
  }
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                CefProcessId source_process,
                                CefRefPtr<CefProcessMessage> message) override {
    return router &&
           router->OnProcessMessageReceived(browser, source_process, message);
  }

 private:
  IMPLEMENT_REFCOUNTING(TestApp);
};

using QueryFn = std::function<bool(const std::string& request, bool persistent,
                                   CefRefPtr<CefMessageRouterBrowserSide::Callback>)>;

class TestClient : public CefClient,
                   public CefLifeSpanHandler,
                   public CefLoadHandler,
                   public CefKeyboardHandler,
                   public CefRequestHandler,
                   public CefMessageRouterBrowserSide::Handler {
 public:
  // Behaviour a test may change.
  bool do_close = false;
  bool cancel_popups = true;
  bool quit_on_close = false;
  bool with_request_handler = false;
  std::set<std::string> canceled_urls;  // OnBeforeBrowse cancels these
  std::set<int> taken_keys;
  QueryFn on_query;
  std::function<void()> during_popup;  // runs inside OnBeforePopup (IO thread)
  std::function<void(CefRefPtr<CefFrame>)> on_load_error;  // runs inside OnLoadError
  // Every process message the browser side received, kept past its handler.
  std::vector<CefRefPtr<CefProcessMessage>> received;

  CefRefPtr<CefBrowser> browser;
  std::vector<CefRefPtr<CefBrowser>> popups;  // opened by the engine, oldest first
  CefRefPtr<CefMessageRouterBrowserSide> router;
  bool closed = false;

  CefRefPtr<CefKeyboardHandler> GetKeyboardHandler() override { return this; }
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() override { return this; }
  CefRefPtr<CefRequestHandler> GetRequestHandler() override {
    return with_request_handler ? this : nullptr;
  }
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> b, CefProcessId source,
                                CefRefPtr<CefProcessMessage> message) override {
    received.push_back(message);
    return router && router->OnProcessMessageReceived(b, source, message);
  }

  bool OnBeforePopup(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                     const CefString& target_url, const CefString& target_frame_name,
                     CefLifeSpanHandler::WindowOpenDisposition disposition, bool user_gesture,
                     const CefPopupFeatures&, CefWindowInfo&, CefRefPtr<CefClient>& client,
                     CefBrowserSettings&, bool* no_javascript_access) override {
    Record("OnBeforePopup " + Id(frame ? frame->GetIdentifier() : 0) + " " +
           target_url.ToString() + " '" + target_frame_name.ToString() + "' " +
           std::to_string(disposition) + " " + std::to_string(user_gesture) +
           " client=" + std::to_string(client.get() == this) +
           " nojs=" + std::to_string(no_javascript_access && !*no_javascript_access) +
           " io=" + std::to_string(CefCurrentlyOn(TID_IO)) +
           " ui=" + std::to_string(CefCurrentlyOn(TID_UI)));
    if (during_popup)
      during_popup();
    return cancel_popups;
  }
  void OnAfterCreated(CefRefPtr<CefBrowser> b) override {
    // The first browser is the test's; pop-ups the engine opens are kept apart.
    if (b->IsPopup()) {
      Record("OnAfterCreated popup");
      popups.push_back(b);
    } else {
      Record("OnAfterCreated");
      browser = b;
    }
    if (!router) {
      router = CefMessageRouterBrowserSide::Create(CefMessageRouterConfig());
      router->AddHandler(this, false);
    }
  }
  bool DoClose(CefRefPtr<CefBrowser>) override {
    Record("DoClose");
    return do_close;
  }
  void OnBeforeClose(CefRefPtr<CefBrowser> b) override {
    if (b->IsPopup()) {
      Record("OnBeforeClose popup");
      if (router)
        router->OnBeforeClose(b);
      return;
    }
    Record("OnBeforeClose");
    if (router) {
      router->OnBeforeClose(b);
      router->RemoveHandler(this);
    }
    closed = true;
    if (quit_on_close)
      CefQuitMessageLoop();
  }

  void OnLoadingStateChange(CefRefPtr<CefBrowser>, bool loading, bool, bool) override {
    Record("OnLoadingStateChange " + std::to_string(loading));
  }
  void OnLoadStart(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame) override {
    Record("OnLoadStart " + Id(frame->GetIdentifier()) + " " + frame->GetURL().ToString());
  }
  void OnLoadEnd(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, int status) override {
    Record("OnLoadEnd " + Id(frame->GetIdentifier()) + " " + std::to_string(status));
  }
  void OnLoadError(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, ErrorCode code,
                   const CefString& text, const CefString& url) override {
    Record("OnLoadError " + Id(frame->GetIdentifier()) + " " + std::to_string(code) +
           " " + text.ToString() + " " + url.ToString());
    if (on_load_error)
      on_load_error(frame);
  }

  bool OnPreKeyEvent(CefRefPtr<CefBrowser>, const CefKeyEvent& event, CefEventHandle os_event,
                     bool*) override {
    Record("OnPreKeyEvent " + KeyText(event, os_event));
    return event.type == KEYEVENT_RAWKEYDOWN && taken_keys.count(event.windows_key_code);
  }
  bool OnKeyEvent(CefRefPtr<CefBrowser>, const CefKeyEvent& event,
                  CefEventHandle os_event) override {
    Record("OnKeyEvent " + KeyText(event, os_event));
    return false;
  }

  bool OnBeforeBrowse(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                      CefRefPtr<CefRequest> request, bool is_redirect) override {
    const std::string url = request->GetURL().ToString();
    Record("OnBeforeBrowse " + Id(frame->GetIdentifier()) + " " + url + " " +
           request->GetMethod().ToString() + " ro=" + std::to_string(request->IsReadOnly()) +
           " redirect=" + std::to_string(is_redirect));
    return canceled_urls.count(url) != 0;
  }
  void OnPluginCrashed(CefRefPtr<CefBrowser>, const CefString& plugin_path) override {
    Record("OnPluginCrashed " + plugin_path.ToString());
  }
  void OnRenderProcessTerminated(CefRefPtr<CefBrowser>, TerminationStatus status) override {
    Record("OnRenderProcessTerminated " + std::to_string(status));
    if (router)
      router->OnRenderProcessTerminated(browser);
  }

  bool OnQuery(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, int64 query_id,
               const CefString& request, bool persistent,
               CefRefPtr<Callback> callback) override {
    Record("OnQuery " + Id(query_id) + " " + Id(frame ? frame->GetIdentifier() : 0) + " " +
           request.ToString() + " " + std::to_string(persistent));
    return on_query && on_query(request.ToString(), persistent, callback);
  }
  void OnQueryCanceled(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, int64 query_id) override {
    Record("OnQueryCanceled " + Id(query_id));
  }

 private:
  static std::string KeyText(const CefKeyEvent& event, CefEventHandle os_event) {
    return std::to_string(event.type) + " " + std::to_string(event.windows_key_code) +
           " mods=" + std::to_string(event.modifiers & 0xE) +
           " sys=" + std::to_string(event.is_system_key) +
           " msg=" + std::to_string(os_event ? os_event->message : 0);
  }

  IMPLEMENT_REFCOUNTING(TestClient);
};

// Starts the engine with a TestApp; every test leaves it shut down.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Events().clear();
    app_ = new TestApp();
    client_ = new TestClient();
    CefSettings settings;
    ASSERT_TRUE(CefInitialize(CefMainArgs(GetModuleHandleW(nullptr)), settings, app_.get(),
                              nullptr));
  }

  void TearDown() override {
    const std::size_t popups = client_->popups.size();
    for (CefRefPtr<CefBrowser>& popup : client_->popups)
      popup->GetHost()->CloseBrowser(true);
    Pump([&] {
      return static_cast<std::size_t>(std::count(Events().begin(), Events().end(),
                                                 "OnBeforeClose popup")) >= popups;
    });
    client_->popups.clear();
    if (client_->browser && !client_->closed) {
      client_->do_close = false;
      client_->browser->GetHost()->CloseBrowser(true);
      Pump([&] { return client_->closed; });
    }
    client_->browser = NULL;
    standin::SetNetwork(false, 0, "");
    CefShutdown();
  }

  // Runs the loop until done() holds; fails the test after a generous bound.
  bool Pump(const std::function<bool()>& done, int timeout_ms = 5000) {
    bool ok = standin::PumpUntil(done, timeout_ms);
    EXPECT_TRUE(ok) << "timed out waiting";
    return ok;
  }

  // Lets every task queued so far (and those they queue) run.
  void Settle() { standin::PumpUntil([] { return false; }, 100); }

  // Opens a browser on url and waits until it has loaded.
  CefRefPtr<CefBrowser> Open(const std::string& url = "https://site.example/") {
    CefWindowInfo info;
    info.SetAsPopup(NULL, "test");
    info.x = 10;
    info.y = 10;
    info.width = 400;
    info.height = 300;
    EXPECT_TRUE(CefBrowserHost::CreateBrowser(info, client_.get(), url, CefBrowserSettings(),
                                              NULL));
    Pump([&] { return client_->browser && !client_->browser->IsLoading() &&
                      Happened("OnLoadingStateChange 0"); });
    return client_->browser;
  }

  int BrowserId() { return client_->browser ? client_->browser->GetIdentifier() : 0; }
  int64 MainFrameId() { return client_->browser->GetMainFrame()->GetIdentifier(); }

  // Sends a query from the frame (0: main) and waits until it settled.
  standin::QueryRecord Query(const std::string& request, bool persistent = false,
                             int64 frame = 0, size_t min_responses = 1) {
    int id = 0;
    standin::Status status =
        standin::SendQuery(BrowserId(), frame, request, persistent, &id);
    EXPECT_TRUE(status.ok()) << status.error;
    standin::QueryRecord record;
    Pump([&] {
      return standin::GetQuery(id, &record).ok() &&
             (record.state != standin::QueryState::kPending ||
              record.responses.size() >= min_responses);
    });
    return record;
  }

  CefRefPtr<TestApp> app_;
  CefRefPtr<TestClient> client_;
};

}  // namespace standin_test

#endif  // CEF_STANDIN_TESTS_ENGINE_FIXTURE_H_
