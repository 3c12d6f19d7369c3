// The client of the one main browser: its life-span, load, keyboard and
// request handler, owner of the browser-side message router and that router's
// query handler. CEF calls every method on its UI thread in the browser
// process, except OnBeforePopup (IO thread).

#ifndef ZLM_BROWSER_CLIENT_HANDLER_H_
#define ZLM_BROWSER_CLIENT_HANDLER_H_

#include <optional>
#include <string>

#include "browser/load_failure.h"
#include "include/cef_client.h"
#include "include/cef_request_handler.h"
#include "include/wrapper/cef_message_router.h"

class ClientHandler : public CefClient,
                      public CefLifeSpanHandler,
                      public CefLoadHandler,
                      public CefKeyboardHandler,
                      public CefRequestHandler,
                      public CefMessageRouterBrowserSide::Handler {
 public:
  ClientHandler();

  // CefClient methods:
  CefRefPtr<CefKeyboardHandler> GetKeyboardHandler() override { return this; }
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() override { return this; }
  CefRefPtr<CefRequestHandler> GetRequestHandler() override { return this; }
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                CefProcessId source_process,
                                CefRefPtr<CefProcessMessage> message) override;

  // CefLifeSpanHandler methods (OnBeforePopup on the IO thread, whose frame
  // may be null; the others on the UI thread):
  bool OnBeforePopup(CefRefPtr<CefBrowser> browser,
                     CefRefPtr<CefFrame> frame,
                     const CefString& target_url,
                     const CefString& target_frame_name,
                     CefLifeSpanHandler::WindowOpenDisposition target_disposition,
                     bool user_gesture,
                     const CefPopupFeatures& popupFeatures,
                     CefWindowInfo& windowInfo,
                     CefRefPtr<CefClient>& client,
                     CefBrowserSettings& settings,
                     bool* no_javascript_access) override;
  void OnAfterCreated(CefRefPtr<CefBrowser> browser) override;
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) override;

  // CefLoadHandler methods:
  void OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) override;
  void OnLoadEnd(CefRefPtr<CefBrowser> browser,
                 CefRefPtr<CefFrame> frame,
                 int httpStatusCode) override;
  void OnLoadError(CefRefPtr<CefBrowser> browser,
                   CefRefPtr<CefFrame> frame,
                   ErrorCode errorCode,
                   const CefString& errorText,
                   const CefString& failedUrl) override;

  // CefKeyboardHandler methods:
  bool OnPreKeyEvent(CefRefPtr<CefBrowser> browser,
                     const CefKeyEvent& event,
                     CefEventHandle os_event,
                     bool* is_keyboard_shortcut) override;

  // CefRequestHandler methods (UI thread). OnBeforeBrowse and
  // OnRenderProcessTerminated are forwarded to the router, which needs them:
  // queries of a page that navigates away or whose renderer died are cancelled
  // instead of staying pending (a new renderer's request ids start at 1 again
  // and would meet the stale ones). A crashed page or plug-in is loaded again.
  bool OnBeforeBrowse(CefRefPtr<CefBrowser> browser,
                      CefRefPtr<CefFrame> frame,
                      CefRefPtr<CefRequest> request,
                      bool is_redirect) override;
  void OnPluginCrashed(CefRefPtr<CefBrowser> browser, const CefString& plugin_path) override;
  void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser,
                                 TerminationStatus status) override;

  // CefMessageRouterBrowserSide::Handler methods:
  bool OnQuery(CefRefPtr<CefBrowser> browser,
               CefRefPtr<CefFrame> frame,
               int64 query_id,
               const CefString& request,
               bool persistent,
               CefRefPtr<Callback> callback) override;

 private:
  bool IsMainBrowser(CefRefPtr<CefBrowser> browser) const;
  // Navigates the main browser's main frame, when there is one.
  void LoadInMainFrame(const std::string& url);
  // Shows the failure page and, with a pause, schedules a retry.
  void ShowLoadFailure(CefRefPtr<CefFrame> frame, const LoadRecovery::Failure& failure);
  // A scheduled retry (a UI-thread task); stale ones do nothing. It holds no
  // browser: a closed one must be let go in OnBeforeClose.
  void RetryLoad(int generation);
  // The main page's renderer or its Flash plug-in crashed.
  void RecoverFromCrash();
  // Addresses the engine has no handler for never replace the page; a mail
  // link of the game's own page goes to the system's mail program.
  void HandOffUnloadable(const std::string& url, const std::string& fromUrl);

  // Closes a pop-up the engine opened (a UI-thread task).
  void ClosePopup(CefRefPtr<CefBrowser> popup);

  LoadRecovery loadRecovery;
  // The main page's renderer crashed and no navigation has started a new
  // one: the engine holds back LoadString and ExecuteJavaScript until then.
  bool rendererGone = false;
  // A failure page waiting for the renderer that the navigation to
  // about:blank starts.
  std::optional<LoadRecovery::Failure> pendingFailure;
  // The launcher's one window; pop-ups the engine opens never take its place.
  CefRefPtr<CefBrowser> mainBrowser;
  // Lives from the first OnAfterCreated until this object is destroyed.
  CefRefPtr<CefMessageRouterBrowserSide> router;
  bool handlerRegistered = false;

  IMPLEMENT_REFCOUNTING(ClientHandler);
};

#endif  // ZLM_BROWSER_CLIENT_HANDLER_H_
