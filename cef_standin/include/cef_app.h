// The application object and the process-wide entry points. None of the
// functions has default arguments: |application| and
// |windows_sandbox_info| may be NULL but must be passed.

#ifndef CEF_INCLUDE_CEF_APP_H_
#define CEF_INCLUDE_CEF_APP_H_
#pragma once

#include "include/cef_base.h"
#include "include/cef_browser_process_handler.h"
#include "include/cef_command_line.h"
#include "include/cef_render_process_handler.h"
#include "include/cef_resource_bundle_handler.h"
#include "include/cef_scheme.h"

class CefApp;

// Runs a sub-process and returns its exit code when the command line names
// one (a "type" switch); returns -1 at once in the browser process.
int CefExecuteProcess(const CefMainArgs& args,
                      CefRefPtr<CefApp> application,
                      void* windows_sandbox_info);

// Browser process only; false when initialisation fails (for example a
// |settings.size| that does not match this library).
bool CefInitialize(const CefMainArgs& args,
                   const CefSettings& settings,
                   CefRefPtr<CefApp> application,
                   void* windows_sandbox_info);

// After the last browser has closed, on the thread that called
// CefInitialize.
void CefShutdown();

void CefDoMessageLoopWork();

// Runs until CefQuitMessageLoop is called.
void CefRunMessageLoop();

void CefQuitMessageLoop();

void CefSetOSModalLoop(bool osModalLoop);

// Call before anything else that could create a window.
void CefEnableHighDPISupport();

class CefApp : public virtual CefBase {
 public:
  // Before the process's command line is read. |process_type| is empty in
  // the browser process. Switches may be added to |command_line|, which is
  // valid only for the duration of this call.
  virtual void OnBeforeCommandLineProcessing(
      const CefString& /*process_type*/,
      CefRefPtr<CefCommandLine> /*command_line*/) {}

  virtual void OnRegisterCustomSchemes(
      CefRefPtr<CefSchemeRegistrar> /*registrar*/) {}

  virtual CefRefPtr<CefResourceBundleHandler> GetResourceBundleHandler() {
    return NULL;
  }

  virtual CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() {
    return NULL;
  }

  virtual CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() {
    return NULL;
  }
};

#endif  // CEF_INCLUDE_CEF_APP_H_
