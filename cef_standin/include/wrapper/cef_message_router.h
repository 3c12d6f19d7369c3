// Routes asynchronous queries from page script to C++ handlers in the
// browser process. Pages call:
//
//   var id = window.cefQuery({request: 'text', persistent: false,
//                             onSuccess: function(response) {},
//                             onFailure: function(error_code, error_message) {}});
//   window.cefQueryCancel(id);
//
// The browser side offers each query to its handlers in order until one
// returns true from OnQuery; a query that no handler takes fails on the page
// with -1 and "The query has been canceled". Both sides must use the same
// configuration.

#ifndef CEF_INCLUDE_WRAPPER_CEF_MESSAGE_ROUTER_H_
#define CEF_INCLUDE_WRAPPER_CEF_MESSAGE_ROUTER_H_
#pragma once

#include "include/base/cef_ref_counted.h"
#include "include/cef_base.h"
#include "include/cef_browser.h"
#include "include/cef_process_message.h"
#include "include/cef_v8.h"

struct CefMessageRouterConfig {
  // Names the page functions "cefQuery" and "cefQueryCancel".
  CefMessageRouterConfig();

  CefString js_query_function;
  CefString js_cancel_function;
};

// Browser process, UI thread.
class CefMessageRouterBrowserSide
    : public base::RefCountedThreadSafe<CefMessageRouterBrowserSide> {
 public:
  // Answers one query. A non-persistent query ends with the first Success or
  // Failure; a persistent one stays open after Success.
  class Callback : public CefBase {
   public:
    virtual void Success(const CefString& response) = 0;
    virtual void Failure(int error_code, const CefString& error_message) = 0;
  };

  // Not reference counted: the owner keeps it alive while it is added.
  class Handler {
   public:
    typedef CefMessageRouterBrowserSide::Callback Callback;

    // Return true to take the query and answer it through |callback|, now or
    // later; false offers it to the next handler.
    virtual bool OnQuery(CefRefPtr<CefBrowser> /*browser*/,
                         CefRefPtr<CefFrame> /*frame*/,
                         int64 /*query_id*/,
                         const CefString& /*request*/,
                         bool /*persistent*/,
                         CefRefPtr<Callback> /*callback*/) {
      return false;
    }

    // A taken query was cancelled (by the page, by navigation or by the
    // browser closing); its callback must no longer be used.
    virtual void OnQueryCanceled(CefRefPtr<CefBrowser> /*browser*/,
                                 CefRefPtr<CefFrame> /*frame*/,
                                 int64 /*query_id*/) {}

    virtual ~Handler() {}
  };

  // NULL when either function name of |config| is empty.
  static CefRefPtr<CefMessageRouterBrowserSide> Create(
      const CefMessageRouterConfig& config);

  // With |first| the handler is asked before the others. False if it was
  // already added.
  virtual bool AddHandler(Handler* handler, bool first) = 0;

  // Cancels the handler's pending queries. False if it was not added.
  virtual bool RemoveHandler(Handler* handler) = 0;

  // A NULL |browser| or |handler| matches all.
  virtual void CancelPending(CefRefPtr<CefBrowser> browser,
                             Handler* handler) = 0;
  virtual int GetPendingCount(CefRefPtr<CefBrowser> browser,
                              Handler* handler) = 0;

  // Call from CefLifeSpanHandler::OnBeforeClose. Cancels the browser's
  // pending queries without notifying the page.
  virtual void OnBeforeClose(CefRefPtr<CefBrowser> browser) = 0;

  // Call from CefRequestHandler::OnRenderProcessTerminated.
  virtual void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser) = 0;

  // Call from CefRequestHandler::OnBeforeBrowse when navigation goes on.
  virtual void OnBeforeBrowse(CefRefPtr<CefBrowser> browser,
                              CefRefPtr<CefFrame> frame) = 0;

  // Call from CefClient::OnProcessMessageReceived; true if handled.
  virtual bool OnProcessMessageReceived(
      CefRefPtr<CefBrowser> browser,
      CefProcessId source_process,
      CefRefPtr<CefProcessMessage> message) = 0;

 protected:
  friend class base::RefCountedThreadSafe<CefMessageRouterBrowserSide>;

  virtual ~CefMessageRouterBrowserSide() {}
};

// Renderer process, render thread.
class CefMessageRouterRendererSide
    : public base::RefCountedThreadSafe<CefMessageRouterRendererSide> {
 public:
  // NULL when either function name of |config| is empty.
  static CefRefPtr<CefMessageRouterRendererSide> Create(
      const CefMessageRouterConfig& config);

  // A NULL |browser| or |context| matches all.
  virtual int GetPendingCount(CefRefPtr<CefBrowser> browser,
                              CefRefPtr<CefV8Context> context) = 0;

  // Call from CefRenderProcessHandler::OnContextCreated: installs the page
  // functions in the context's window object.
  virtual void OnContextCreated(CefRefPtr<CefBrowser> browser,
                                CefRefPtr<CefFrame> frame,
                                CefRefPtr<CefV8Context> context) = 0;

  // Call from CefRenderProcessHandler::OnContextReleased: cancels the
  // context's queries.
  virtual void OnContextReleased(CefRefPtr<CefBrowser> browser,
                                 CefRefPtr<CefFrame> frame,
                                 CefRefPtr<CefV8Context> context) = 0;

  // Call from CefRenderProcessHandler::OnProcessMessageReceived; true if
  // handled.
  virtual bool OnProcessMessageReceived(
      CefRefPtr<CefBrowser> browser,
      CefProcessId source_process,
      CefRefPtr<CefProcessMessage> message) = 0;

 protected:
  friend class base::RefCountedThreadSafe<CefMessageRouterRendererSide>;

  virtual ~CefMessageRouterRendererSide() {}
};

#endif  // CEF_INCLUDE_WRAPPER_CEF_MESSAGE_ROUTER_H_
