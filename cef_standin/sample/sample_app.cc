#include "sample_app.h"

#include <cstdio>
#include <string>

#include "include/cef_browser.h"
#include "include/cef_command_line.h"
#include "sample_client.h"

namespace {

const char kDefaultUrl[] = "https://standin.example/";

// A sub-process has nothing visible to show for itself; with this switch it
// writes its process type to the named file, so a test can see it ran.
void ReportProcessType(const CefString& process_type,
                       CefRefPtr<CefCommandLine> command_line) {
  const std::wstring path = command_line->GetSwitchValue("standin-report").ToWString();
  if (path.empty())
    return;
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file)
    return;
  const std::string text = process_type.ToString();
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
}

}  // namespace

void SampleApp::OnBeforeCommandLineProcessing(
    const CefString& process_type, CefRefPtr<CefCommandLine> command_line) {
  command_line->AppendSwitch("standin-sample");
  if (!process_type.empty())
    ReportProcessType(process_type, command_line);
}

void SampleApp::OnContextInitialized() {
  CefRefPtr<CefCommandLine> command_line = CefCommandLine::GetGlobalCommandLine();
  CefString url = command_line ? command_line->GetSwitchValue("url") : CefString();
  if (url.empty())
    url = kDefaultUrl;

  CefWindowInfo window_info;
  window_info.SetAsPopup(NULL, "Stand-in sample");
  window_info.x = 100;
  window_info.y = 80;
  window_info.width = 800;
  window_info.height = 600;
  CefBrowserSettings settings;
  // This runs inside CefInitialize, before any loop: a quit would be lost, so
  // the failure is kept for wWinMain instead.
  browser_failed_ = !CefBrowserHost::CreateBrowser(window_info, new SampleClient(), url,
                                                   settings, NULL);
}

void SampleApp::OnWebKitInitialized() {
  // One router per renderer process: a renderer that replaces a crashed one
  // starts with a fresh one.
  router_ = CefMessageRouterRendererSide::Create(CefMessageRouterConfig());
}

void SampleApp::OnContextCreated(CefRefPtr<CefBrowser> browser,
                                 CefRefPtr<CefFrame> frame,
                                 CefRefPtr<CefV8Context> context) {
  if (router_)
    router_->OnContextCreated(browser, frame, context);
}

void SampleApp::OnContextReleased(CefRefPtr<CefBrowser> browser,
                                  CefRefPtr<CefFrame> frame,
                                  CefRefPtr<CefV8Context> context) {
  if (router_)
    router_->OnContextReleased(browser, frame, context);
}

bool SampleApp::OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                         CefProcessId source_process,
                                         CefRefPtr<CefProcessMessage> message) {
  return router_ &&
         router_->OnProcessMessageReceived(browser, source_process, message);
}
