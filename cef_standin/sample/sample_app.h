// The sample's application: adds a switch in every process, opens the one
// browser once the context is ready, and runs the renderer side of the router.
#ifndef CEF_STANDIN_SAMPLE_SAMPLE_APP_H_
#define CEF_STANDIN_SAMPLE_SAMPLE_APP_H_

#include "include/cef_app.h"
#include "include/wrapper/cef_message_router.h"

class SampleApp : public CefApp,
                  public CefBrowserProcessHandler,
                  public CefRenderProcessHandler {
 public:
  SampleApp() {}

  // CefApp methods (main thread of every process):
  void OnBeforeCommandLineProcessing(
      const CefString& process_type,
      CefRefPtr<CefCommandLine> command_line) override;
  CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() override {
    return this;
  }
  CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() override {
    return this;
  }

  // CefBrowserProcessHandler methods (UI thread):
  void OnContextInitialized() override;

  // True when OnContextInitialized could not start the browser.
  bool browser_failed() const { return browser_failed_; }

  // CefRenderProcessHandler methods (render thread):
  void OnWebKitInitialized() override;
  void OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                        CefRefPtr<CefV8Context> context) override;
  void OnContextReleased(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                         CefRefPtr<CefV8Context> context) override;
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                CefProcessId source_process,
                                CefRefPtr<CefProcessMessage> message) override;

 private:
  CefRefPtr<CefMessageRouterRendererSide> router_;
  bool browser_failed_ = false;

  IMPLEMENT_REFCOUNTING(SampleApp);
};

#endif  // CEF_STANDIN_SAMPLE_SAMPLE_APP_H_
