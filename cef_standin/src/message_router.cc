// Both sides of the message router. They talk only through process messages, so
// they behave as they would with a real renderer process between them:
//   query    renderer -> browser  [frame_id_low, frame_id_high, context_id, request_id, request, persistent]
//   success  browser -> renderer  [context_id, request_id, true, response]
//   failure  browser -> renderer  [context_id, request_id, false, error_code, error_message]
//   cancel   renderer -> browser  [context_id, request_id]  (request_id 0: the whole context)

#include "include/wrapper/cef_message_router.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "include/cef_task.h"
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

// --- browser side -----------------------------------------------------------

class BrowserSideRouter;

class QueryCallback : public CefMessageRouterBrowserSide::Callback {
 public:
  QueryCallback(BrowserSideRouter* router, int64 query_id)
      : router_(router), query_id_(query_id) {}

  void Success(const CefString& response) override;
  void Failure(int error_code, const CefString& error_message) override;

  // UI thread: the query ended; later calls do nothing.
  void Detach() { router_ = nullptr; }

 private:
  BrowserSideRouter* router_;  // not owned; null once detached
  const int64 query_id_;

  IMPLEMENT_REFCOUNTING(QueryCallback);
};

class BrowserSideRouter : public CefMessageRouterBrowserSide {
 public:
  explicit BrowserSideRouter(const CefMessageRouterConfig& config)
      : query_message_(MessageName(config.js_query_function)),
        cancel_message_(MessageName(config.js_cancel_function)) {}

  ~BrowserSideRouter() override {
    for (auto& entry : queries_)
      entry.second.callback->Detach();
  }

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

  void OnCallbackSuccess(int64 query_id, const CefString& response);
  void OnCallbackFailure(int64 query_id, int error_code,
                         const CefString& error_message);

 private:
  struct Query {
    CefRefPtr<CefBrowser> browser;
    int64 frame_id = 0;
    int context_id = 0;
    int request_id = 0;
    bool persistent = false;
    CefRefPtr<QueryCallback> callback;
    Handler* handler = nullptr;  // the one that took it
  };

  bool HasHandler(Handler* handler) const {
    return std::find(handlers_.begin(), handlers_.end(), handler) != handlers_.end();
  }
  void HandleQuery(CefRefPtr<CefBrowser> browser, CefRefPtr<CefListValue> args);
  void HandleCancel(CefRefPtr<CefBrowser> browser, CefRefPtr<CefListValue> args);
  // Ends the query. notify_renderer: the page's onFailure hears of it.
  void CancelQuery(int64 query_id, bool notify_renderer);
  // Ends every query of the browser (null: all) taken by the handler (null: any).
  void CancelMatching(CefRefPtr<CefBrowser> browser, Handler* handler,
                      bool notify_renderer);
  void SendSuccess(const Query& query, const CefString& response);
  void SendFailure(const Query& query, int error_code,
                   const CefString& error_message);

  const std::string query_message_;
  const std::string cancel_message_;
  std::vector<Handler*> handlers_;
  std::map<int64, Query> queries_;
  int64 next_query_id_ = 1;
};

void QueryCallback::Success(const CefString& response) {
  if (!CefCurrentlyOn(TID_UI)) {
    CefRefPtr<QueryCallback> self(this);
    CefString copy = response;
    PostUiTask([self, copy] { self->Success(copy); });
    return;
  }
  if (router_)
    router_->OnCallbackSuccess(query_id_, response);
}

void QueryCallback::Failure(int error_code, const CefString& error_message) {
  if (!CefCurrentlyOn(TID_UI)) {
    CefRefPtr<QueryCallback> self(this);
    CefString copy = error_message;
    PostUiTask([self, error_code, copy] { self->Failure(error_code, copy); });
    return;
  }
  if (router_)
    router_->OnCallbackFailure(query_id_, error_code, error_message);
}

bool BrowserSideRouter::AddHandler(Handler* handler, bool first) {
  if (!handler || HasHandler(handler))
    return false;
  if (first)
    handlers_.insert(handlers_.begin(), handler);
  else
    handlers_.push_back(handler);
  return true;
}

