// Browser process callbacks.

#ifndef CEF_INCLUDE_CEF_BROWSER_PROCESS_HANDLER_H_
#define CEF_INCLUDE_CEF_BROWSER_PROCESS_HANDLER_H_
#pragma once

#include "include/cef_base.h"
#include "include/cef_command_line.h"
#include "include/cef_print_handler.h"
#include "include/cef_values.h"

// UI thread unless noted.
class CefBrowserProcessHandler : public virtual CefBase {
 public:
  // The context is ready: browsers may be created from here on.
  virtual void OnContextInitialized() {}

  // Before a child process is launched, on its launcher thread.
  virtual void OnBeforeChildProcessLaunch(
      CefRefPtr<CefCommandLine> /*command_line*/) {}

  // IO thread. |extra_info| reaches the renderer's OnRenderThreadCreated.
  virtual void OnRenderProcessThreadCreated(
      CefRefPtr<CefListValue> /*extra_info*/) {}

  virtual CefRefPtr<CefPrintHandler> GetPrintHandler() { return NULL; }
};

#endif  // CEF_INCLUDE_CEF_BROWSER_PROCESS_HANDLER_H_
