#include "app/launcher_app.h"

#include <string>

#include "app/cef_text.h"
#include "app/config.h"
#include "app/page_environment_script.h"
#include "app/paths.h"
#include "app/process_values.h"
#include "app/support_log.h"
#include "app/switches.h"
#include "app/trace.h"
#include "browser/main_window.h"

std::wstring FlashPluginPath() {
  return JoinPath(exeDir, Utf8ToCef(kFlashDllName).ToWString());
}

void LauncherApp::OnBeforeCommandLineProcessing(const CefString& process_type,
                                                 CefRefPtr<CefCommandLine> command_line) {
  const std::string flashPath = CefToUtf8(WideToCef(FlashPluginPath()));
  for (const ChromiumSwitch& sw : LauncherSwitches(flashPath)) {
    if (sw.hasValue)
      command_line->AppendSwitchWithValue(sw.name, Utf8ToCef(sw.value));
    else
      command_line->AppendSwitch(sw.name);
  }
  Trace(SwitchesTraceLine(CefToUtf8(process_type), flashPath));
}

void LauncherApp::OnContextInitialized() {
  // A browser that cannot be created would leave an invisible process behind.
  // With a single-threaded loop this runs inside CefInitialize, before the loop,
  // and the entry point then does not enter it; the quit serves engines that
  // call this from a running loop.
  if (!CreateMainBrowser()) {
    mainBrowserFailed = true;
    CefQuitMessageLoop();
  }
}

void LauncherApp::OnBeforeChildProcessLaunch(CefRefPtr<CefCommandLine> command_line) {
  // Read-only once the browser process started: safe from the IO thread. A
  // request file beside the executable is seen by every process anyway.
  if (!SupportLogPath().empty())
    command_line->AppendSwitch(WideToCef(std::wstring(kSupportLogSwitch.substr(2))));
}

void LauncherApp::OnContextCreated(CefRefPtr<CefBrowser> browser,
                                   CefRefPtr<CefFrame> frame,
                                   CefRefPtr<CefV8Context> context) {
  if (!router)
    router = CefMessageRouterRendererSide::Create(CefMessageRouterConfig());
  router->OnContextCreated(browser, frame, context);
  frame->ExecuteJavaScript(
      Utf8ToCef(std::string(kPageEnvironmentScript, kPageEnvironmentScriptSize)),
      frame->GetURL(), 0);
}

void LauncherApp::OnContextReleased(CefRefPtr<CefBrowser> browser,
                                    CefRefPtr<CefFrame> frame,
                                    CefRefPtr<CefV8Context> context) {
  if (router)
    router->OnContextReleased(browser, frame, context);
}

bool LauncherApp::OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                           CefProcessId source_process,
                                           CefRefPtr<CefProcessMessage> message) {
  return router && router->OnProcessMessageReceived(browser, source_process, message);
}