bool BrowserSideRouter::RemoveHandler(Handler* handler) {
  if (!handler || !HasHandler(handler))
    return false;
  CancelMatching(NULL, handler, true);
  handlers_.erase(std::find(handlers_.begin(), handlers_.end(), handler));
  return true;
}

void BrowserSideRouter::CancelPending(CefRefPtr<CefBrowser> browser,
                                      Handler* handler) {
  CancelMatching(browser, handler, true);
}

int BrowserSideRouter::GetPendingCount(CefRefPtr<CefBrowser> browser,
                                       Handler* handler) {
  int count = 0;
  for (const auto& entry : queries_) {
    const Query& query = entry.second;
    if ((!browser || query.browser->IsSame(browser)) &&
        (!handler || query.handler == handler))
      ++count;
  }
  return count;
}

void BrowserSideRouter::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  CancelMatching(browser, nullptr, false);
}

void BrowserSideRouter::OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser) {
  CancelMatching(browser, nullptr, false);
}

void BrowserSideRouter::OnBeforeBrowse(CefRefPtr<CefBrowser> browser,
                                       CefRefPtr<CefFrame> frame) {
  if (frame && frame->IsMain())
    CancelMatching(browser, nullptr, false);
}

bool BrowserSideRouter::OnProcessMessageReceived(
    CefRefPtr<CefBrowser> browser, CefProcessId /*source_process*/,
    CefRefPtr<CefProcessMessage> message) {
  if (!browser || !message)
    return false;
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
  if (!args || args->GetSize() != 6)
    return;
  const int64 query_id = next_query_id_++;
  Query query;
  query.browser = browser;
  query.frame_id = CefInt64Set(args->GetInt(0), args->GetInt(1));
  query.context_id = args->GetInt(2);
  query.request_id = args->GetInt(3);
  query.persistent = args->GetBool(5);
  query.callback = new QueryCallback(this, query_id);
  const CefString request = args->GetString(4);
  CefRefPtr<CefFrame> frame = browser->GetFrame(query.frame_id);
  CefRefPtr<QueryCallback> callback = query.callback;
  queries_[query_id] = query;

  // A handler may add or remove handlers, or end the query, while it runs.
  const std::vector<Handler*> handlers = handlers_;
  for (Handler* handler : handlers) {
    auto it = queries_.find(query_id);
    if (it == queries_.end())
      return;  // answered already
    if (!HasHandler(handler))
      continue;
    it->second.handler = handler;
    if (handler->OnQuery(browser, frame, query_id, request, query.persistent,
                         callback.get()))
      return;
  }
  auto it = queries_.find(query_id);
  if (it == queries_.end())
    return;
  // Nobody took it: the page hears the router's own cancel failure.
  Query unanswered = it->second;
  queries_.erase(it);
  unanswered.callback->Detach();
  SendFailure(unanswered, kCanceledErrorCode, kCanceledErrorMessage);
}

void BrowserSideRouter::HandleCancel(CefRefPtr<CefBrowser> browser,
                                     CefRefPtr<CefListValue> args) {
  if (!args || args->GetSize() != 2)
    return;
  const int context_id = args->GetInt(0);
  const int request_id = args->GetInt(1);
  std::vector<int64> ids;
  for (const auto& entry : queries_) {
    const Query& query = entry.second;
    if (query.browser->IsSame(browser) && query.context_id == context_id &&
        (request_id == kReservedId || query.request_id == request_id))
      ids.push_back(entry.first);
  }
  for (int64 id : ids)
    CancelQuery(id, false);
}

void BrowserSideRouter::CancelQuery(int64 query_id, bool notify_renderer) {
  auto it = queries_.find(query_id);
  if (it == queries_.end())
    return;
  Query query = it->second;
  queries_.erase(it);
  if (notify_renderer)
    SendFailure(query, kCanceledErrorCode, kCanceledErrorMessage);
  if (query.handler) {
    query.handler->OnQueryCanceled(query.browser,
                                   query.browser->GetFrame(query.frame_id), query_id);
  }
  query.callback->Detach();
}

