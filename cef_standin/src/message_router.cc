// Both sides of the message router, as 2623's wrapper has them. They talk only
// through process messages, so they behave as they would with a real renderer
// process between them:
//   query    renderer -> browser  [frame_id_low, frame_id_high, is_main_frame,
//                                  context_id, request_id, request, persistent]
//   success  browser -> renderer  [context_id, request_id, true, response]
//   failure  browser -> renderer  [context_id, request_id, false, error_code, error_message]
//   cancel   renderer -> browser  [context_id, request_id]  (request_id 0: the whole context)

#include "include/wrapper/cef_message_router.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "browser_impl.h"
#include "include/cef_task.h"
#include "renderer_routers.h"
#include "ui_thread.h"
#include "v8_context_impl.h"

namespace standin {

namespace {

// Ids 0 are reserved: request id 0 in a cancel message means "every request".
constexpr int kReservedId = 0;

// What the page hears whenever the router itself ends a query.
constexpr int kCanceledErrorCode = -1;
const char kCanceledErrorMessage[] = "The query has been canceled";

std::string MessageName(const CefString& function) {
  return function.ToString() + "Msg";
}

// Counters skip the reserved id when they wrap.
template <typename T>
class IdGenerator {
 public:
  T Next() {
    T id = ++last_;
    if (id == kReservedId)
      id = ++last_;
    return id;
  }

 private:
  T last_ = kReservedId;
};

// --- browser side -----------------------------------------------------------

class BrowserSideRouter;

// Success and Failure always reach the router as posted UI tasks, even when
// called on the UI thread; a non-persistent callback is spent by its first
// Success, every callback by Failure or by the router detaching it.
class QueryCallback : public CefMessageRouterBrowserSide::Callback {
 public:
  QueryCallback(CefRefPtr<BrowserSideRouter> router, int browser_id, int64 query_id,
                bool persistent)
      : router_(router),
        browser_id_(browser_id),
        query_id_(query_id),
        persistent_(persistent) {}

  void Success(const CefString& response) override;
  void Failure(int error_code, const CefString& error_message) override;

  // UI thread.
  void Detach() { router_ = NULL; }

 private:
  using Answer = std::function<void(BrowserSideRouter*, int browser_id, int64 query_id)>;
  // UI thread: the answer reaches the router as a task of its own; a spending
  // answer leaves this callback without a router.
  void PostAnswer(const Answer& answer, bool spends);

  CefRefPtr<BrowserSideRouter> router_;  // null once spent or detached
  const int browser_id_;
  const int64 query_id_;
  const bool persistent_;

  IMPLEMENT_REFCOUNTING(QueryCallback);
};

class BrowserSideRouter : public CefMessageRouterBrowserSide {
 public:
  explicit BrowserSideRouter(const CefMessageRouterConfig& config)
      : query_message_(MessageName(config.js_query_function)),
        cancel_message_(MessageName(config.js_cancel_function)) {}

  bool AddHandler(Handler* handler, bool first) override;
  bool RemoveHandler(Handler* handler) override;
  void CancelPending(CefRefPtr<CefBrowser> browser, Handler* handler) override;
  int GetPendingCount(CefRefPtr<CefBrowser> browser, Handler* handler) override;
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) override;
  void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser) override;
  void OnBeforeBrowse(CefRefPtr<CefBrowser> browser,
                      CefRefPtr<CefFrame> frame) override;
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                CefProcessId source_process,
                                CefRefPtr<CefProcessMessage> message) override;

  // UI thread, from posted callback tasks.
  void OnCallbackSuccess(int browser_id, int64 query_id, const CefString& response);
  void OnCallbackFailure(int browser_id, int64 query_id, int error_code,
                         const CefString& error_message);

 private:
  // A query some handler took; made only once OnQuery returned true.
  struct Query {
    CefRefPtr<CefBrowser> browser;
    int64 frame_id = 0;
    bool is_main_frame = false;
    int context_id = 0;
    int request_id = 0;
    bool persistent = false;
    CefRefPtr<QueryCallback> callback;
    Handler* handler = nullptr;
  };
  using QueryKey = std::pair<int, int64>;  // (browser id, query id)

  void HandleQuery(CefRefPtr<CefBrowser> browser, CefRefPtr<CefListValue> args);
  void HandleCancel(CefRefPtr<CefBrowser> browser, CefRefPtr<CefListValue> args);
  void CancelQuery(int64 query_id, const Query& query, bool notify_renderer);
  // Ends every query of the browser (null: all) taken by the handler (null: any).
  void CancelPendingFor(CefRefPtr<CefBrowser> browser, Handler* handler,
                        bool notify_renderer);
  CefRefPtr<CefFrame> FrameOf(const Query& query) const;
  void SendSuccess(CefRefPtr<CefBrowser> browser, int context_id, int request_id,
                   const CefString& response);
  void SendFailure(CefRefPtr<CefBrowser> browser, int context_id, int request_id,
                   int error_code, const CefString& error_message);

  const std::string query_message_;
  const std::string cancel_message_;
  // 2623 keeps handlers in a std::set of pointers: AddHandler's "first" has no
  // effect there, and the order in which handlers are asked is pointer order.
  std::set<Handler*> handlers_;
  std::map<QueryKey, Query> queries_;
  IdGenerator<int64> query_ids_;
};

