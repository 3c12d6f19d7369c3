// The client of the one main browser: its life-span, load and keyboard
// handler, owner of the browser-side message router and that router's query
// handler. CEF calls every method on its UI thread in the browser process.

#ifndef ZLM_BROWSER_CLIENT_HANDLER_H_
#define ZLM_BROWSER_CLIENT_HANDLER_H_

#include "include/cef_client.h"
#include "include/wrapper/cef_message_router.h"

class ClientHandler : public CefClient,
                      public CefLifeSpanHandler,
                      public CefLoadHandler,
                      public CefKeyboardHandler,
                      public CefMessageRouterBrowserSide::Handler {
 public:
  ClientHandler() = default;

  // CefClient methods:
  CefRefPtr<CefKeyboardHandler> GetKeyboardHandler() override { return this; }
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() override { return this; }
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                CefProcessId source_process,
                                CefRefPtr<CefProcessMessage> message) override;

  // CefLifeSpanHandler methods:
  bool OnBeforePopup(CefRefPtr<CefBrowser> browser,
                     CefRefPtr<CefFrame> frame,
                     const CefString& target_url,
                     const CefString& target_frame_name,
                     WindowOpenDisposition target_disposition,
                     bool user_gesture,
                     const CefPopupFeatures& popupFeatures,
                     CefWindowInfo& windowInfo,
                     CefRefPtr<CefClient>& client,
                     CefBrowserSettings& settings,
                     bool* no_javascript_access) override;
  void OnAfterCreated(CefRefPtr<CefBrowser> browser) override;
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) override;

  // CefMessageRouterBrowserSide::Handler methods:
  bool OnQuery(CefRefPtr<CefBrowser> browser,
               CefRefPtr<CefFrame> frame,
               int64 query_id,
               const CefString& request,
               bool persistent,
               CefRefPtr<Callback> callback) override;

 private:
  // Lives from the first OnAfterCreated until this object is destroyed.
  CefRefPtr<CefMessageRouterBrowserSide> router;
  bool handlerRegistered = false;

  IMPLEMENT_REFCOUNTING(ClientHandler);
};

#endif  // ZLM_BROWSER_CLIENT_HANDLER_H_
