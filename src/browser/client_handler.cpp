#include "browser/client_handler.h"

#include <string>

#include "app/cef_text.h"
#include "app/process_values.h"
#include "app/trace.h"
#include "bridge/query_dispatcher.h"
#include "browser/embedded_script.h"
#include "browser/key_table.h"
#include "browser/load_events.h"
#include "browser/main_window.h"
#include "include/base/cef_bind.h"
#include "include/cef_app.h"
#include "include/wrapper/cef_closure_task.h"

bool ClientHandler::OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                             CefProcessId source_process,
                                             CefRefPtr<CefProcessMessage> message) {
  return router && router->OnProcessMessageReceived(browser, source_process, message);
}

bool ClientHandler::OnBeforePopup(CefRefPtr<CefBrowser> browser,
                                  CefRefPtr<CefFrame> frame,
                                  const CefString& target_url,
                                  const CefString& /*target_frame_name*/,
                                  CefLifeSpanHandler::WindowOpenDisposition /*target_disposition*/,
                                  bool /*user_gesture*/,
                                  const CefPopupFeatures& /*popupFeatures*/,
                                  CefWindowInfo& /*windowInfo*/,
                                  CefRefPtr<CefClient>& /*client*/,
                                  CefBrowserSettings& /*settings*/,
                                  bool* /*no_javascript_access*/) {
  Trace("OnBeforePopup url=" + CefToUtf8(target_url));
  // The game's "play" flows open pop-ups; they stay in the frame that asked.
  // This runs on the IO thread: it touches only calls that CEF allows from any
  // thread (GetMainFrame, LoadURL), never the UI thread's state.
  if (frame) {
    frame->LoadURL(target_url);
  } else if (browser) {
    CefRefPtr<CefFrame> mainFrame = browser->GetMainFrame();
    if (mainFrame)
      mainFrame->LoadURL(target_url);
  }
  return true;
}

void ClientHandler::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
  if (browser->IsPopup()) {
    // Chromium opens this window itself when OnBeforePopup could not be asked
    // (CEF's translation never passes a pop-up without a frame to us). It is
    // never shown: its first navigation goes to the main window instead.
    if (HWND window = browser->GetHost()->GetWindowHandle())
      ShowWindow(window, SW_HIDE);
  } else if (!mainBrowser) {
    mainBrowser = browser;
    if (HWND window = GetMainWindowHandle(browser))
      SetUpMainWindow(window);
  }

  if (!router)
    router = CefMessageRouterBrowserSide::Create(CefMessageRouterConfig());
  if (!handlerRegistered) {
    router->AddHandler(this, false);
    handlerRegistered = true;
  }
}

void ClientHandler::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  if (router)
    router->OnBeforeClose(browser);
  // Only the main window's close ends the launcher.
  if (!mainBrowser || !mainBrowser->IsSame(browser))
    return;
  mainBrowser = nullptr;
  loadRecovery.Stop();
  if (router) {
    if (handlerRegistered) {
      router->RemoveHandler(this);
      handlerRegistered = false;
    }
  }
  CefQuitMessageLoop();
}

void ClientHandler::OnLoadStart(CefRefPtr<CefBrowser> /*browser*/,
                                CefRefPtr<CefFrame> frame) {
  Trace(LoadStartTraceLine(frame->IsMain(), CefToUtf8(frame->GetURL())));
}

void ClientHandler::OnLoadEnd(CefRefPtr<CefBrowser> browser,
                              CefRefPtr<CefFrame> frame,
                              int httpStatusCode) {
  if (browser->IsPopup())
    return;
  const bool isMain = frame->IsMain();
  const std::string url = CefToUtf8(frame->GetURL());
  Trace(LoadEndTraceLine(isMain, httpStatusCode, url));
  // The failure page and Chromium's error document are not the site's pages.
  const bool siteSent = loadRecovery.LoadFinished(isMain);
  // Every main-frame page of the game site, whatever its status, after each
  // load and reload; never a sub-frame or a foreign page.
  if (!siteSent || !WantsEmbeddedScript(isMain, url, siteHost))
    return;
  const std::string& script = EmbeddedScriptText();
  if (!script.empty())
    frame->ExecuteJavaScript(Utf8ToCef(script), frame->GetURL(), 0);
}

