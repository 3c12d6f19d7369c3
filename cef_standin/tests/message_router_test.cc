// Both sides of the message router, talking through process messages between
// the test client (browser side) and the test application (renderer side).

#include <thread>

#include "engine_fixture.h"

namespace standin_test {
namespace {

using standin::QueryRecord;
using standin::QueryState;
using Callback = CefMessageRouterBrowserSide::Callback;

const char kCanceled[] = "The query has been canceled";

class MessageRouterTest : public EngineTest {};

TEST_F(MessageRouterTest, AnswersReachThePageAndEndOrKeepTheQuery) {
  struct Case {
    const char* name;
    bool persistent;
    std::function<void(CefRefPtr<Callback>)> answer;  // null: decline
    bool take;  // what OnQuery returns after answering
    QueryState state;
    std::vector<std::string> responses;
    bool has_error;
    int error_code;
    std::string error_message;
    int pending_after;  // router's pending count once the page has the answer
  };
  const Case cases[] = {
      {"success", false, [](CefRefPtr<Callback> c) { c->Success("pong"); }, true,
       QueryState::kSuccess, {"pong"}, false, 0, "", 0},
      {"failure", false, [](CefRefPtr<Callback> c) { c->Failure(7, "nope"); }, true,
       QueryState::kFailure, {}, true, 7, "nope", 0},
      {"second answer ignored", false,
       [](CefRefPtr<Callback> c) { c->Success("a"); c->Success("b"); c->Failure(1, "x"); },
       true, QueryState::kSuccess, {"a"}, false, 0, "", 0},
      {"persistent keeps going", true,
       [](CefRefPtr<Callback> c) { c->Success("1"); c->Success("2"); }, true,
       QueryState::kPending, {"1", "2"}, false, 0, "", 1},
      {"persistent ended by failure", true,
       [](CefRefPtr<Callback> c) { c->Success("1"); c->Failure(-5, "end"); }, true,
       QueryState::kFailure, {"1"}, true, -5, "end", 0},
      {"declined", false, nullptr, false, QueryState::kFailure, {}, true, -1, kCanceled, 0},
      // Answers are posted and the query is recorded only when a handler took
      // it: an answer given by a handler that then declines never arrives.
      {"answered, then declined", false, [](CefRefPtr<Callback> c) { c->Success("lost"); },
       false, QueryState::kFailure, {}, true, -1, kCanceled, 0},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    client_->on_query = [&c](const std::string&, bool, CefRefPtr<Callback> callback) {
      if (!c.answer)
        return false;
      c.answer(callback);
      return c.take;
    };
    QueryRecord record = Query(c.name, c.persistent, 0, c.responses.size());
    Settle();
    ASSERT_TRUE(standin::GetQuery(record.id, &record).ok());
    EXPECT_EQ(record.state, c.state);
    EXPECT_EQ(record.responses, c.responses);
    EXPECT_EQ(record.has_error, c.has_error);
    EXPECT_EQ(record.error_code, c.error_code);
    EXPECT_EQ(record.error_message, c.error_message);
    EXPECT_EQ(client_->router->GetPendingCount(client_->browser, nullptr), c.pending_after);
    client_->router->CancelPending(nullptr, nullptr);
    Settle();
  }
}

// As 2623 hands them over: a received message is read-only while its handler
// runs and detached once it returned.
TEST_F(MessageRouterTest, AReceivedMessageIsReadOnlyAndDetachedAfterItsHandler) {
  bool read_only_inside = false;
  client_->on_query = [&](const std::string&, bool, CefRefPtr<Callback> callback) {
    read_only_inside = client_->received.back()->IsReadOnly() &&
                       client_->received.back()->GetArgumentList()->IsReadOnly();
    callback->Success("ok");
    return true;
  };
  Open();
  int id = 0;
  ASSERT_TRUE(standin::SendQuery(BrowserId(), 0, "x", false, &id).ok());
  Pump([&] {
    QueryRecord record;
    return standin::GetQuery(id, &record).ok() && record.state == QueryState::kSuccess;
  });
  ASSERT_FALSE(client_->received.empty());
  EXPECT_TRUE(read_only_inside);
  for (const CefRefPtr<CefProcessMessage>& message : client_->received) {
    EXPECT_FALSE(message->IsValid());
    EXPECT_FALSE(message->GetArgumentList());
  }
}

TEST_F(MessageRouterTest, RequestIdsCountFromOneAndFrameIdsSurviveTheTrip) {
  Open();
  int first = 0, second = 0;
  ASSERT_TRUE(standin::SendQuery(BrowserId(), 0, "a", false, &first).ok());
  ASSERT_TRUE(standin::SendQuery(BrowserId(), 0, "b", false, &second).ok());
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  Settle();
  // Frame ids use the high 32 bits; the router splits and joins them.
  EXPECT_GT(MainFrameId(), 0xFFFFFFFFll);
  EXPECT_TRUE(Happened("OnQuery 1 " + Id(MainFrameId()) + " a 0"));
  EXPECT_TRUE(Happened("OnQuery 2 " + Id(MainFrameId()) + " b 0"));
}

TEST_F(MessageRouterTest, NoQueryFunctionBeforeTheRendererRouterSawTheContext) {
  app_->with_router = false;
  Open();
  int id = 0;
  EXPECT_EQ(standin::SendQuery(BrowserId(), 0, "x", false, &id).error, "no cefQuery");
  std::vector<standin::FrameInfo> frames;
  ASSERT_TRUE(standin::ListFrames(BrowserId(), &frames).ok());
  EXPECT_FALSE(frames[0].has_query);
  EXPECT_NE(frames[0].context, 0);
}

// 2623 keeps its handlers in a std::set<Handler*>: they are asked in pointer
// order, and AddHandler's "first" changes nothing.
TEST_F(MessageRouterTest, HandlersAreAskedInPointerOrderAndRemovedOnesCancelTheirQueries) {
  Open();
  struct Named : public CefMessageRouterBrowserSide::Handler {
    std::string name;
    bool take;
    Named(std::string n, bool t) : name(std::move(n)), take(t) {}
    bool OnQuery(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, int64, const CefString&, bool,
                 CefRefPtr<Callback>) override {
      Record("asked " + name);
      return take;
    }
    void OnQueryCanceled(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, int64 id) override {
      Record("canceled " + name + " " + Id(id));
    }
  };
  Named handlers[] = {Named("low", false), Named("middle", false), Named("high", true)};
  CefRefPtr<CefMessageRouterBrowserSide> router = client_->router;
  ASSERT_TRUE(router->RemoveHandler(client_.get()));
  EXPECT_TRUE(router->AddHandler(&handlers[2], true));
  EXPECT_TRUE(router->AddHandler(&handlers[0], false));
  EXPECT_TRUE(router->AddHandler(&handlers[1], true));
  EXPECT_FALSE(router->AddHandler(&handlers[1], false)) << "already added";
  Events().clear();

  int id = 0;
  ASSERT_TRUE(standin::SendQuery(BrowserId(), 0, "q", false, &id).ok());
  Settle();
  EXPECT_EQ(EventsStartingWith({"asked"}),
            (std::vector<std::string>{"asked low", "asked middle", "asked high"}));
  EXPECT_EQ(router->GetPendingCount(client_->browser, &handlers[2]), 1);

  EXPECT_TRUE(router->RemoveHandler(&handlers[2]));
  EXPECT_FALSE(router->RemoveHandler(&handlers[2]));
  EXPECT_TRUE(Happened("canceled high 1"));
  QueryRecord record;
  Pump([&] { return standin::GetQuery(id, &record).ok() && record.state != QueryState::kPending; });
  EXPECT_EQ(record.error_code, -1) << "a removed handler's queries fail on the page";
  EXPECT_EQ(record.error_message, kCanceled);
  router->RemoveHandler(&handlers[0]);
  router->RemoveHandler(&handlers[1]);
  router->AddHandler(client_.get(), false);
}

TEST_F(MessageRouterTest, PageCancelReachesTheHandlerWithoutAPageCallback) {
  Open();
  client_->on_query = [](const std::string&, bool, CefRefPtr<Callback>) { return true; };
  int id = 0;
  ASSERT_TRUE(standin::SendQuery(BrowserId(), 0, "hold", true, &id).ok());
  Settle();
  bool canceled = false;
  ASSERT_TRUE(standin::CancelQuery(BrowserId(), 0, id, &canceled).ok());
  EXPECT_TRUE(canceled);
  ASSERT_TRUE(standin::CancelQuery(BrowserId(), 0, id, &canceled).ok());
  EXPECT_FALSE(canceled) << "nothing left to cancel";
  Pump([&] { return Happened("OnQueryCanceled 1"); });
  QueryRecord record;
  ASSERT_TRUE(standin::GetQuery(id, &record).ok());
  EXPECT_EQ(record.state, QueryState::kCanceled);
  EXPECT_FALSE(record.has_error);
  EXPECT_EQ(client_->router->GetPendingCount(NULL, NULL), 0);
}

TEST_F(MessageRouterTest, NavigationReleasesTheContextAndItsQueries) {
  Open();
  client_->on_query = [](const std::string&, bool, CefRefPtr<Callback>) { return true; };
  int id = 0;
  ASSERT_TRUE(standin::SendQuery(BrowserId(), 0, "hold", false, &id).ok());
  Settle();
  EXPECT_EQ(app_->router->GetPendingCount(client_->browser, NULL), 1);
  client_->browser->GetMainFrame()->LoadURL("https://site.example/other");
  Pump([&] { return Happened("OnQueryCanceled 1"); });
  QueryRecord record;
  ASSERT_TRUE(standin::GetQuery(id, &record).ok());
  EXPECT_EQ(record.state, QueryState::kCanceled);
  EXPECT_EQ(app_->router->GetPendingCount(client_->browser, NULL), 0);
}

TEST_F(MessageRouterTest, CloseCancelsPendingQueriesWithoutPageCallbacks) {
  Open();
  client_->on_query = [](const std::string&, bool, CefRefPtr<Callback>) { return true; };
  int first = 0, second = 0;
  ASSERT_TRUE(standin::SendQuery(BrowserId(), 0, "one", false, &first).ok());
  ASSERT_TRUE(standin::SendQuery(BrowserId(), 0, "two", true, &second).ok());
  Settle();
  Events().clear();
  client_->browser->GetHost()->CloseBrowser(false);
  Pump([&] { return client_->closed; });
  Settle();
  EXPECT_EQ(EventsStartingWith({"OnBeforeClose", "OnQueryCanceled", "OnContextReleased"}),
            (std::vector<std::string>{"OnBeforeClose", "OnQueryCanceled 1", "OnQueryCanceled 2",
                                      "OnContextReleased " + Id(MainFrameId())}));
  for (int id : {first, second}) {
    QueryRecord record;
    ASSERT_TRUE(standin::GetQuery(id, &record).ok());
    EXPECT_FALSE(record.has_error) << "no onFailure for a closing browser";
    EXPECT_TRUE(record.responses.empty());
  }
}

TEST_F(MessageRouterTest, BrowserLevelCancelsDropQueriesWithoutTellingThePage) {
  Open();
  int64 sub = 0;
  int navigation = 0;
  ASSERT_TRUE(standin::AddFrame(BrowserId(), 0, "sub", "https://sub.example/", &sub,
                                &navigation).ok());
  Pump([&] { return standin::NavigationDone(navigation); });
  struct Case {
    const char* name;
    std::function<void(CefRefPtr<CefMessageRouterBrowserSide>, CefRefPtr<CefBrowser>)> hook;
    bool cancels;
  };
  const Case cases[] = {
      {"OnBeforeClose", [](auto r, auto b) { r->OnBeforeClose(b); }, true},
      {"OnRenderProcessTerminated", [](auto r, auto b) { r->OnRenderProcessTerminated(b); }, true},
      {"OnBeforeBrowse main", [](auto r, auto b) { r->OnBeforeBrowse(b, b->GetMainFrame()); }, true},
      {"OnBeforeBrowse sub-frame",
       [sub](auto r, auto b) { r->OnBeforeBrowse(b, b->GetFrame(sub)); }, false},
  };
  client_->on_query = [](const std::string&, bool, CefRefPtr<Callback>) { return true; };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int id = 0;
    ASSERT_TRUE(standin::SendQuery(BrowserId(), sub, "hold", false, &id).ok());
    Pump([&] { return client_->router->GetPendingCount(client_->browser, nullptr) == 1; });
    Events().clear();
    c.hook(client_->router, client_->browser);
    Settle();
    EXPECT_EQ(Events().size(), c.cancels ? 1u : 0u);
    EXPECT_EQ(client_->router->GetPendingCount(client_->browser, nullptr), c.cancels ? 0 : 1);
    QueryRecord record;
    ASSERT_TRUE(standin::GetQuery(id, &record).ok());
    EXPECT_EQ(record.state, QueryState::kPending) << "the page is not told";
    client_->router->CancelPending(client_->browser, nullptr);
    Settle();
  }
}

TEST_F(MessageRouterTest, CallbackFromAnotherThreadIsAnsweredOnTheUiThread) {
  Open();
  CefRefPtr<Callback> kept;
  client_->on_query = [&](const std::string&, bool, CefRefPtr<Callback> callback) {
    kept = callback;
    return true;
  };
  int id = 0;
  ASSERT_TRUE(standin::SendQuery(BrowserId(), 0, "later", false, &id).ok());
  Pump([&] { return kept.get() != nullptr; });
  std::thread worker([&] { kept->Success("from a worker"); });
  worker.join();
  QueryRecord record;
  Pump([&] { return standin::GetQuery(id, &record).ok() && record.state != QueryState::kPending; });
  EXPECT_EQ(record.responses, std::vector<std::string>{"from a worker"});
}

TEST(MessageRouterCreateTest, EmptyFunctionNamesGiveNoRouter) {
  struct Case {
    const char* query;
    const char* cancel;
    bool created;
  };
  const Case cases[] = {
      {"cefQuery", "cefQueryCancel", true},
      {"", "cefQueryCancel", false},
      {"cefQuery", "", false},
      {"myQuery", "myCancel", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.query) + "/" + c.cancel);
    CefMessageRouterConfig config;
    config.js_query_function = c.query;
    config.js_cancel_function = c.cancel;
    EXPECT_EQ(CefMessageRouterBrowserSide::Create(config).get() != nullptr, c.created);
    EXPECT_EQ(CefMessageRouterRendererSide::Create(config).get() != nullptr, c.created);
  }
  CefMessageRouterConfig defaults;
  EXPECT_EQ(defaults.js_query_function.ToString(), "cefQuery");
  EXPECT_EQ(defaults.js_cancel_function.ToString(), "cefQueryCancel");
}

}  // namespace
}  // namespace standin_test
