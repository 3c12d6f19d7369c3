// standin_sample.exe [--url=<address>]: one window on the address, until closed.

#include <windows.h>

#include "include/cef_app.h"
#include "sample_app.h"

int APIENTRY wWinMain(HINSTANCE instance, HINSTANCE /*previous*/,
                      LPWSTR /*command_line*/, int /*show*/) {
  CefEnableHighDPISupport();
  CefMainArgs main_args(instance);
  CefRefPtr<SampleApp> app(new SampleApp());

  const int exit_code = CefExecuteProcess(main_args, app.get(), NULL);
  if (exit_code >= 0)
    return exit_code;

  CefSettings settings;
  settings.no_sandbox = 1;
  if (!CefInitialize(main_args, settings, app.get(), NULL))
    return -1;
  // The browser is asked for inside CefInitialize; without one there is no
  // window to close and so nothing that would ever end the loop.
  const bool failed = app->browser_failed();
  if (!failed)
    CefRunMessageLoop();
  CefShutdown();
  return failed ? -1 : 0;
}