void ClientHandler::OnLoadError(CefRefPtr<CefBrowser> browser,
                                CefRefPtr<CefFrame> frame,
                                ErrorCode errorCode,
                                const CefString& errorText,
                                const CefString& failedUrl) {
  if (browser->IsPopup())
    return;
  const std::string url = CefToUtf8(failedUrl);
  const std::string text = CefToUtf8(errorText);
  Trace(LoadErrorTraceLine(frame->IsMain(), errorCode, text, url));
  if (const std::optional<LoadRecovery::Failure> failure =
          loadRecovery.LoadFailed(frame->IsMain(), errorCode, url))
    ShowLoadFailure(frame, *failure, errorCode, text);
}

void ClientHandler::ShowLoadFailure(CefRefPtr<CefFrame> frame,
                                    const LoadRecovery::Failure& failure, int errorCode,
                                    const std::string& errorText) {
  const std::uint32_t retrySeconds = failure.retryMs ? *failure.retryMs / 1000 : 0;
  // Under the failed URL, as CEF's own samples do: the address stays the
  // site's, a reload asks the site again, and the bridge serves the page.
  frame->LoadString(Utf8ToCef(FailurePageHtml(errorCode, errorText, failure.url, retrySeconds)),
                    Utf8ToCef(failure.url));
  if (failure.retryMs) {
    CefPostDelayedTask(TID_UI,
                       base::Bind(&ClientHandler::RetryLoad, this, frame->GetBrowser(),
                                  failure.generation),
                       *failure.retryMs);
  }
}

void ClientHandler::RetryLoad(CefRefPtr<CefBrowser> browser, int generation) {
  const std::optional<std::string> url = loadRecovery.RetryDue(generation);
  if (!url || !browser)
    return;
  if (CefRefPtr<CefFrame> frame = browser->GetMainFrame())
    frame->LoadURL(Utf8ToCef(*url));
}

bool ClientHandler::OnPreKeyEvent(CefRefPtr<CefBrowser> browser,
                                  const CefKeyEvent& event,
                                  CefEventHandle /*os_event*/,
                                  bool* /*is_keyboard_shortcut*/) {
  const KeyAction action = KeyActionFor(event.type == KEYEVENT_RAWKEYDOWN, event.modifiers,
                                        event.windows_key_code, fullScreenActive);
  switch (action) {
    case KeyAction::kNone:
      return false;
    case KeyAction::kToggleFullScreen:
      // Taken even without a window; ToggleFullScreen then does nothing.
      ToggleFullScreen(GetMainWindowHandle(browser));
      return true;
    case KeyAction::kReload:
      // The failure page has no zlmReload: F5 there tries the site again.
      if (const std::optional<std::string> url = loadRecovery.RetryNow()) {
        if (CefRefPtr<CefFrame> frame = browser->GetMainFrame())
          frame->LoadURL(Utf8ToCef(*url));
        return true;
      }
      RunInMainFrame(browser, PageCallFor(action));
      return true;
    case KeyAction::kZoomIn:
    case KeyAction::kZoomOut:
    case KeyAction::kZoomReset:
      RunInMainFrame(browser, PageCallFor(action));
      return true;
  }
  return false;
}

bool ClientHandler::OnBeforeBrowse(CefRefPtr<CefBrowser> browser,
                                   CefRefPtr<CefFrame> frame,
                                   CefRefPtr<CefRequest> request,
                                   bool /*is_redirect*/) {
  if (router)
    router->OnBeforeBrowse(browser, frame);
  if (browser->IsPopup()) {
    // A pop-up's page opens in the main window, as OnBeforePopup does it.
    if (mainBrowser && request) {
      if (CefRefPtr<CefFrame> main = mainBrowser->GetMainFrame())
        main->LoadURL(request->GetURL());
    }
    CefPostTask(TID_UI, base::Bind(&ClientHandler::ClosePopup, this, browser));
    return true;
  }
  loadRecovery.RequestStarted(frame && frame->IsMain());
  return false;
}

void ClientHandler::ClosePopup(CefRefPtr<CefBrowser> popup) {
  popup->GetHost()->CloseBrowser(true);
}

void ClientHandler::OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser,
                                              TerminationStatus /*status*/) {
  if (router)
    router->OnRenderProcessTerminated(browser);
}

bool ClientHandler::OnQuery(CefRefPtr<CefBrowser> browser,
                            CefRefPtr<CefFrame> frame,
                            int64 /*query_id*/,
                            const CefString& request,
                            bool /*persistent*/,
                            CefRefPtr<Callback> callback) {
  return DispatchQuery(browser, frame, request, callback);
}