void BrowserSideRouter::CancelMatching(CefRefPtr<CefBrowser> browser,
                                       Handler* handler, bool notify_renderer) {
  std::vector<int64> ids;
  for (const auto& entry : queries_) {
    const Query& query = entry.second;
    if ((!browser || query.browser->IsSame(browser)) &&
        (!handler || query.handler == handler))
      ids.push_back(entry.first);
  }
  for (int64 id : ids)
    CancelQuery(id, notify_renderer);
}

void BrowserSideRouter::OnCallbackSuccess(int64 query_id,
                                          const CefString& response) {
  auto it = queries_.find(query_id);
  if (it == queries_.end())
    return;
  Query query = it->second;
  if (!query.persistent) {
    queries_.erase(it);
    query.callback->Detach();
  }
  SendSuccess(query, response);
}

void BrowserSideRouter::OnCallbackFailure(int64 query_id, int error_code,
                                          const CefString& error_message) {
  auto it = queries_.find(query_id);
  if (it == queries_.end())
    return;
  Query query = it->second;
  queries_.erase(it);
  query.callback->Detach();
  SendFailure(query, error_code, error_message);
}

void BrowserSideRouter::SendSuccess(const Query& query,
                                    const CefString& response) {
  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(query_message_);
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  args->SetInt(0, query.context_id);
  args->SetInt(1, query.request_id);
  args->SetBool(2, true);
  args->SetString(3, response);
  query.browser->SendProcessMessage(PID_RENDERER, message);
}

void BrowserSideRouter::SendFailure(const Query& query, int error_code,
                                    const CefString& error_message) {
  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(query_message_);
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  args->SetInt(0, query.context_id);
  args->SetInt(1, query.request_id);
  args->SetBool(2, false);
  args->SetInt(3, error_code);
  args->SetString(4, error_message);
  query.browser->SendProcessMessage(PID_RENDERER, message);
}

// --- renderer side ----------------------------------------------------------

class RendererSideRouter : public CefMessageRouterRendererSide {
 public:
  explicit RendererSideRouter(const CefMessageRouterConfig& config)
      : query_function_(config.js_query_function.ToString()),
        cancel_function_(config.js_cancel_function.ToString()),
        query_message_(MessageName(config.js_query_function)),
        cancel_message_(MessageName(config.js_cancel_function)) {}

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
  // (browser id, context id, request id)
  using RequestKey = std::tuple<int, int, int>;
  struct Request {
    bool persistent = false;
    std::shared_ptr<PageCallbacks> callbacks;
  };

  int ContextId(CefRefPtr<CefV8Context> context, bool create);
  int SendQuery(CefRefPtr<V8ContextImpl> context, const PageQuery& query);
  bool SendCancel(CefRefPtr<V8ContextImpl> context, int request_id);
  void HandleReply(CefRefPtr<CefBrowser> browser, CefRefPtr<CefListValue> args);
  void PostCancel(CefRefPtr<CefBrowser> browser, int context_id, int request_id);

  const std::string query_function_;
  const std::string cancel_function_;
  const std::string query_message_;
  const std::string cancel_message_;
  std::map<int, CefRefPtr<CefV8Context>> contexts_;
  std::map<RequestKey, Request> requests_;
  int next_context_id_ = kReservedId + 1;
  int next_request_id_ = kReservedId + 1;
};

int RendererSideRouter::ContextId(CefRefPtr<CefV8Context> context, bool create) {
  for (const auto& entry : contexts_) {
    if (entry.second->IsSame(context))
      return entry.first;
  }
  if (!create)
    return kReservedId;
  const int id = next_context_id_++;
  contexts_[id] = context;
  return id;
}

int RendererSideRouter::GetPendingCount(CefRefPtr<CefBrowser> browser,
                                        CefRefPtr<CefV8Context> context) {
  if (!browser)
    return 0;
  const int context_id = context ? ContextId(context, false) : kReservedId;
  if (context && context_id == kReservedId)
    return 0;
  int count = 0;
  for (const auto& entry : requests_) {
    if (std::get<0>(entry.first) == browser->GetIdentifier() &&
        (context_id == kReservedId || std::get<1>(entry.first) == context_id))
      ++count;
  }
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
    return self->SendCancel(target, request_id);
  });
}