void QueryCallback::Success(const CefString& response) {
  CefString copy = response;
  if (!CefCurrentlyOn(TID_UI)) {
    CefRefPtr<QueryCallback> self(this);
    PostUiTask([self, copy] { self->Success(copy); });
    return;
  }
  PostAnswer(
      [copy](BrowserSideRouter* router, int browser_id, int64 query_id) {
        router->OnCallbackSuccess(browser_id, query_id, copy);
      },
      !persistent_);
}

void QueryCallback::Failure(int error_code, const CefString& error_message) {
  CefString copy = error_message;
  if (!CefCurrentlyOn(TID_UI)) {
    CefRefPtr<QueryCallback> self(this);
    PostUiTask([self, error_code, copy] { self->Failure(error_code, copy); });
    return;
  }
  PostAnswer(
      [error_code, copy](BrowserSideRouter* router, int browser_id, int64 query_id) {
        router->OnCallbackFailure(browser_id, query_id, error_code, copy);
      },
      true);
}

void QueryCallback::PostAnswer(const Answer& answer, bool spends) {
  if (!router_)
    return;
  CefRefPtr<BrowserSideRouter> router = router_;
  const int browser_id = browser_id_;
  const int64 query_id = query_id_;
  PostUiTask([router, browser_id, query_id, answer] {
    answer(router.get(), browser_id, query_id);
  });
  if (spends)
    router_ = NULL;
}

bool BrowserSideRouter::AddHandler(Handler* handler, bool /*first*/) {
  return handlers_.insert(handler).second;
}

bool BrowserSideRouter::RemoveHandler(Handler* handler) {
  if (handlers_.erase(handler) == 0)
    return false;
  CancelPendingFor(NULL, handler, true);
  return true;
}

void BrowserSideRouter::CancelPending(CefRefPtr<CefBrowser> browser,
                                      Handler* handler) {
  CancelPendingFor(browser, handler, true);
}

int BrowserSideRouter::GetPendingCount(CefRefPtr<CefBrowser> browser,
                                       Handler* handler) {
  int count = 0;
  for (const auto& entry : queries_) {
    if ((!browser || entry.first.first == browser->GetIdentifier()) &&
        (!handler || entry.second.handler == handler))
      ++count;
  }
  return count;
}

void BrowserSideRouter::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  CancelPendingFor(browser, nullptr, false);
}

void BrowserSideRouter::OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser) {
  CancelPendingFor(browser, nullptr, false);
}

void BrowserSideRouter::OnBeforeBrowse(CefRefPtr<CefBrowser> browser,
                                       CefRefPtr<CefFrame> frame) {
  if (frame->IsMain())
    CancelPendingFor(browser, nullptr, false);
}

bool BrowserSideRouter::OnProcessMessageReceived(
    CefRefPtr<CefBrowser> browser, CefProcessId /*source_process*/,
    CefRefPtr<CefProcessMessage> message) {
  const std::string name = message->GetName();
  if (name == query_message_) {
    HandleQuery(browser, message->GetArgumentList());
    return true;
  }
  if (name == cancel_message_) {
    HandleCancel(browser, message->GetArgumentList());
    return true;
  }
  return false;
}

