#include "engine.h"

#include <algorithm>
#include <map>

#include "browser_impl.h"
#include "list_value_impl.h"

namespace standin {

namespace {

struct EngineState {
  bool initialized = false;
  CefRefPtr<CefApp> app;
  CefSettings settings;
  std::vector<CefRefPtr<BrowserImpl>> browsers;  // oldest first
  int next_browser_id = 1;
  bool renderer_started = false;
  std::map<std::string, double> zoom_levels;  // by host
};

EngineState& State() {
  static EngineState state;
  return state;
}

}  // namespace

bool EngineInitialized() {
  return State().initialized;
}

void SetEngineInitialized(CefRefPtr<CefApp> app, const CefSettings& settings) {
  State().initialized = true;
  State().app = app;
  State().settings = settings;
}

const CefSettings& EngineSettings() {
  return State().settings;
}

void ResetEngine() {
  std::vector<CefRefPtr<BrowserImpl>> browsers;
  browsers.swap(State().browsers);
  for (const CefRefPtr<BrowserImpl>& browser : browsers)
    browser->Abandon();
  browsers.clear();
  State().app = NULL;
  State().settings.Reset();
  State().zoom_levels.clear();
  State().renderer_started = false;
  State().initialized = false;
}

CefRefPtr<CefApp> EngineApp() {
  return State().app;
}

CefRefPtr<CefBrowserProcessHandler> BrowserProcessHandler() {
  return State().app ? State().app->GetBrowserProcessHandler() : NULL;
}

CefRefPtr<CefRenderProcessHandler> RenderProcessHandler() {
  return State().app ? State().app->GetRenderProcessHandler() : NULL;
}

bool RendererProcessStarted() {
  return State().renderer_started;
}

void StartRendererProcess() {
  State().renderer_started = true;
  CefRefPtr<CefRenderProcessHandler> renderer = RenderProcessHandler();
  if (!renderer)
    return;
  // The browser side adds nothing to the start-up information here.
  renderer->OnRenderThreadCreated(new CefListValueImpl());
  renderer->OnWebKitInitialized();
}

int NextBrowserId() {
  return State().next_browser_id++;
}

void AddBrowser(CefRefPtr<BrowserImpl> browser) {
  State().browsers.push_back(browser);
}

void RemoveBrowser(BrowserImpl* browser) {
  std::vector<CefRefPtr<BrowserImpl>>& browsers = State().browsers;
  browsers.erase(std::remove_if(browsers.begin(), browsers.end(),
                                [browser](const CefRefPtr<BrowserImpl>& b) {
                                  return b.get() == browser;
                                }),
                 browsers.end());
}

CefRefPtr<BrowserImpl> FindBrowser(int id) {
  for (const CefRefPtr<BrowserImpl>& browser : State().browsers) {
    if (id == 0 || browser->GetIdentifier() == id)
      return browser;
  }
  return NULL;
}

std::vector<CefRefPtr<BrowserImpl>> OpenBrowsers() {
  return State().browsers;
}

std::string ZoomHostOf(const std::string& url) {
  const std::size_t scheme_end = url.find("://");
  if (scheme_end == std::string::npos)
    return std::string();
  const std::size_t start = scheme_end + 3;
  const std::size_t end = url.find_first_of("/?#", start);
  std::string host = url.substr(start, end == std::string::npos ? std::string::npos
                                                                 : end - start);
  const std::size_t at = host.rfind('@');
  if (at != std::string::npos)
    host.erase(0, at + 1);
  // A port follows the last colon, unless that colon sits inside [IPv6].
  const std::size_t colon = host.rfind(':');
  if (colon != std::string::npos && host.find(']', colon) == std::string::npos)
    host.erase(colon);
  for (char& c : host) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return host;
}

double HostZoomLevel(const std::string& url) {
  auto it = State().zoom_levels.find(ZoomHostOf(url));
  return it == State().zoom_levels.end() ? 0.0 : it->second;
}

void SetHostZoomLevel(const std::string& url, double level) {
  if (level == 0.0)
    State().zoom_levels.erase(ZoomHostOf(url));
  else
    State().zoom_levels[ZoomHostOf(url)] = level;
}

}  // namespace standin
