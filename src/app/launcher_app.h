// The one application handler of every launcher process: it adds the
// launcher's Chromium switches everywhere, opens the main browser in the
// browser process, and gives each renderer its side of the message router and
// the page environment script.

#ifndef ZLM_APP_LAUNCHER_APP_H_
#define ZLM_APP_LAUNCHER_APP_H_

#include <string>

#include "include/cef_app.h"
#include "include/wrapper/cef_message_router.h"

class LauncherApp : public CefApp,
                    public CefBrowserProcessHandler,
                    public CefRenderProcessHandler {
 public:
  LauncherApp() = default;

  // CefApp methods (main thread of each process, during start-up):
  void OnBeforeCommandLineProcessing(const CefString& process_type,
                                     CefRefPtr<CefCommandLine> command_line) override;
  CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() override { return this; }
  CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() override { return this; }

  // CefBrowserProcessHandler methods (browser process, UI thread):
  void OnContextInitialized() override;
  // (UI or IO thread) The support log's switch goes on to every sub-process.
  void OnBeforeChildProcessLaunch(CefRefPtr<CefCommandLine> command_line) override;

  // CefRenderProcessHandler methods (renderer process, render thread):
  void OnContextCreated(CefRefPtr<CefBrowser> browser,
                        CefRefPtr<CefFrame> frame,
                        CefRefPtr<CefV8Context> context) override;
  void OnContextReleased(CefRefPtr<CefBrowser> browser,
                         CefRefPtr<CefFrame> frame,
                         CefRefPtr<CefV8Context> context) override;
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                CefProcessId source_process,
                                CefRefPtr<CefProcessMessage> message) override;

 private:
  // Created on the first script context; only ever set in renderer processes.
  CefRefPtr<CefMessageRouterRendererSide> router;

  IMPLEMENT_REFCOUNTING(LauncherApp);
};

// Full path of the Flash plug-in beside the executable, whether or not it exists.
std::wstring FlashPluginPath();

#endif  // ZLM_APP_LAUNCHER_APP_H_
