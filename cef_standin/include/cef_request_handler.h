// Browser request events. Only the navigation and process events are
// declared; the resource-loading events are not part of this engine.

#ifndef CEF_INCLUDE_CEF_REQUEST_HANDLER_H_
#define CEF_INCLUDE_CEF_REQUEST_HANDLER_H_
#pragma once

#include "include/cef_base.h"
#include "include/cef_browser.h"
#include "include/cef_frame.h"
#include "include/cef_request.h"

class CefRequestHandler : public virtual CefBase {
 public:
  typedef cef_return_value_t ReturnValue;
  typedef cef_termination_status_t TerminationStatus;
  typedef cef_window_open_disposition_t WindowOpenDisposition;

  // UI thread. Return true to cancel the navigation.
  virtual bool OnBeforeBrowse(CefRefPtr<CefBrowser> /*browser*/,
                              CefRefPtr<CefFrame> /*frame*/,
                              CefRefPtr<CefRequest> /*request*/,
                              bool /*is_redirect*/) {
    return false;
  }

  // UI thread. Return true to cancel the navigation.
  virtual bool OnOpenURLFromTab(CefRefPtr<CefBrowser> /*browser*/,
                                CefRefPtr<CefFrame> /*frame*/,
                                const CefString& /*target_url*/,
                                WindowOpenDisposition /*target_disposition*/,
                                bool /*user_gesture*/) {
    return false;
  }

  // Browser process UI thread.
  virtual void OnPluginCrashed(CefRefPtr<CefBrowser> /*browser*/,
                               const CefString& /*plugin_path*/) {}

  // Browser process UI thread.
  virtual void OnRenderViewReady(CefRefPtr<CefBrowser> /*browser*/) {}

  // Browser process UI thread.
  virtual void OnRenderProcessTerminated(CefRefPtr<CefBrowser> /*browser*/,
                                         TerminationStatus /*status*/) {}
};

#endif  // CEF_INCLUDE_CEF_REQUEST_HANDLER_H_