void BrowserSideRouter::HandleQuery(CefRefPtr<CefBrowser> browser,
                                    CefRefPtr<CefListValue> args) {
  const int64 frame_id = CefInt64Set(args->GetInt(0), args->GetInt(1));
  const bool is_main_frame = args->GetBool(2);
  const int context_id = args->GetInt(3);
  const int request_id = args->GetInt(4);
  const CefString request = args->GetString(5);
  const bool persistent = args->GetBool(6);

  if (handlers_.empty()) {
    SendFailure(browser, context_id, request_id, kCanceledErrorCode,
                kCanceledErrorMessage);
    return;
  }

  const int browser_id = browser->GetIdentifier();
  const int64 query_id = query_ids_.Next();
  CefRefPtr<CefFrame> frame =
      is_main_frame ? browser->GetMainFrame() : browser->GetFrame(frame_id);
  CefRefPtr<QueryCallback> callback =
      new QueryCallback(this, browser_id, query_id, persistent);

  // A handler may add or remove handlers while it runs: ask a copy.
  const std::set<Handler*> handlers = handlers_;
  Handler* taker = nullptr;
  for (Handler* handler : handlers) {
    if (handler->OnQuery(browser, frame, query_id, request, persistent, callback.get())) {
      taker = handler;
      break;
    }
  }

  if (!taker) {
    // Whatever the handlers did with the callback is void now; an answer one
    // of them already gave finds no query when its task runs.
    callback->Detach();
    SendFailure(browser, context_id, request_id, kCanceledErrorCode,
                kCanceledErrorMessage);
    return;
  }
  // The callback's answers are posted, so recording the query now is in time.
  Query query;
  query.browser = browser;
  query.frame_id = frame_id;
  query.is_main_frame = is_main_frame;
  query.context_id = context_id;
  query.request_id = request_id;
  query.persistent = persistent;
  query.callback = callback;
  query.handler = taker;
  queries_[QueryKey(browser_id, query_id)] = query;
}

void BrowserSideRouter::HandleCancel(CefRefPtr<CefBrowser> browser,
                                     CefRefPtr<CefListValue> args) {
  const int browser_id = browser->GetIdentifier();
  const int context_id = args->GetInt(0);
  const int request_id = args->GetInt(1);
  for (auto it = queries_.begin(); it != queries_.end();) {
    if (it->first.first == browser_id && it->second.context_id == context_id &&
        (request_id == kReservedId || it->second.request_id == request_id)) {
      const int64 query_id = it->first.second;
      const Query query = it->second;
      it = queries_.erase(it);
      CancelQuery(query_id, query, false);
      if (request_id != kReservedId)
        return;  // one request named: stop at the first match
    } else {
      ++it;
    }
  }
}

CefRefPtr<CefFrame> BrowserSideRouter::FrameOf(const Query& query) const {
  return query.is_main_frame ? query.browser->GetMainFrame()
                             : query.browser->GetFrame(query.frame_id);
}

void BrowserSideRouter::CancelQuery(int64 query_id, const Query& query,
                                    bool notify_renderer) {
  if (notify_renderer) {
    SendFailure(query.browser, query.context_id, query.request_id, kCanceledErrorCode,
                kCanceledErrorMessage);
  }
  query.handler->OnQueryCanceled(query.browser, FrameOf(query), query_id);
  query.callback->Detach();
}

void BrowserSideRouter::CancelPendingFor(CefRefPtr<CefBrowser> browser,
                                         Handler* handler, bool notify_renderer) {
  if (!CefCurrentlyOn(TID_UI)) {
    CefRefPtr<BrowserSideRouter> self(this);
    PostUiTask([self, browser, handler, notify_renderer] {
      self->CancelPendingFor(browser, handler, notify_renderer);
    });
    return;
  }
  for (auto it = queries_.begin(); it != queries_.end();) {
    if ((!browser || it->first.first == browser->GetIdentifier()) &&
        (!handler || it->second.handler == handler)) {
      const int64 query_id = it->first.second;
      const Query query = it->second;
      it = queries_.erase(it);
      CancelQuery(query_id, query, notify_renderer);
    } else {
      ++it;
    }
  }
}

