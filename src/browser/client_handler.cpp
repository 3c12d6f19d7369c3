#include "browser/client_handler.h"

#include <windows.h>

#include <string>

#include "app/ascii.h"
#include "app/cef_text.h"
#include "app/config.h"
#include "app/process_values.h"
#include "app/trace.h"
#include "bridge/query_command.h"
#include "bridge/query_dispatcher.h"
#include "browser/embedded_script.h"
#include "browser/key_table.h"
#include "browser/load_events.h"
#include "browser/main_window.h"
#include "include/base/cef_bind.h"
#include "include/cef_app.h"
#include "include/wrapper/cef_closure_task.h"

namespace {

constexpr char kBlankUrl[] = "about:blank";

// The file name of |path| is the Flash plug-in's (ASCII case ignored).
bool IsFlashPlugin(const std::string& path) {
  const std::string::size_type slash = path.find_last_of("\\/");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  for (char& c : name)
    c = AsciiLower(c);
  return name == kFlashDllName;
}

}  // namespace

ClientHandler::ClientHandler() : loadRecovery(kSiteUrl, siteHost) {}

bool ClientHandler::IsMainBrowser(CefRefPtr<CefBrowser> browser) const {
  return mainBrowser && browser && mainBrowser->IsSame(browser);
}

void ClientHandler::LoadInMainFrame(const std::string& url) {
  if (!mainBrowser)
    return;
  if (CefRefPtr<CefFrame> frame = mainBrowser->GetMainFrame())
    frame->LoadURL(Utf8ToCef(url));
}

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
  pendingFailure.reset();
  if (router) {
    if (handlerRegistered) {
      router->RemoveHandler(this);
      handlerRegistered = false;
    }
  }
  CefQuitMessageLoop();
}

void ClientHandler::OnLoadStart(CefRefPtr<CefBrowser> browser,
                                CefRefPtr<CefFrame> frame) {
  Trace(LoadStartTraceLine(frame->IsMain(), CefToUtf8(frame->GetURL())));
  // A document commits in a live renderer.
  if (frame->IsMain() && IsMainBrowser(browser))
    rendererGone = false;
}

void ClientHandler::OnLoadEnd(CefRefPtr<CefBrowser> browser,
                              CefRefPtr<CefFrame> frame,
                              int httpStatusCode) {
  if (browser->IsPopup())
    return;
  const bool isMain = frame->IsMain();
  const std::string url = CefToUtf8(frame->GetURL());
  Trace(LoadEndTraceLine(isMain, httpStatusCode, url));
  if (isMain && pendingFailure && url == kBlankUrl) {
    const LoadRecovery::Failure failure = *pendingFailure;
    pendingFailure.reset();
    ShowLoadFailure(frame, failure);
    return;
  }
  // The failure page and Chromium's error document are not the site's pages.
  const bool siteSent = loadRecovery.LoadFinished(isMain, url);
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
          loadRecovery.LoadFailed(frame->IsMain(), errorCode, text, url))
    ShowLoadFailure(frame, *failure);
}

void ClientHandler::ShowLoadFailure(CefRefPtr<CefFrame> frame,
                                    const LoadRecovery::Failure& failure) {
  // Under a URL of the game's origin, so that the bridge serves the page's
  // Close and drag; for the game's own pages the failed URL, as CEF's samples
  // do, so that the address stays and a reload asks the site again.
  frame->LoadString(Utf8ToCef(FailurePageHtml(failure.page)), Utf8ToCef(failure.pageUrl));
  if (failure.retryMs) {
    CefPostDelayedTask(TID_UI, base::Bind(&ClientHandler::RetryLoad, this, failure.generation),
                       *failure.retryMs);
  }
}

void ClientHandler::RetryLoad(int generation) {
  if (const std::optional<std::string> url = loadRecovery.RetryDue(generation))
    LoadInMainFrame(*url);
}

void ClientHandler::RecoverFromCrash() {
  pendingFailure.reset();
  const LoadRecovery::CrashOutcome outcome = loadRecovery.Crashed(GetTickCount64());
  if (!outcome.failure) {
    if (!outcome.reloadUrl.empty())
      LoadInMainFrame(outcome.reloadUrl);
    return;
  }
  if (!rendererGone) {
    if (CefRefPtr<CefFrame> frame = mainBrowser ? mainBrowser->GetMainFrame() : nullptr)
      ShowLoadFailure(frame, *outcome.failure);
    return;
  }
  // A string document needs a renderer, and only a navigation starts one.
  pendingFailure = outcome.failure;
  LoadInMainFrame(kBlankUrl);
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
        LoadInMainFrame(*url);
        return true;
      }
      // Nothing reaches a page whose renderer is gone: the launcher reloads.
      if (rendererGone) {
        LoadInMainFrame(loadRecovery.GameUrl());
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
  const std::string url = request ? CefToUtf8(request->GetURL()) : std::string();
  if (browser->IsPopup()) {
    // A pop-up's page opens in the main window, as OnBeforePopup does it.
    CefRefPtr<CefFrame> main = mainBrowser ? mainBrowser->GetMainFrame() : nullptr;
    if (main && request) {
      if (EngineLoadsUrl(url))
        main->LoadURL(request->GetURL());
      else
        HandOffUnloadable(url, CefToUtf8(main->GetURL()));
    }
    CefPostTask(TID_UI, base::Bind(&ClientHandler::ClosePopup, this, browser));
    return true;
  }
  if (!EngineLoadsUrl(url)) {
    // Cancelled, the navigation ends with ERR_ABORTED and the page stays.
    HandOffUnloadable(url, frame ? CefToUtf8(frame->GetURL()) : std::string());
    return true;
  }
  // The step to about:blank that brings a renderer for the crash page is not
  // a request whose outcome the recovery waits for.
  if (!(pendingFailure && url == kBlankUrl))
    loadRecovery.RequestStarted(frame && frame->IsMain());
  return false;
}

void ClientHandler::HandOffUnloadable(const std::string& url, const std::string& fromUrl) {
  if (IsMailtoUrl(url) && IsGameOrigin(fromUrl, siteHost))
    OpenWithSystem(url);
}

void ClientHandler::OnPluginCrashed(CefRefPtr<CefBrowser> browser,
                                    const CefString& plugin_path) {
  const std::string path = CefToUtf8(plugin_path);
  Trace("OnPluginCrashed path=" + path);
  if (IsMainBrowser(browser) && IsFlashPlugin(path))
    RecoverFromCrash();
}

void ClientHandler::ClosePopup(CefRefPtr<CefBrowser> popup) {
  popup->GetHost()->CloseBrowser(true);
}

void ClientHandler::OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser,
                                              TerminationStatus status) {
  Trace("OnRenderProcessTerminated status=" + std::to_string(status));
  if (router)
    router->OnRenderProcessTerminated(browser);
  if (!IsMainBrowser(browser))
    return;
  rendererGone = true;
  RecoverFromCrash();
}

bool ClientHandler::OnQuery(CefRefPtr<CefBrowser> browser,
                            CefRefPtr<CefFrame> frame,
                            int64 /*query_id*/,
                            const CefString& request,
                            bool /*persistent*/,
                            CefRefPtr<Callback> callback) {
  return DispatchQuery(browser, frame, request, callback);
}
