// A script context without a script engine. What a page's window object would
// hold is modelled as a table of named functions: the renderer-side router puts
// its query and cancel functions there, and the page (the page channel) calls them.
#ifndef CEF_STANDIN_SRC_V8_CONTEXT_IMPL_H_
#define CEF_STANDIN_SRC_V8_CONTEXT_IMPL_H_

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "include/cef_v8.h"

namespace standin {

class FrameImpl;

// The page's onSuccess/onFailure pair of one query. Whoever holds it may call it;
// dropping it without a call is how a query ends unanswered.
class PageCallbacks {
 public:
  virtual ~PageCallbacks() {}
  virtual void OnSuccess(const std::string& response) = 0;
  virtual void OnFailure(int error_code, const std::string& error_message) = 0;
};

// The one object argument of window.cefQuery.
struct PageQuery {
  std::string request;
  bool persistent = false;
  std::shared_ptr<PageCallbacks> callbacks;  // may be null: no callbacks given
};

// window.cefQuery returns the request id; window.cefQueryCancel whether a
// pending request was cancelled.
using QueryFunction = std::function<int(const PageQuery&)>;
using CancelFunction = std::function<bool(int)>;

class V8ContextImpl : public CefV8Context {
 public:
  explicit V8ContextImpl(FrameImpl* frame);

  int id() const { return id_; }
  FrameImpl* frame() const { return frame_; }
  // The frame dropped this context (navigation or close).
  void Invalidate();

  // Installing under a name that exists replaces it, as an assignment would.
  void SetQueryFunction(const std::string& name, QueryFunction function);
  void SetCancelFunction(const std::string& name, CancelFunction function);
  const QueryFunction* FindQueryFunction(const std::string& name) const;
  const CancelFunction* FindCancelFunction(const std::string& name) const;

  // CefV8Context methods:
  CefRefPtr<CefTaskRunner> GetTaskRunner() override;
  bool IsValid() override;
  CefRefPtr<CefBrowser> GetBrowser() override;
  CefRefPtr<CefFrame> GetFrame() override;
  CefRefPtr<CefV8Value> GetGlobal() override;
  bool Enter() override;
  bool Exit() override;
  bool IsSame(CefRefPtr<CefV8Context> that) override;
  bool Eval(const CefString& code, CefRefPtr<CefV8Value>& retval,
            CefRefPtr<CefV8Exception>& exception) override;

 private:
  int id_;
  FrameImpl* frame_;  // not owned; null once released
  std::map<std::string, QueryFunction> query_functions_;
  std::map<std::string, CancelFunction> cancel_functions_;

  IMPLEMENT_REFCOUNTING(V8ContextImpl);
};

// Makes a context current for the duration of a call into page-side code, so
// CefV8Context::GetCurrentContext answers as it would inside a script.
class ScopedCurrentContext {
 public:
  explicit ScopedCurrentContext(CefRefPtr<V8ContextImpl> context);
  ~ScopedCurrentContext();
  ScopedCurrentContext(const ScopedCurrentContext&) = delete;
  ScopedCurrentContext& operator=(const ScopedCurrentContext&) = delete;

 private:
  bool entered_;
  CefRefPtr<V8ContextImpl> context_;
};

}  // namespace standin

#endif  // CEF_STANDIN_SRC_V8_CONTEXT_IMPL_H_