void BrowserSideRouter::OnCallbackSuccess(int browser_id, int64 query_id,
                                          const CefString& response) {
  auto it = queries_.find(QueryKey(browser_id, query_id));
  if (it == queries_.end())
    return;
  const Query query = it->second;
  if (!query.persistent)
    queries_.erase(it);
  SendSuccess(query.browser, query.context_id, query.request_id, response);
}

void BrowserSideRouter::OnCallbackFailure(int browser_id, int64 query_id,
                                          int error_code,
                                          const CefString& error_message) {
  auto it = queries_.find(QueryKey(browser_id, query_id));
  if (it == queries_.end())
    return;
  const Query query = it->second;
  queries_.erase(it);
  SendFailure(query.browser, query.context_id, query.request_id, error_code,
              error_message);
}

void BrowserSideRouter::SendSuccess(CefRefPtr<CefBrowser> browser, int context_id,
                                    int request_id, const CefString& response) {
  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(query_message_);
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  args->SetInt(0, context_id);
  args->SetInt(1, request_id);
  args->SetBool(2, true);
  args->SetString(3, response);
  browser->SendProcessMessage(PID_RENDERER, message);
}

void BrowserSideRouter::SendFailure(CefRefPtr<CefBrowser> browser, int context_id,
                                    int request_id, int error_code,
                                    const CefString& error_message) {
  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(query_message_);
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  args->SetInt(0, context_id);
  args->SetInt(1, request_id);
  args->SetBool(2, false);
  args->SetInt(3, error_code);
  args->SetString(4, error_message);
  browser->SendProcessMessage(PID_RENDERER, message);
}

// --- renderer side ----------------------------------------------------------

// One renderer-side router serves every browser here; each browser's part
// stands for the router of that browser's renderer process, so when the
// renderer crashed (a new generation) that part starts afresh: its pending
// requests are gone without a callback and its ids count from 1 again.
class RendererSideRouter;

// UI thread (the stand-in's render thread).
std::set<RendererSideRouter*>& LiveRendererRouters() {
  static std::set<RendererSideRouter*> routers;
  return routers;
}

class RendererSideRouter : public CefMessageRouterRendererSide {
 public:
  explicit RendererSideRouter(const CefMessageRouterConfig& config)
      : query_function_(config.js_query_function.ToString()),
        cancel_function_(config.js_cancel_function.ToString()),
        query_message_(MessageName(config.js_query_function)),
        cancel_message_(MessageName(config.js_cancel_function)) {
    LiveRendererRouters().insert(this);
  }
  ~RendererSideRouter() override { LiveRendererRouters().erase(this); }

  void Forget(int browser_id) { states_.erase(browser_id); }

  int GetPendingCount(CefRefPtr<CefBrowser> browser,
                      CefRefPtr<CefV8Context> context) override;
  void OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                        CefRefPtr<CefV8Context> context) override;
  void OnContextReleased(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                         CefRefPtr<CefV8Context> context) override;
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                CefProcessId source_process,
                                CefRefPtr<CefProcessMessage> message) override;

 private:
  struct Request {
    bool persistent = false;
    std::shared_ptr<PageCallbacks> callbacks;
  };
  using RequestKey = std::pair<int, int>;  // (context id, request id)
  struct RendererState {
    int generation = 0;
    std::map<int, CefRefPtr<CefV8Context>> contexts;  // ids made on first use
    std::map<RequestKey, Request> requests;
    IdGenerator<int> context_ids;
    IdGenerator<int> request_ids;
  };

  // The state of the browser's current renderer, fresh after a crash.
  RendererState& StateOf(CefRefPtr<CefBrowser> browser);
  int ContextId(RendererState& state, CefRefPtr<CefV8Context> context, bool create);
  int SendQuery(CefRefPtr<V8ContextImpl> context, const PageQuery& query);
  bool SendCancel(CefRefPtr<CefBrowser> browser, int context_id, int request_id);
  void ExecuteReply(int browser_id, int generation, int context_id, int request_id,
                    bool success, const std::string& response, int error_code);

  const std::string query_function_;
  const std::string cancel_function_;
  const std::string query_message_;
  const std::string cancel_message_;
  std::map<int, RendererState> states_;  // by browser id
};

