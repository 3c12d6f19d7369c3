// Browser life span events.

#ifndef CEF_INCLUDE_CEF_LIFE_SPAN_HANDLER_H_
#define CEF_INCLUDE_CEF_LIFE_SPAN_HANDLER_H_
#pragma once

#include "include/cef_base.h"
#include "include/cef_browser.h"

class CefClient;

// UI thread unless noted.
class CefLifeSpanHandler : public virtual CefBase {
 public:
  typedef cef_window_open_disposition_t WindowOpenDisposition;

  // IO thread. Before a pop-up browser is created; return true to cancel it.
  // |windowInfo|, |client| and |settings| start as the source browser's and
  // may be changed.
  virtual bool OnBeforePopup(CefRefPtr<CefBrowser> /*browser*/,
                             CefRefPtr<CefFrame> /*frame*/,
                             const CefString& /*target_url*/,
                             const CefString& /*target_frame_name*/,
                             WindowOpenDisposition /*target_disposition*/,
                             bool /*user_gesture*/,
                             const CefPopupFeatures& /*popupFeatures*/,
                             CefWindowInfo& /*windowInfo*/,
                             CefRefPtr<CefClient>& /*client*/,
                             CefBrowserSettings& /*settings*/,
                             bool* /*no_javascript_access*/) {
    return false;
  }

  virtual void OnAfterCreated(CefRefPtr<CefBrowser> /*browser*/) {}

  virtual bool RunModal(CefRefPtr<CefBrowser> /*browser*/) { return false; }

  // Return false to let the window close.
  virtual bool DoClose(CefRefPtr<CefBrowser> /*browser*/) { return false; }

  // The last call for |browser|.
  virtual void OnBeforeClose(CefRefPtr<CefBrowser> /*browser*/) {}
};

#endif  // CEF_INCLUDE_CEF_LIFE_SPAN_HANDLER_H_