void RendererSideRouter::OnContextReleased(CefRefPtr<CefBrowser> browser,
                                           CefRefPtr<CefFrame> /*frame*/,
                                           CefRefPtr<CefV8Context> context) {
  const int context_id = ContextId(context, false);
  if (context_id == kReservedId)
    return;
  contexts_.erase(context_id);
  if (!browser)
    return;
  const int browser_id = browser->GetIdentifier();
  bool had_requests = false;
  for (auto it = requests_.begin(); it != requests_.end();) {
    if (std::get<0>(it->first) == browser_id && std::get<1>(it->first) == context_id) {
      it = requests_.erase(it);
      had_requests = true;
    } else {
      ++it;
    }
  }
  if (had_requests)
    PostCancel(browser, context_id, kReservedId);
}

bool RendererSideRouter::OnProcessMessageReceived(
    CefRefPtr<CefBrowser> browser, CefProcessId /*source_process*/,
    CefRefPtr<CefProcessMessage> message) {
  if (!browser || !message || message->GetName().ToString() != query_message_)
    return false;
  HandleReply(browser, message->GetArgumentList());
  return true;
}

int RendererSideRouter::SendQuery(CefRefPtr<V8ContextImpl> context,
                                  const PageQuery& query) {
  CefRefPtr<CefBrowser> browser = context->GetBrowser();
  CefRefPtr<CefFrame> frame = context->GetFrame();
  if (!browser || !frame)
    return kReservedId;
  const int context_id = ContextId(context.get(), true);
  const int request_id = next_request_id_++;
  Request request;
  request.persistent = query.persistent;
  request.callbacks = query.callbacks;
  requests_[RequestKey(browser->GetIdentifier(), context_id, request_id)] = request;

  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(query_message_);
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  const int64 frame_id = frame->GetIdentifier();
  args->SetInt(0, CefInt64GetLow(frame_id));
  args->SetInt(1, CefInt64GetHigh(frame_id));
  args->SetInt(2, context_id);
  args->SetInt(3, request_id);
  args->SetString(4, query.request);
  args->SetBool(5, query.persistent);
  browser->SendProcessMessage(PID_BROWSER, message);
  return request_id;
}

bool RendererSideRouter::SendCancel(CefRefPtr<V8ContextImpl> context,
                                    int request_id) {
  CefRefPtr<CefBrowser> browser = context->GetBrowser();
  const int context_id = ContextId(context.get(), false);
  if (!browser || context_id == kReservedId || request_id == kReservedId)
    return false;
  auto it = requests_.find(RequestKey(browser->GetIdentifier(), context_id, request_id));
  if (it == requests_.end())
    return false;
  requests_.erase(it);
  PostCancel(browser, context_id, request_id);
  return true;
}

void RendererSideRouter::HandleReply(CefRefPtr<CefBrowser> browser,
                                     CefRefPtr<CefListValue> args) {
  if (!args || args->GetSize() < 4)
    return;
  const int context_id = args->GetInt(0);
  const RequestKey key(browser->GetIdentifier(), context_id, args->GetInt(1));
  auto it = requests_.find(key);
  if (it == requests_.end())
    return;  // cancelled meanwhile
  const bool success = args->GetBool(2);
  Request request = it->second;
  if (!success || !request.persistent)
    requests_.erase(it);
  if (!request.callbacks)
    return;
  CefRefPtr<V8ContextImpl> context;
  auto found = contexts_.find(context_id);
  if (found != contexts_.end())
    context = dynamic_cast<V8ContextImpl*>(found->second.get());
  ScopedCurrentContext current(context);
  if (success)
    request.callbacks->OnSuccess(args->GetString(3).ToString());
  else
    request.callbacks->OnFailure(args->GetInt(3), args->GetString(4).ToString());
}

void RendererSideRouter::PostCancel(CefRefPtr<CefBrowser> browser, int context_id,
                                    int request_id) {
  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(cancel_message_);
  CefRefPtr<CefListValue> args = message->GetArgumentList();
  args->SetInt(0, context_id);
  args->SetInt(1, request_id);
  browser->SendProcessMessage(PID_BROWSER, message);
}

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
