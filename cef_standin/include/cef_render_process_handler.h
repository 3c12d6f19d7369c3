// Renderer process callbacks.

#ifndef CEF_INCLUDE_CEF_RENDER_PROCESS_HANDLER_H_
#define CEF_INCLUDE_CEF_RENDER_PROCESS_HANDLER_H_
#pragma once

#include "include/cef_base.h"
#include "include/cef_browser.h"
#include "include/cef_dom.h"
#include "include/cef_frame.h"
#include "include/cef_load_handler.h"
#include "include/cef_process_message.h"
#include "include/cef_v8.h"
#include "include/cef_values.h"

// Render thread of the renderer process.
class CefRenderProcessHandler : public virtual CefBase {
 public:
  typedef cef_navigation_type_t NavigationType;

  virtual void OnRenderThreadCreated(CefRefPtr<CefListValue> /*extra_info*/) {}

  virtual void OnWebKitInitialized() {}

  virtual void OnBrowserCreated(CefRefPtr<CefBrowser> /*browser*/) {}

  virtual void OnBrowserDestroyed(CefRefPtr<CefBrowser> /*browser*/) {}

  virtual CefRefPtr<CefLoadHandler> GetLoadHandler() { return NULL; }

  // Return true to cancel the navigation.
  virtual bool OnBeforeNavigation(CefRefPtr<CefBrowser> /*browser*/,
                                  CefRefPtr<CefFrame> /*frame*/,
                                  CefRefPtr<CefRequest> /*request*/,
                                  NavigationType /*navigation_type*/,
                                  bool /*is_redirect*/) {
    return false;
  }

  // A script context was created for |frame|'s document.
  virtual void OnContextCreated(CefRefPtr<CefBrowser> /*browser*/,
                                CefRefPtr<CefFrame> /*frame*/,
                                CefRefPtr<CefV8Context> /*context*/) {}

  // |context| is about to go away.
  virtual void OnContextReleased(CefRefPtr<CefBrowser> /*browser*/,
                                 CefRefPtr<CefFrame> /*frame*/,
                                 CefRefPtr<CefV8Context> /*context*/) {}

  virtual void OnUncaughtException(CefRefPtr<CefBrowser> /*browser*/,
                                   CefRefPtr<CefFrame> /*frame*/,
                                   CefRefPtr<CefV8Context> /*context*/,
                                   CefRefPtr<CefV8Exception> /*exception*/,
                                   CefRefPtr<CefV8StackTrace> /*stackTrace*/) {}

  virtual void OnFocusedNodeChanged(CefRefPtr<CefBrowser> /*browser*/,
                                    CefRefPtr<CefFrame> /*frame*/,
                                    CefRefPtr<CefDOMNode> /*node*/) {}

  // Return true if the message was handled.
  virtual bool OnProcessMessageReceived(CefRefPtr<CefBrowser> /*browser*/,
                                        CefProcessId /*source_process*/,
                                        CefRefPtr<CefProcessMessage> /*message*/) {
    return false;
  }
};

#endif  // CEF_INCLUDE_CEF_RENDER_PROCESS_HANDLER_H_
