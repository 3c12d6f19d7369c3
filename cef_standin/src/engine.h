// Process-wide state of the stand-in engine between CefInitialize and
// CefShutdown: the application, the settings it was started with, and the open
// browsers. UI thread only.
#ifndef CEF_STANDIN_SRC_ENGINE_H_
#define CEF_STANDIN_SRC_ENGINE_H_

#include <string>
#include <vector>

#include "include/cef_app.h"

namespace standin {

class BrowserImpl;

bool EngineInitialized();
void SetEngineInitialized(CefRefPtr<CefApp> app, const CefSettings& settings);
// The settings given to CefInitialize, as the engine keeps them for tests.
const CefSettings& EngineSettings();
// Opens the engine's log as 2623 does at start-up unless the settings disable
// it: settings.log_file, or debug.log beside the executable, opened for
// appending with read and write sharing but no delete sharing, and held until
// the process ends (a later CefInitialize, which only the stand-in allows,
// replaces it). cef_log then writes there too.
void OpenEngineLog(const CefSettings& settings);
// Forgets the application and every browser (their windows are destroyed
// without callbacks).
void ResetEngine();

CefRefPtr<CefApp> EngineApp();
// The application's handlers, or null.
CefRefPtr<CefBrowserProcessHandler> BrowserProcessHandler();
CefRefPtr<CefRenderProcessHandler> RenderProcessHandler();

// A renderer process begins: OnRenderThreadCreated, then OnWebKitInitialized,
// as each new renderer process of CEF calls them once. A client that keeps its
// renderer-side state per process (a router made in OnWebKitInitialized) so
// starts afresh after a crash, as with a real new process.
bool RendererProcessStarted();
void StartRendererProcess();

int NextBrowserId();
void AddBrowser(CefRefPtr<BrowserImpl> browser);
void RemoveBrowser(BrowserImpl* browser);
// id 0: the oldest open browser. Null when there is none.
CefRefPtr<BrowserImpl> FindBrowser(int id);
std::vector<CefRefPtr<BrowserImpl>> OpenBrowsers();

// Chromium's host zoom map: one zoom level per host, shared by every browser;
// a page of another host shows that host's own level. Keyed by the URL's host
// (lower case, without user and port); URLs without a host share the key "".
std::string ZoomHostOf(const std::string& url);
double HostZoomLevel(const std::string& url);
void SetHostZoomLevel(const std::string& url, double level);

}  // namespace standin

#endif  // CEF_STANDIN_SRC_ENGINE_H_
