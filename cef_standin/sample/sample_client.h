// The sample's one client: life span, load and keyboard handler, and the query
// handler of the browser-side router. Queries it answers:
//   "ping"        -> "pong"
//   "fail"        -> failure 42 "failed on purpose"
//   "zoom:<lvl>"  -> sets the zoom level, ""
//   "count"       -> persistent: "1", "2", "3", then keeps the query open
// Anything else is declined. F5 is taken and asks the page to reload; pop-ups
// without a user gesture are blocked.
#ifndef CEF_STANDIN_SAMPLE_SAMPLE_CLIENT_H_
#define CEF_STANDIN_SAMPLE_SAMPLE_CLIENT_H_

#include <vector>

#include "include/cef_client.h"
#include "include/wrapper/cef_message_router.h"

class SampleClient : public CefClient,
                     public CefLifeSpanHandler,
                     public CefLoadHandler,
                     public CefKeyboardHandler,
                     public CefMessageRouterBrowserSide::Handler {
 public:
  SampleClient() {}

  // CefClient methods:
  CefRefPtr<CefKeyboardHandler> GetKeyboardHandler() override { return this; }
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() override { return this; }
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                CefProcessId source_process,
                                CefRefPtr<CefProcessMessage> message) override;

  // CefLifeSpanHandler methods (UI thread):
  bool OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                     const CefString& target_url,
                     const CefString& target_frame_name,
                     WindowOpenDisposition target_disposition, bool user_gesture,
                     const CefPopupFeatures& popupFeatures,
                     CefWindowInfo& windowInfo, CefRefPtr<CefClient>& client,
                     CefBrowserSettings& settings,
                     bool* no_javascript_access) override;
  void OnAfterCreated(CefRefPtr<CefBrowser> browser) override;
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) override;

  // CefLoadHandler methods (UI thread):
  void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                 int httpStatusCode) override;

  // CefKeyboardHandler methods (UI thread):
  bool OnPreKeyEvent(CefRefPtr<CefBrowser> browser, const CefKeyEvent& event,
                     CefEventHandle os_event, bool* is_keyboard_shortcut) override;

  // CefMessageRouterBrowserSide::Handler methods (UI thread):
  bool OnQuery(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
               int64 query_id, const CefString& request, bool persistent,
               CefRefPtr<Callback> callback) override;

 private:
  CefRefPtr<CefMessageRouterBrowserSide> router_;
  // Pop-ups open in windows of their own; the sample ends with its first
  // window, after closing them.
  int main_browser_ = 0;
  int open_popups_ = 0;
  std::vector<CefRefPtr<CefBrowser>> popups_;
  bool main_closed_ = false;

  IMPLEMENT_REFCOUNTING(SampleClient);
};

#endif  // CEF_STANDIN_SAMPLE_SAMPLE_CLIENT_H_