RendererSideRouter::RendererState& RendererSideRouter::StateOf(
    CefRefPtr<CefBrowser> browser) {
  BrowserImpl* impl = static_cast<BrowserImpl*>(browser.get());
  RendererState& state = states_[browser->GetIdentifier()];
  if (state.generation != impl->renderer_generation()) {
    RendererState fresh;
    fresh.generation = impl->renderer_generation();
    // The old requests die with their process: no page callback runs.
    std::swap(state, fresh);
  }
  return state;
}

int RendererSideRouter::ContextId(RendererState& state, CefRefPtr<CefV8Context> context,
                                  bool create) {
  for (const auto& entry : state.contexts) {
    if (entry.second->IsSame(context))
      return entry.first;
  }
  if (!create)
    return kReservedId;
  const int id = state.context_ids.Next();
  state.contexts[id] = context;
  return id;
}

int RendererSideRouter::GetPendingCount(CefRefPtr<CefBrowser> browser,
                                        CefRefPtr<CefV8Context> context) {
  auto count_in = [&](RendererState& state) {
    const int context_id = context ? ContextId(state, context, false) : kReservedId;
    if (context && context_id == kReservedId)
      return 0;
    int count = 0;
    for (const auto& entry : state.requests) {
      if (context_id == kReservedId || entry.first.first == context_id)
        ++count;
    }
    return count;
  };
  if (browser)
    return count_in(StateOf(browser));
  int count = 0;
  for (auto& entry : states_)
    count += count_in(entry.second);
  return count;
}

void RendererSideRouter::OnContextCreated(CefRefPtr<CefBrowser> /*browser*/,
                                          CefRefPtr<CefFrame> /*frame*/,
                                          CefRefPtr<CefV8Context> context) {
  CefRefPtr<V8ContextImpl> impl = dynamic_cast<V8ContextImpl*>(context.get());
  if (!impl)
    return;
  // The functions live in the context, which the router outlives or releases.
  CefRefPtr<RendererSideRouter> self(this);
  V8ContextImpl* target = impl.get();
  impl->SetQueryFunction(query_function_, [self, target](const PageQuery& query) {
    return self->SendQuery(target, query);
  });
  impl->SetCancelFunction(cancel_function_, [self, target](int request_id) {
    CefRefPtr<CefBrowser> browser = target->GetBrowser();
    if (!browser || request_id == kReservedId)
      return false;
    RendererState& state = self->StateOf(browser);
    return self->SendCancel(browser, self->ContextId(state, target, true), request_id);
  });
}

void RendererSideRouter::OnContextReleased(CefRefPtr<CefBrowser> browser,
                                           CefRefPtr<CefFrame> /*frame*/,
                                           CefRefPtr<CefV8Context> context) {
  RendererState& state = StateOf(browser);
  const int context_id = ContextId(state, context, false);
  if (context_id == kReservedId)
    return;
  state.contexts.erase(context_id);
  SendCancel(browser, context_id, kReservedId);
}

bool RendererSideRouter::OnProcessMessageReceived(
    CefRefPtr<CefBrowser> browser, CefProcessId /*source_process*/,
    CefRefPtr<CefProcessMessage> message) {
  if (message->GetName().ToString() != query_message_)
    return false;
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  const int browser_id = browser->GetIdentifier();
  const int generation = StateOf(browser).generation;
  const int context_id = args->GetInt(0);
  const int request_id = args->GetInt(1);
  const bool success = args->GetBool(2);
  const std::string text = args->GetString(success ? 3 : 4).ToString();
  const int error_code = success ? 0 : args->GetInt(3);
  // 2623 runs the page's callback in a task of its own on the render thread.
  CefRefPtr<RendererSideRouter> self(this);
  CefRefPtr<CefBrowser> keep(browser);
  PostUiTask([self, keep, browser_id, generation, context_id, request_id, success, text,
              error_code] {
    self->ExecuteReply(browser_id, generation, context_id, request_id, success, text,
                       error_code);
  });
  return true;
}

