#include "sample_client.h"

#include <cstdlib>
#include <string>

#include "include/cef_app.h"

bool SampleClient::OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                            CefProcessId source_process,
                                            CefRefPtr<CefProcessMessage> message) {
  return router_ &&
         router_->OnProcessMessageReceived(browser, source_process, message);
}

bool SampleClient::OnBeforePopup(CefRefPtr<CefBrowser> /*browser*/,
                                 CefRefPtr<CefFrame> /*frame*/,
                                 const CefString& /*target_url*/,
                                 const CefString& /*target_frame_name*/,
                                 WindowOpenDisposition /*target_disposition*/,
                                 bool user_gesture,
                                 const CefPopupFeatures& /*popupFeatures*/,
                                 CefWindowInfo& /*windowInfo*/,
                                 CefRefPtr<CefClient>& /*client*/,
                                 CefBrowserSettings& /*settings*/,
                                 bool* /*no_javascript_access*/) {
  return !user_gesture;
}

void SampleClient::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
  if (browser->IsPopup()) {
    ++open_popups_;
    popups_.push_back(browser);
  }
  else if (!main_browser_)
    main_browser_ = browser->GetIdentifier();
  if (!router_) {
    router_ = CefMessageRouterBrowserSide::Create(CefMessageRouterConfig());
    router_->AddHandler(this, false);
  }
}

void SampleClient::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  if (router_)
    router_->OnBeforeClose(browser);
  if (browser->IsPopup())
    --open_popups_;
  else if (browser->GetIdentifier() == main_browser_)
    main_closed_ = true;
  if (!main_closed_)
    return;
  if (open_popups_ > 0) {
    // Their OnBeforeClose ends the loop once the last one is gone.
    for (CefRefPtr<CefBrowser> popup : popups_)
      popup->GetHost()->CloseBrowser(true);
    popups_.clear();
    return;
  }
  if (router_)
    router_->RemoveHandler(this);
  CefQuitMessageLoop();
}

void SampleClient::OnLoadEnd(CefRefPtr<CefBrowser> /*browser*/,
                             CefRefPtr<CefFrame> frame, int /*httpStatusCode*/) {
  if (frame->IsMain())
    frame->ExecuteJavaScript("window.sampleLoaded = true;", frame->GetURL(), 0);
}

bool SampleClient::OnPreKeyEvent(CefRefPtr<CefBrowser> browser,
                                 const CefKeyEvent& event, CefEventHandle /*os_event*/,
                                 bool* /*is_keyboard_shortcut*/) {
  if (event.type != KEYEVENT_RAWKEYDOWN || event.windows_key_code != VK_F5)
    return false;
  CefRefPtr<CefFrame> frame = browser->GetMainFrame();
  frame->ExecuteJavaScript("location.reload();", frame->GetURL(), 0);
  return true;
}

bool SampleClient::OnQuery(CefRefPtr<CefBrowser> browser,
                           CefRefPtr<CefFrame> /*frame*/, int64 /*query_id*/,
                           const CefString& request, bool persistent,
                           CefRefPtr<Callback> callback) {
  const std::string text = request.ToString();
  if (text == "ping") {
    callback->Success("pong");
  } else if (text == "fail") {
    callback->Failure(42, "failed on purpose");
  } else if (text.compare(0, 5, "zoom:") == 0) {
    browser->GetHost()->SetZoomLevel(std::atof(text.c_str() + 5));
    callback->Success("");
  } else if (text == "count" && persistent) {
    callback->Success("1");
    callback->Success("2");
    callback->Success("3");
  } else {
    return false;
  }
  return true;
}