int RendererSideRouter::SendQuery(CefRefPtr<V8ContextImpl> context,
                                  const PageQuery& query) {
  CefRefPtr<CefBrowser> browser = context->GetBrowser();
  CefRefPtr<CefFrame> frame = context->GetFrame();
  if (!browser || !frame)
    return kReservedId;
  RendererState& state = StateOf(browser);
  const int context_id = ContextId(state, context.get(), true);
  const int request_id = state.request_ids.Next();
  Request request;
  request.persistent = query.persistent;
  request.callbacks = query.callbacks;
  state.requests[RequestKey(context_id, request_id)] = request;

  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(query_message_);
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  const int64 frame_id = frame->GetIdentifier();
  args->SetInt(0, CefInt64GetLow(frame_id));
  args->SetInt(1, CefInt64GetHigh(frame_id));
  args->SetBool(2, frame->IsMain());
  args->SetInt(3, context_id);
  args->SetInt(4, request_id);
  args->SetString(5, query.request);
  args->SetBool(6, query.persistent);
  browser->SendProcessMessage(PID_BROWSER, message);
  return request_id;
}

bool RendererSideRouter::SendCancel(CefRefPtr<CefBrowser> browser, int context_id,
                                    int request_id) {
  RendererState& state = StateOf(browser);
  int canceled = 0;
  for (auto it = state.requests.begin(); it != state.requests.end();) {
    if (it->first.first == context_id &&
        (request_id == kReservedId || it->first.second == request_id)) {
      it = state.requests.erase(it);
      ++canceled;
    } else {
      ++it;
    }
  }
  if (canceled == 0)
    return false;
  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(cancel_message_);
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  args->SetInt(0, context_id);
  args->SetInt(1, request_id);
  browser->SendProcessMessage(PID_BROWSER, message);
  return true;
}

void RendererSideRouter::ExecuteReply(int browser_id, int generation, int context_id,
                                      int request_id, bool success,
                                      const std::string& text, int error_code) {
  auto found_state = states_.find(browser_id);
  if (found_state == states_.end() || found_state->second.generation != generation)
    return;
  RendererState& state = found_state->second;
  auto it = state.requests.find(RequestKey(context_id, request_id));
  if (it == state.requests.end())
    return;  // cancelled meanwhile
  const Request request = it->second;
  if (!success || !request.persistent)
    state.requests.erase(it);
  auto context = state.contexts.find(context_id);
  if (context == state.contexts.end() || !request.callbacks)
    return;
  ScopedCurrentContext current(dynamic_cast<V8ContextImpl*>(context->second.get()));
  if (success)
    request.callbacks->OnSuccess(text);
  else
    request.callbacks->OnFailure(error_code, text);
}

}  // namespace

void ForgetRendererOfBrowser(int browser_id) {
  // Copied: dropping a page's callbacks may run code that releases a router.
  const std::set<RendererSideRouter*> routers = LiveRendererRouters();
  for (RendererSideRouter* router : routers) {
    if (LiveRendererRouters().count(router))
      router->Forget(browser_id);
  }
}

namespace {

bool ValidConfig(const CefMessageRouterConfig& config) {
  return !config.js_query_function.empty() && !config.js_cancel_function.empty();
}

}  // namespace

}  // namespace standin

CefMessageRouterConfig::CefMessageRouterConfig()
    : js_query_function("cefQuery"), js_cancel_function("cefQueryCancel") {}

CefRefPtr<CefMessageRouterBrowserSide> CefMessageRouterBrowserSide::Create(
    const CefMessageRouterConfig& config) {
  if (!standin::ValidConfig(config))
    return NULL;
  return new standin::BrowserSideRouter(config);
}

CefRefPtr<CefMessageRouterRendererSide> CefMessageRouterRendererSide::Create(
    const CefMessageRouterConfig& config) {
  if (!standin::ValidConfig(config))
    return NULL;
  return new standin::RendererSideRouter(config);
}
